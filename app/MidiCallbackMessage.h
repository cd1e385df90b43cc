#pragma once

#include "MidiPorts.h"
#include <juce_events/juce_events.h>

// Carries one received message from the MIDI thread to the message thread.
class MidiCallbackMessage final : public juce::Message
{
public:
    MidiCallbackMessage (MidiInputPort* sourceInput, const juce::MidiMessage& received)
        : source (sourceInput)
        , message (received)
    {
    }

    // Compared by identity only: the port may be closed by the time this is handled.
    MidiInputPort* const source;
    const juce::MidiMessage message;
};
