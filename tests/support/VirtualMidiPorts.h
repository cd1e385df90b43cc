#pragma once

#include "MidiPorts.h"

// MIDI ports made in memory, for tests. The application opens them through the
// MidiPortSystem interface; the far side (a test or an interface emulator) injects into
// inputs and listens on outputs. Each open input delivers on a thread of its own, as a
// real MIDI thread would, stamping every message with the high-resolution clock in seconds.
class VirtualMidiPortSystem final : public MidiPortSystem
{
public:
    VirtualMidiPortSystem();
    ~VirtualMidiPortSystem() override;

    // Called on the thread of whoever sends (the message thread for the application).
    using OutputListener = std::function<void (const juce::MidiMessage&)>;

    // Creates a port; returns its identifier. Ports are listed in the order they were added.
    juce::String addInput (const juce::String& name);
    juce::String addOutput (const juce::String& name, OutputListener listener = {});
    void setOutputListener (const juce::String& outputIdentifier, OutputListener listener);

    // A port that refuses makes openInput/openOutput return nothing.
    void setRefuseToOpen (const juce::String& identifier, bool shouldRefuse);

    // Queues a message for delivery on the input after the given delay. Messages reach the
    // application only while the input is open and started; otherwise they are dropped.
    void sendToInput (const juce::String& inputIdentifier, const juce::MidiMessage& message, double delayMs = 0.0);

    bool isInputOpen (const juce::String& identifier) const;
    bool isInputStarted (const juce::String& identifier) const;
    bool isOutputOpen (const juce::String& identifier) const;
    int getNumOpenPorts() const;
    // How many times each port was opened, for tests of closing and reopening.
    int getOpenCount (const juce::String& identifier) const;

    // Blocks until every queued delivery whose time has come has been handed to its
    // callback (not to the message thread), or the timeout passes. True when idle.
    bool waitUntilDelivered (int timeoutMs = 2000);

    // MidiPortSystem
    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override;
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;
    std::unique_ptr<MidiInputPort> openInput (const juce::String& identifier, MidiInputPortCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) override;

private:
    struct State;
    std::shared_ptr<State> state;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VirtualMidiPortSystem)
};
