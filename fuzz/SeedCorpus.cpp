#include "InterfaceEmulator.h"
#include "RequestTemplates.h"

#include <mutex>

// Writes the fuzzers' seed corpus: every request the application builds, with the builder, and
// every reply and notification the interface emulator sends back to them. One frame per file.
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

void write (const juce::File& directory, const juce::String& name, const juce::MidiMessage& frame)
{
    if (! directory.getChildFile (name).replaceWithData (frame.getRawData(), (size_t) frame.getRawDataSize()))
    {
        std::fprintf (stderr, "cannot write %s\n", directory.getChildFile (name).getFullPathName().toRawUTF8());
        std::exit (1);
    }
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

    for (const auto addressed : { false, true })
    {
        builder.productId = addressed ? config.productId : 0;
        builder.serialNumber = addressed ? config.serialNumber : 0;
        builder.sessionId = addressed ? 0x0ABCDEFu : 0;

        for (const auto& body : requestBodies())
        {
            const auto frame = builder.CreateMessage (body.bytes, body.length);
            write (directory, juce::String::formatted ("request-%02d", count++), frame);
            out->sendMessageNow (frame);
        }
    }

    ports.waitUntilDelivered();
    emulator.pushNotification();
    ports.waitUntilDelivered();
    in->stop();

    count = 0;

    for (const auto& reply : collector.received)
        write (directory, juce::String::formatted ("reply-%02d", count++), reply);

    std::printf ("%d seeds in %s\n", directory.getNumberOfChildFiles (juce::File::findFiles), directory.getFullPathName().toRawUTF8());
    return collector.received.empty() ? 1 : 0;
}
