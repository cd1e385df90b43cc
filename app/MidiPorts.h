#pragma once

#include <atomic>
#include <juce_audio_devices/juce_audio_devices.h>

// The application's own seam over the system's MIDI ports, so that the same component can
// run on JUCE's ports or on ports made in memory.

class MidiInputPort;

class MidiInputPortCallback
{
public:
    virtual ~MidiInputPortCallback() = default;

    // Called on the input's own thread (the MIDI thread), with the port as the source.
    virtual void handleIncomingMidiMessage (MidiInputPort* source, const juce::MidiMessage& message) = 0;
};

class MidiInputPort
{
public:
    virtual ~MidiInputPort() = default;

    virtual void start() = 0;
    virtual void stop() = 0;

    // Differs for every input ever opened. A closed input's successor may be given the same
    // address, so a message still queued from the closed one is told apart by this number.
    const juce::uint64 openingNumber = nextOpeningNumber();

private:
    static juce::uint64 nextOpeningNumber() noexcept
    {
        static std::atomic<juce::uint64> next { 1 };
        return next++;
    }
};

class MidiOutputPort
{
public:
    virtual ~MidiOutputPort() = default;

    virtual void sendMessageNow (const juce::MidiMessage& message) = 0;
};

class MidiPortSystem
{
public:
    virtual ~MidiPortSystem() = default;

    virtual juce::Array<juce::MidiDeviceInfo> getAvailableInputs() = 0;
    virtual juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() = 0;

    // Empty when the port cannot be opened.
    virtual std::unique_ptr<MidiInputPort> openInput (const juce::String& identifier, MidiInputPortCallback& callback) = 0;
    virtual std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) = 0;
};

// The system's real ports, through juce::MidiInput and juce::MidiOutput.
class JuceMidiPortSystem final : public MidiPortSystem
{
public:
    JuceMidiPortSystem() = default;

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override;
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;
    std::unique_ptr<MidiInputPort> openInput (const juce::String& identifier, MidiInputPortCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiPortSystem)
};
