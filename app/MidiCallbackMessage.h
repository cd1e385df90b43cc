#pragma once

#include "MidiPorts.h"
#include <juce_events/juce_events.h>

// Carries one received message from the MIDI thread to the message thread.
class MidiCallbackMessage final : public juce::Message
{
public:
    // The opening number is read where the source is certainly open: on its MIDI thread.
    MidiCallbackMessage (MidiInputPort* sourceInput, juce::uint64 sourceOpening, const juce::MidiMessage& received)
        : source (sourceInput)
        , sourceOpeningNumber (sourceOpening)
        , message (received)
    {
    }

    // True if the message came from this very input. The source is compared by identity
    // only, as the port may be closed by the time this is handled, and a port opened since
    // may have the closed one's address: the opening number tells them apart.
    bool cameFrom (const MidiInputPort* port) const noexcept
    {
        return port != nullptr && port == source && port->openingNumber == sourceOpeningNumber;
    }

    MidiInputPort* const source;
    const juce::uint64 sourceOpeningNumber;
    const juce::MidiMessage message;
};
