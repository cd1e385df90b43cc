#include "MidiPorts.h"

namespace
{
// An open juce::MidiInput that reports its messages with this wrapper as the source, so
// the application compares sources by the port object it was handed.
class JuceMidiInputPort final : public MidiInputPort,
                                private juce::MidiInputCallback
{
public:
    explicit JuceMidiInputPort (MidiInputPortCallback& callbackToUse)
        : callback (callbackToUse)
    {
    }

    ~JuceMidiInputPort() override
    {
        // Closed before anything else goes, so no callback can reach a half-destroyed wrapper.
        device.reset();
    }

    bool open (const juce::String& identifier)
    {
        device = juce::MidiInput::openDevice (identifier, this);
        return device != nullptr;
    }

    void start() override { device->start(); }
    void stop() override { device->stop(); }

private:
    // Runs on JUCE's MIDI thread; the message keeps the arrival time JUCE stamped on it.
    void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override
    {
        callback.handleIncomingMidiMessage (this, message);
    }

    MidiInputPortCallback& callback;
    std::unique_ptr<juce::MidiInput> device;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiInputPort)
};

class JuceMidiOutputPort final : public MidiOutputPort
{
public:
    explicit JuceMidiOutputPort (std::unique_ptr<juce::MidiOutput> opened)
        : device (std::move (opened))
    {
    }

    void sendMessageNow (const juce::MidiMessage& message) override { device->sendMessageNow (message); }

private:
    std::unique_ptr<juce::MidiOutput> device;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiOutputPort)
};
} // namespace

juce::Array<juce::MidiDeviceInfo> JuceMidiPortSystem::getAvailableInputs()
{
    return juce::MidiInput::getAvailableDevices();
}

juce::Array<juce::MidiDeviceInfo> JuceMidiPortSystem::getAvailableOutputs()
{
    return juce::MidiOutput::getAvailableDevices();
}

std::unique_ptr<MidiInputPort> JuceMidiPortSystem::openInput (const juce::String& identifier, MidiInputPortCallback& callback)
{
    auto port = std::make_unique<JuceMidiInputPort> (callback);

    if (! port->open (identifier))
        return {};

    return port;
}

std::unique_ptr<MidiOutputPort> JuceMidiPortSystem::openOutput (const juce::String& identifier)
{
    auto device = juce::MidiOutput::openDevice (identifier);

    if (device == nullptr)
        return {};

    return std::make_unique<JuceMidiOutputPort> (std::move (device));
}
