#include "MidiPorts.h"

#include <gtest/gtest.h>

// The JUCE-backed port system hands out nothing for a port the system does not have, so
// the application treats it as a port that would not open.
TEST (JuceMidiPorts, APortTheSystemDoesNotHaveOpensAsNothing)
{
    struct NoCallback final : MidiInputPortCallback
    {
        void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage&) override {}
    } callback;

    JuceMidiPortSystem ports;
    EXPECT_EQ (ports.openInput ("no-such-midi-port", callback), nullptr);
    EXPECT_EQ (ports.openOutput ("no-such-midi-port"), nullptr);
}
