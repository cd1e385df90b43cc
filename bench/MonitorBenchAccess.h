#pragma once

#include "MainComponent.h"

// The benchmarks' way into MainComponent: the monitor's toggle and log, the frame builder,
// and the MIDI callback through which a received message enters.
class MonitorBenchAccess
{
public:
    explicit MonitorBenchAccess (MainComponent& componentToUse)
        : component (componentToUse)
    {
    }

    void showMessages() { component.showMidiMessagesToggle.setToggleState (true, juce::dontSendNotification); }
    void addMessageToList (const juce::MidiMessage& message, bool isOutgoing) { component.addMessageToList (message, isOutgoing); }
    MidiLogView& midiLog() { return component.midiLog; }
    zun::SysexMessage& builder() { return component.deviceContainer.sysexMessage; }

    // The runtime status as it comes back in Poll mode: RetParmVal DeviceFeature with the
    // scene, armed, alarm and the two hosts' status (body length 21).
    juce::MidiMessage runtimeReply()
    {
        const unsigned char body[] = { 0x43, 0x03, 0x01, 0x12, 0x03, 0x04, 0x03, 0x04, 0x01, 0x03, 0x10, 0x00, 0x03, 0x11, 0x00, 0x06, 0x12, 0x01, 0x01, 0x01, 0x01 };
        return builder().CreateMessage (body, (unsigned short) sizeof (body));
    }

    // What the MIDI thread does with a received message: hand it to the message thread.
    void receive (const juce::MidiMessage& message) { component.handleIncomingMidiMessage (nullptr, message); }

private:
    MainComponent& component;
};
