#pragma once

#include "MidiPorts.h"

// MIDI ports in memory, for tests. The application opens them through MidiPortSystem; the far
// side (a test or an interface emulator) injects into inputs and listens on outputs. Each open
// input delivers on a thread of its own, stamping messages with the high-resolution clock in
// seconds, as a real MIDI thread would.
class VirtualMidiPortSystem final : public MidiPortSystem
{
public:
    VirtualMidiPortSystem();
    ~VirtualMidiPortSystem() override;

    // Called on the sender's thread (the message thread for the application).
    using OutputListener = std::function<void (const juce::MidiMessage&)>;

    // Creates a port and returns its identifier. Ports are listed in the order they were added.
    juce::String addInput (const juce::String& name);
    juce::String addOutput (const juce::String& name, OutputListener listener = {});
    void setOutputListener (const juce::String& outputIdentifier, OutputListener listener);

    // A port that refuses makes openInput/openOutput return nothing.
    void setRefuseToOpen (const juce::String& identifier, bool shouldRefuse);

    // Queues a message for each open instance of the input, due after the delay. Only a started
    // input delivers; it drops what falls due while it is stopped, a closed input drops it all.
    void sendToInput (const juce::String& inputIdentifier, const juce::MidiMessage& message, double delayMs = 0.0);

    bool isInputOpen (const juce::String& identifier) const;
    bool isInputStarted (const juce::String& identifier) const;
    int getNumOpenPorts() const;

    // Blocks until every message that has fallen due has been through its input's callback (not
    // the message thread), or the timeout passes. True when idle.
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
