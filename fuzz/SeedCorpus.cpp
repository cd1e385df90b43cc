#include "InterfaceEmulator.h"
#include "ReceivePathInput.h"
#include "RequestTemplates.h"

// Writes the fuzzers' seed corpus: every request the application builds, with the builder, and
// every reply and notification the interface emulator sends back to them, one frame per file;
// and in the subdirectory receive_path_fuzzer, inputs of that fuzzer: each reply handed to the
// application in every request state, and a whole settings read.
//
// Usage: fuzz_seed_corpus <directory>

namespace
{
namespace In = ReceivePathInput;
using Bytes = std::vector<juce::uint8>;

// The application's side of one port pair: it keeps what the emulator sends back. It is read
// only after waitUntilDelivered(), whose lock orders the input thread's writes before the read.
struct Collector final : public MidiInputPortCallback
{
    void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& message) override { received.push_back (message); }
    std::vector<juce::MidiMessage> received;
};

void write (const juce::File& directory, const char* format, size_t count, const juce::uint8* data, size_t size)
{
    const auto file = directory.getChildFile (juce::String::formatted (format, (int) count));

    if (! file.replaceWithData (data, size))
    {
        std::fprintf (stderr, "cannot write %s\n", file.getFullPathName().toRawUTF8());
        std::exit (1);
    }
}

// A receive-path input set up in a state (in runtime mode state % 3) after a read of 4 presets
// and 8 ports (current preset 1, every mode and trigger 1, USBD 1 and 2 in slots 1 and 2), with
// two interfaces discovered; then the bodies as frames, in discovery from an interface not yet
// found, echoing the request.
Bytes receivePathInput (int state, const std::vector<Bytes>& bodies, bool loaded = false)
{
    static_assert (In::headerSize == 14, "one value per header byte");
    Bytes input { (juce::uint8) state, (juce::uint8) ((loaded ? 1 : 0) | (state % 3) << 1), 4, 8, 1, 0, 1, 1, 1, 1, 1, 2, 2, 0 };

    for (const auto& body : bodies)
        In::addRecord (input, state == 1 ? (juce::uint8) (In::frame | In::echoDiscovery | In::neverDiscovered) : (juce::uint8) In::frame, body);

    return input;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const auto directory = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    const auto receivePathDirectory = directory.getChildFile ("receive_path_fuzzer");
    receivePathDirectory.createDirectory();

    VirtualMidiPortSystem ports;
    const auto input = ports.addInput ("Seeds"), output = ports.addOutput ("Seeds");
    InterfaceEmulator::Config config;
    config.presetNames = { "Stage", "", "Backup rig" };
    config.setAudioPorts (8);
    InterfaceEmulator emulator (ports, config);
    emulator.attach (input, output);
    Collector collector;
    auto in = ports.openInput (input, collector);
    auto out = ports.openOutput (output);
    in->start();

    // Each request is answered before the next goes out, so the replies come in request order.
    zun::SysexMessage builder;
    size_t requests = 0;

    const auto request = [&] (unsigned char* body, size_t length, int number = 0)
    {
        if (number > 0)
            body[7] = (unsigned char) number;

        const auto frame = builder.CreateMessage (body, (unsigned short) length);
        write (directory, "request-%02d", requests++, frame.getRawData(), (size_t) frame.getRawDataSize());
        out->sendMessageNow (frame);
        ports.waitUntilDelivered();
    };

    // Every request, the Ping first, its variable bytes written as the application writes them;
    // SetFailover with a one-byte value (trigger mode 2), then the three-byte maximum volume.
    SXMessage_GetSettingsPresetName[7] = 2;
    SXMessage_GetSettingsAudioPortInfo[7] = 1;
    SXMessage_LoadPreset[10] = 3;
    SXMessage_SavePreset[10] = 1;
    SXMessage_SendRegistration[8] = 1;
    static unsigned char triggerMode[] = { 0x10, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x15, 0x02 };
    static unsigned char maxVolume[] = { 0x10, 0x03, 0x01, 0x08, 0x03, 0x01, 0x05, 0x18, 0x03, 0x70, 0x00 };
#define BODY(name) \
    std::pair<unsigned char*, size_t> { name, sizeof (name) }
    const std::pair<unsigned char*, size_t> bodies[] = { { nullptr, 0 }, BODY (SXMessage_DeviceDiscovery), BODY (SXMessage_GetProductName), BODY (SXMessage_GetSettingsAI), BODY (SXMessage_GetSettingsDI), BODY (SXMessage_GetSettingsDF), BODY (SXMessage_GetSettingsFailover), BODY (SXMessage_GetRuntime), BODY (SXMessage_GetSettingsPresetName), BODY (SXMessage_GetSettingsAudioPortInfo), BODY (SXMessage_LoadPreset), BODY (SXMessage_SavePreset), BODY (SXMessage_SendRegistration), BODY (triggerMode), BODY (maxVolume) };
#undef BODY

    // Discovery goes out with zeros, the rest to the emulated interface in a session, the way
    // "Search" and then "Get Settings" set the builder up; then the commands are refused.
    for (const auto addressed : { false, true })
    {
        builder.productId = addressed ? config.productId : 0;
        builder.serialNumber = addressed ? config.serialNumber : 0;
        builder.sessionId = addressed ? 0x0ABCDEFu : 0;

        for (const auto& [body, length] : bodies)
            request (body, length);
    }

    emulator.configure ([] (InterfaceEmulator::Config& c)
                        { c.ackErrorCode = 0x0E; });

    for (const auto& [body, length] : bodies)
        if (length > 0 && (body[0] == 0x10 || body[0] == 0x11)) // SetParmVal, SetCmdVal
            request (body, length);

    emulator.configure ([] (InterfaceEmulator::Config& c)
                        { c.ackErrorCode = 0; });
    emulator.pushNotification();
    ports.waitUntilDelivered();

    // A whole read, each request as the application writes it: presets and ports by number
    // (body byte 7), the rest once.
    const auto firstOfRead = collector.received.size();

    for (auto [body, length, count] : { std::tuple { SXMessage_GetSettingsAI, sizeof (SXMessage_GetSettingsAI), 0 }, { SXMessage_GetSettingsDI, sizeof (SXMessage_GetSettingsDI), 0 }, { SXMessage_GetSettingsDF, sizeof (SXMessage_GetSettingsDF), 0 }, { SXMessage_GetSettingsPresetName, sizeof (SXMessage_GetSettingsPresetName), config.presetCount }, { SXMessage_GetSettingsAudioPortInfo, sizeof (SXMessage_GetSettingsAudioPortInfo), config.audioPortCount }, { SXMessage_GetSettingsFailover, sizeof (SXMessage_GetSettingsFailover), 0 } })
        for (int number = count > 0 ? 1 : 0; number <= count; ++number)
            request (body, length, number);

    in->stop();
    const auto& replies = collector.received;
    std::vector<Bytes> answers, read;

    for (size_t i = 0; i < replies.size(); ++i)
    {
        const auto* frame = replies[i].getRawData();
        write (directory, "reply-%02d", i, frame, (size_t) replies[i].getRawDataSize());
        (i < firstOfRead ? answers : read).push_back (Bytes (frame + 22, frame + replies[i].getRawDataSize() - 2));
    }

    // Each reply in each state, alone and all together with a note and a bare SysEx, which reach
    // the monitor only; and a whole read, "Get Settings" to the filled panels.
    std::vector<Bytes> inputs { receivePathInput (3, read) };

    for (int state = 0; state < 12; ++state)
        for (const bool loaded : { false, true })
        {
            inputs.push_back (receivePathInput (state, answers, loaded));
            In::addRecord (inputs.back(), In::shortMessage, { 0x90, 60, 100 });
            In::addRecord (inputs.back(), In::rawSysex, { 0x7E, 0x7F, 0x06, 0x01 });

            for (const auto& answer : answers)
                inputs.push_back (receivePathInput (state, { answer }, loaded));
        }

    for (size_t i = 0; i < inputs.size(); ++i)
        write (receivePathDirectory, "input-%03d", i, inputs[i].data(), inputs[i].size());

    std::printf ("%d seeds in %s\n", directory.getNumberOfChildFiles (juce::File::findFiles), directory.getFullPathName().toRawUTF8());
    return replies.empty() ? 1 : 0;
}
