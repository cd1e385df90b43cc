#include "DeviceContainer.h"
#include "InterfaceEmulator.h"

#include <gtest/gtest.h>
#include <mutex>

// The emulator stands in for the interface in every application test, so what it answers
// must be what the interface itself sends: each reply body byte for byte as the protocol
// lays it out, with the interface's ids, the request's session id and a valid checksum.
// Every value differs from its neighbours, so a field written in the wrong place shows.
// The requests are written out here, apart from the application's own templates.
TEST (InterfaceEmulator, EachReplyHasTheBytesTheInterfaceMustSend)
{
    struct Replies final : MidiInputPortCallback
    {
        void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& m) override
        {
            const std::lock_guard<std::mutex> guard (lock);
            list.push_back (m);
        }
        std::mutex lock;
        std::vector<juce::MidiMessage> list;
    } replies;

    InterfaceEmulator::Config c; // product id 0x1234, serial number 0x12345678
    c.productName = "Duo";
    c.setPresets (7);
    c.keepAlivePeriod = 9;
    c.setAudioPorts (5); // port 2 is USBD 2 with 6 channels
    c.currentPreset = 6;
    c.currentScene = 2;
    c.settings = { 2, 0x15, 4, 3, 7, 16000, 2, 16, 12, -1536 }; // mode, options, trigger mode, audio trigger, channel, time-out, MIDI trigger, port, time-out, max volume
    c.armed = 1;
    std::memcpy (c.hostStatus, "\3\1\0\4", 4); // USB 1 audio and MIDI, USB 2 audio and MIDI

    VirtualMidiPortSystem ports;
    const auto inputId = ports.addInput ("In"), outputId = ports.addOutput ("Out");
    InterfaceEmulator emulator (ports, c);
    emulator.attach (inputId, outputId);
    const auto input = ports.openInput (inputId, replies);
    input->start();
    const auto output = ports.openOutput (outputId);
    zun::DeviceContainer container; // addresses any interface (all ids 0)
    container.sysexMessage.sessionId = 0x0123456;
    container.sysexMessage.sequenceNumber = 0x0ABCDEF;

    // Request body, reply body (body byte k is frame byte 22 + k). The first is the discovery
    // request, the last three a setting, a preset load and a preset save.
    const std::pair<const char*, const char*> exchanges[] = {
        { "01 01 01 07 03 01 04 01 04 00", "41 01 01 14 03 04 04 01 04 00 04 02 00 02 04 03 01 00 05 04 02 00 05" },
        { "03 02 01 04 01 01 01", "43 02 01 08 03 01 05 01 44 75 6f" },
        { "03 08 01 04 01 01 01", "43 08 01 06 03 01 03 01 05" },
        { "03 02 01 06 01 03 14 17 19", "43 02 01 0c 03 03 03 14 07 03 17 01 03 19 09" },
        { "03 03 01 05 01 02 01 04", "43 03 01 09 03 02 03 01 06 03 04 02" },
        { "03 03 02 05 04 01 09 01 04 01 01 02", "43 03 02 05 04 01 09 01 0d 03 01 0a 02 50 72 65 73 65 74 20 31" },
        { "03 09 02 05 04 01 10 02 07 01 04 01 02 03 10", "43 09 02 05 04 01 10 02 10 03 04 03 01 01 03 02 02 03 03 01 04 10 02 06" },
        { "03 03 01 09 01 06 13 14 15 16 17 18", "43 03 01 23 03 06 03 13 02 03 14 15 03 15 04 09 16 01 03 02 07 03 7d 00 09 17 01 02 02 10 03 00 0c 05 18 03 74 00" },
        { "03 03 01 07 01 04 04 10 11 12", "43 03 01 12 03 04 03 04 02 03 10 01 03 11 00 06 12 03 01 00 04" },
        { "10 03 01 06 03 01 03 13 02", "40 00 10 03 00" },
        { "11 00 01 08 06 01 05 02 43 00 03", "40 00 11 00 00" },
        { "11 00 01 08 06 01 05 02 03 00 02", "40 00 11 00 00" },
    };

    for (const auto& [request, expected] : exchanges)
    {
        juce::MemoryBlock body;
        body.loadFromHexString (request);
        const auto sequence = container.sysexMessage.sequenceNumber;
        output->sendMessageNow (container.sysexMessage.CreateMessage ((const unsigned char*) body.getData(), (unsigned short) body.getSize()));
        ASSERT_TRUE (ports.waitUntilDelivered());
        const std::lock_guard<std::mutex> guard (replies.lock);
        ASSERT_EQ (replies.list.size(), 1u) << request;
        const auto reply = replies.list[0];
        const zun::FrameView frame (reply);
        EXPECT_EQ (juce::String::toHexString (reply.getRawData() + zun::Frame::bodyPos, reply.getRawDataSize() - zun::Frame::bodyPos - 2), expected);
        EXPECT_TRUE (frame.ProductId() == 0x1234 && frame.SerialNumber() == 0x12345678 && frame.SessionId() == 0x0123456 && container.IsValidMidiMessage (reply)) << request;
        EXPECT_TRUE (&request != &exchanges[0].first || frame.SequenceNumber() == sequence) << "a discovery reply echoes the sequence number";
        replies.list.clear();
    }
}
