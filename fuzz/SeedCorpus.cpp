#include "InterfaceEmulator.h"
#include "ReceivePathInput.h"
#include "RequestTemplates.h"

#include <mutex>

// Writes the fuzzers' seed corpus: every request the application builds, with the builder, and
// every reply and notification the interface emulator sends back to them, one frame per file;
// and in the subdirectory receive_path_fuzzer, inputs of that fuzzer: each reply handed to the
// application in every request state, and a whole settings read.
//
// Usage: fuzz_seed_corpus <directory>

namespace
{
// The application's side of one port pair: it keeps what the emulator sends back.
struct Collector final : public MidiInputPortCallback
{
    void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> guard (lock);
        received.push_back (message);
    }

    std::mutex lock;
    std::vector<juce::MidiMessage> received;
};

struct Body
{
    unsigned char* bytes;
    unsigned short length;
};

std::vector<Body> requestBodies()
{
    std::vector<Body> bodies {
        { nullptr, 0 }, // the Ping
        { SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length },
        { SXMessage_GetProductName, SXMessage_GetProductName_Length },
        { SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length },
        { SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length },
        { SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length },
        { SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length },
        { SXMessage_GetRuntime, SXMessage_GetRuntime_Length },
    };

    // Templates with variable bytes, written as the application writes them.
    SXMessage_GetSettingsPresetName[7] = 2;
    SXMessage_GetSettingsAudioPortInfo[7] = 1;
    SXMessage_LoadPreset[10] = 3;
    SXMessage_SavePreset[10] = 1;
    SXMessage_SendRegistration[8] = 1;
    bodies.push_back ({ SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length });
    bodies.push_back ({ SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length });
    bodies.push_back ({ SXMessage_LoadPreset, SXMessage_LoadPreset_Length });
    bodies.push_back ({ SXMessage_SavePreset, SXMessage_SavePreset_Length });
    bodies.push_back ({ SXMessage_SendRegistration, SXMessage_SendRegistration_Length });

    // SetFailover: a one-byte value (trigger mode 2), then the three-byte maximum volume.
    static unsigned char triggerMode[] = { 0x10, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x15, 0x02 };
    static unsigned char maxVolume[] = { 0x10, 0x03, 0x01, 0x08, 0x03, 0x01, 0x05, 0x18, 0x03, 0x70, 0x00 };
    bodies.push_back ({ triggerMode, (unsigned short) sizeof (triggerMode) });
    bodies.push_back ({ maxVolume, (unsigned short) sizeof (maxVolume) });
    return bodies;
}

void write (const juce::File& directory, const juce::String& name, const void* data, size_t size)
{
    if (! directory.getChildFile (name).replaceWithData (data, size))
    {
        std::fprintf (stderr, "cannot write %s\n", directory.getChildFile (name).getFullPathName().toRawUTF8());
        std::exit (1);
    }
}

void write (const juce::File& directory, const juce::String& name, const juce::MidiMessage& frame)
{
    write (directory, name, frame.getRawData(), (size_t) frame.getRawDataSize());
}

std::vector<juce::uint8> bodyOf (const juce::MidiMessage& frame)
{
    const auto* bytes = frame.getRawData();
    return { bytes + 22, bytes + frame.getRawDataSize() - 2 };
}

// A receive-path input header: the state, then a record that read 4 presets and 8 ports, two
// interfaces discovered.
std::vector<juce::uint8> receivePathHeader (int state, bool loaded, int mode)
{
    namespace In = ReceivePathInput;
    std::vector<juce::uint8> header (In::headerSize, 0);
    header[In::state] = (juce::uint8) state;
    header[In::setupFlags] = (juce::uint8) ((loaded ? 1 : 0) | mode << 1);
    header[In::presetCount] = 4;
    header[In::audioPortCount] = 8;
    header[In::currentPreset] = 1;
    header[In::failoverMode] = 1;
    header[In::triggerMode] = 1;
    header[In::audioTrigger] = 1;
    header[In::midiTrigger] = 1;
    header[In::usbd1PortSlot] = 1;
    header[In::usbd2PortSlot] = 2;
    header[In::discoveredCount] = 2;
    return header;
}

void writeReceivePathSeeds (const juce::File& directory, const std::vector<std::vector<juce::uint8>>& replyBodies, const std::vector<std::vector<juce::uint8>>& settingsRead)
{
    namespace In = ReceivePathInput;
    directory.createDirectory();
    int count = 0;

    const auto writeInput = [&] (const std::vector<juce::uint8>& input)
    { write (directory, juce::String::formatted ("input-%03d", count++), input.data(), input.size()); };

    // Each reply in each state; in discovery from an interface not yet found, echoing the
    // request. A note and a bare SysEx reach the monitor only.
    for (int state = 0; state < 12; ++state)
    {
        for (const bool loaded : { false, true })
        {
            auto input = receivePathHeader (state, loaded, state % 3);

            for (const auto& body : replyBodies)
                In::addRecord (input, state == 1 ? (juce::uint8) (In::frame | In::echoDiscovery | 2 << 4) : (juce::uint8) In::frame, body);

            In::addRecord (input, In::shortMessage, { 0x90, 60, 100 });
            In::addRecord (input, In::rawSysex, { 0x7E, 0x7F, 0x06, 0x01 });
            writeInput (input);

            for (const auto& body : replyBodies)
            {
                input = receivePathHeader (state, loaded, state % 3);
                In::addRecord (input, state == 1 ? (juce::uint8) (In::frame | In::echoDiscovery | 2 << 4) : (juce::uint8) In::frame, body);
                writeInput (input);
            }
        }
    }

    // A whole read, "Get Settings" to the filled panels.
    auto input = receivePathHeader (3, false, 0);

    for (const auto& body : settingsRead)
        In::addRecord (input, In::frame, body);

    writeInput (input);
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
    const juce::File directory (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    directory.createDirectory();

    VirtualMidiPortSystem ports;
    const auto input = ports.addInput ("Seeds");
    const auto output = ports.addOutput ("Seeds");
    InterfaceEmulator::Config config;
    config.presetNames = { "Stage", "", "Backup rig" };
    config.setAudioPorts (8);
    InterfaceEmulator emulator (ports, config);
    emulator.attach (input, output);

    Collector collector;
    auto in = ports.openInput (input, collector);
    auto out = ports.openOutput (output);
    in->start();

    // Discovery goes out with zeros; the rest addresses the emulated interface in a session,
    // the way "Search" and then "Get Settings" set the builder up.
    zun::SysexMessage builder;
    int count = 0;

    // Each request is answered before the next goes out, so every reply body is known by the
    // request it answers.
    std::vector<std::vector<juce::uint8>> replyBodies;

    const auto request = [&] (const unsigned char* bytes, unsigned short length)
    {
        const auto frame = builder.CreateMessage (bytes, length);
        write (directory, juce::String::formatted ("request-%02d", count++), frame);
        size_t before = 0;
        {
            const std::lock_guard<std::mutex> guard (collector.lock);
            before = collector.received.size();
        }
        out->sendMessageNow (frame);
        ports.waitUntilDelivered();
        const std::lock_guard<std::mutex> guard (collector.lock);

        for (auto i = before; i < collector.received.size(); ++i)
            replyBodies.push_back (bodyOf (collector.received[i]));
    };

    for (const auto addressed : { false, true })
    {
        builder.productId = addressed ? config.productId : 0;
        builder.serialNumber = addressed ? config.serialNumber : 0;
        builder.sessionId = addressed ? 0x0ABCDEFu : 0;

        for (const auto& body : requestBodies())
            request (body.bytes, body.length);
    }

    // The refusals of the same three commands.
    emulator.configure ([] (InterfaceEmulator::Config& c)
                        { c.ackErrorCode = 0x0E; });

    for (const auto& body : requestBodies())
        if (body.length > 0 && body.bytes[0] == 0x10) // SetParmVal, SetCmdVal
            request (body.bytes, body.length);

    emulator.configure ([] (InterfaceEmulator::Config& c)
                        { c.ackErrorCode = 0; });

    emulator.pushNotification();
    ports.waitUntilDelivered();
    {
        const std::lock_guard<std::mutex> guard (collector.lock);
        replyBodies.push_back (bodyOf (collector.received.back()));
    }

    // A whole read, each request as the application writes it.
    std::vector<std::vector<juce::uint8>> settingsRead;
    const auto firstOfRead = replyBodies.size();
    request (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length);
    request (SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length);
    request (SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length);

    for (int p = 1; p <= config.presetCount; ++p)
    {
        SXMessage_GetSettingsPresetName[7] = (unsigned char) p;
        request (SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length);
    }

    for (int k = 1; k <= config.audioPortCount; ++k)
    {
        SXMessage_GetSettingsAudioPortInfo[7] = (unsigned char) k;
        request (SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length);
    }

    request (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
    settingsRead.assign (replyBodies.begin() + (long) firstOfRead, replyBodies.end());
    replyBodies.resize (firstOfRead);
    in->stop();

    writeReceivePathSeeds (directory.getChildFile ("receive_path_fuzzer"), replyBodies, settingsRead);

    count = 0;

    for (const auto& reply : collector.received)
        write (directory, juce::String::formatted ("reply-%02d", count++), reply);

    std::printf ("%d seeds in %s\n", directory.getNumberOfChildFiles (juce::File::findFiles), directory.getFullPathName().toRawUTF8());
    return collector.received.empty() ? 1 : 0;
}
