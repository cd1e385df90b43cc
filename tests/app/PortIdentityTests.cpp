#include "MidiCallbackMessage.h"

#include <gtest/gtest.h>
#include <new>

namespace
{
struct StubInput final : public MidiInputPort
{
    void start() override {}
    void stop() override {}
};
} // namespace

// A message still queued from a closed input must not pass for one of the input opened next,
// even when the allocator gives that input the closed one's address.
TEST (PortIdentity, AMessageFromAClosedInputIsNotTakenForItsSuccessorAtTheSameAddress)
{
    alignas (StubInput) unsigned char storage[sizeof (StubInput)];
    const juce::MidiMessage note = juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100);

    auto* closed = new (storage) StubInput();
    const MidiCallbackMessage queued (closed, closed->openingNumber, note);
    EXPECT_TRUE (queued.cameFrom (closed));
    closed->~StubInput();

    auto* successor = new (storage) StubInput();
    EXPECT_FALSE (queued.cameFrom (successor));
    EXPECT_TRUE (MidiCallbackMessage (successor, successor->openingNumber, note).cameFrom (successor));
    EXPECT_FALSE (MidiCallbackMessage (nullptr, 0, note).cameFrom (nullptr));
    successor->~StubInput();
}
