#include "DeviceContainer.h"
#include "InterfaceEmulator.h"
#include "RequestTemplates.h"

#include <gtest/gtest.h>
#include <mutex>

// The emulator stands in for the interface in every application test, so what it answers
// must be what the interface itself sends: each reply body byte for byte as the protocol
// lays it out, with the interface's ids, the request's session id and a valid checksum.
// Every value differs from its neighbours, so a field written in the wrong place shows.
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
    c.hostStatus[0] = 3; // USB 1 audio 3, USB 1 MIDI 1, USB 2 audio 0, USB 2 MIDI 4
    c.hostStatus[1] = 1;
    c.hostStatus[3] = 4;

    VirtualMidiPortSystem ports;
    const auto inputId = ports.addInput ("In"), outputId = ports.addOutput ("Out");
    InterfaceEmulator emulator (ports, c);
    emulator.attach (inputId, outputId);
    const auto input = ports.openInput (inputId, replies);
    input->start();
    const auto output = ports.openOutput (outputId);

    // Requests from the real templates, addressed to any interface (all ids 0).
    zun::DeviceContainer container;
    auto& builder = container.sysexMessage;
    builder.sessionId = 0x0123456;
    builder.sequenceNumber = 0x0ABCDEF;
    SXMessage_GetSettingsPresetName[7] = 1;
    SXMessage_GetSettingsAudioPortInfo[7] = 2;
    SXMessage_LoadPreset[10] = 3;
    SXMessage_SavePreset[10] = 2;
    const unsigned char setFailoverMode[] = { 0x10, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x13, 0x02 };

    // The reply bodies; body byte k is frame byte 22 + k.
    const std::tuple<const unsigned char*, unsigned short, std::vector<juce::uint8>> exchanges[] = {
        { SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length, { 0x41, 0x01, 1, 20, 3, 4, 4, 0x01, 0x04, 0x00, 4, 0x02, 0x00, 0x02, 4, 0x03, 0x01, 0x00, 5, 0x04, 0x02, 0x00, 0x05 } },
        { SXMessage_GetProductName, SXMessage_GetProductName_Length, { 0x43, 0x02, 1, 8, 3, 1, 5, 0x01, 'D', 'u', 'o' } },
        { SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length, { 0x43, 0x08, 1, 6, 3, 1, 3, 0x01, 5 } },
        { SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length, { 0x43, 0x02, 1, 12, 3, 3, 3, 0x14, 7, 3, 0x17, 0x01, 3, 0x19, 9 } },
        { SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length, { 0x43, 0x03, 1, 9, 3, 2, 3, 0x01, 6, 3, 0x04, 2 } },
        { SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length, { 0x43, 0x03, 2, 5, 4, 1, 0x09, 1, 13, 3, 1, 10, 0x02, 'P', 'r', 'e', 's', 'e', 't', ' ', '1' } },
        { SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length, { 0x43, 0x09, 2, 5, 4, 1, 0x10, 2, 16, 3, 4, 3, 0x01, 1, 3, 0x02, 2, 3, 0x03, 1, 4, 0x10, 2, 6 } },
        { SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length, { 0x43, 0x03, 1, 35, 3, 6, 3, 0x13, 2, 3, 0x14, 0x15, 3, 0x15, 4, 9, 0x16, 1, 3, 2, 7, 3, 0x7D, 0x00, 9, 0x17, 1, 2, 2, 16, 3, 0x00, 0x0C, 5, 0x18, 0x03, 0x74, 0x00 } },
        { SXMessage_GetRuntime, SXMessage_GetRuntime_Length, { 0x43, 0x03, 1, 18, 3, 4, 3, 0x04, 2, 3, 0x10, 1, 3, 0x11, 0, 6, 0x12, 3, 1, 0, 4 } },
        { setFailoverMode, sizeof (setFailoverMode), { 0x40, 0x00, 0x10, 0x03, 0x00 } },
        { SXMessage_LoadPreset, SXMessage_LoadPreset_Length, { 0x40, 0x00, 0x11, 0x00, 0x00 } },
        { SXMessage_SavePreset, SXMessage_SavePreset_Length, { 0x40, 0x00, 0x11, 0x00, 0x00 } },
    };

    for (const auto& [body, length, expected] : exchanges)
    {
        SCOPED_TRACE ("request " + juce::String::toHexString (body, length));
        const auto sequence = builder.sequenceNumber;
        output->sendMessageNow (builder.CreateMessage (body, length));
        ASSERT_TRUE (ports.waitUntilDelivered());

        const std::lock_guard<std::mutex> guard (replies.lock);
        ASSERT_EQ (replies.list.size(), 1u);
        const auto reply = replies.list[0];
        const zun::FrameView frame (reply);
        EXPECT_EQ (std::vector<juce::uint8> (reply.getRawData() + zun::Frame::bodyPos, reply.getRawData() + reply.getRawDataSize() - 2), expected);
        EXPECT_TRUE (frame.ProductId() == 0x1234 && frame.SerialNumber() == 0x12345678 && frame.SessionId() == 0x0123456);
        EXPECT_TRUE (container.IsValidMidiMessage (reply));
        EXPECT_TRUE (body != SXMessage_DeviceDiscovery || frame.SequenceNumber() == sequence) << "a discovery reply echoes the sequence number";
        replies.list.clear();
    }
}
