#include "AppFixture.h"
#include "MidiCallbackMessage.h"

#include <new>

// What becomes of a received message: the monitor sees it first, the gate drops what is not
// a frame of this protocol, and the handler of the awaited reply judges the rest; a message
// keeps the identity of the input it came from, and a port the system does not have opens
// as nothing.

using ReceivePath = AppFixture;

TEST_F (ReceivePath, ANoteOnlyReachesTheMonitorAndAReplyQueuedFromAnInputClosedSinceIsStillHandled)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (searchAndWait());
    selectRow (0);
    ASSERT_EQ (virtualPorts.getNumOpenPorts(), 2);
    const auto alphaInput = probe->midiInputs()[0]->deviceInfo.identifier;
    showMidiMessages();
    probe->setRequestState (MainComponent::settingParameter);
    probe->awaitReply();
    const auto sequenceBefore = probe->deviceContainer().sysexMessage.sequenceNumber;
    const auto framesBefore = alpha.receivedFrames().size();

    virtualPorts.sendToInput (alphaInput, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 1; }));
    EXPECT_EQ (countLogLinesContaining (" R Note on C3"), 1);
    EXPECT_TRUE (probe->requestState() == MainComponent::settingParameter && probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_TRUE (probe->deviceContainer().sysexMessage.sequenceNumber == sequenceBefore && alpha.receivedFrames().size() == framesBefore) << "nothing sent";
    EXPECT_TRUE (virtualPorts.getNumOpenPorts() == 2 && numRows() == 1 && alerts.empty());

    // An acknowledgement posted but not yet handled when its input goes away.
    alpha.sendToApp (alpha.makeFrame ({ 0x40, 0x00, 0x10, 0x03, 0x00 }, 0, 0));
    ASSERT_TRUE (virtualPorts.waitUntilDelivered());
    probe->deviceListBox().deselectRow (0);
    ASSERT_FALSE (virtualPorts.isInputOpen (alphaInput));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 2; }));
    EXPECT_EQ (countLogLinesContaining (" R Ack None"), 1);
    EXPECT_EQ (probe->requestState(), MainComponent::idle) << "the reply still passed the tests of its state";
}

// A message still queued from a closed input must not pass for one of the input opened next,
// even when the allocator gives that input the closed one's address.
TEST (PortIdentity, AMessageFromAClosedInputIsNotTakenForItsSuccessorAtTheSameAddress)
{
    struct StubInput final : public MidiInputPort
    {
        void start() override {}
        void stop() override {}
    };
    alignas (StubInput) unsigned char storage[sizeof (StubInput)];
    const auto note = juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100);

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

// The application treats a port the system does not have as one that would not open.
TEST (JuceMidiPorts, APortTheSystemDoesNotHaveOpensAsNothing)
{
    struct NoCallback final : MidiInputPortCallback
    {
        void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage&) override {}
    } callback;

    JuceMidiPortSystem ports;
    EXPECT_TRUE (ports.openInput ("no-such-midi-port", callback) == nullptr && ports.openOutput ("no-such-midi-port") == nullptr);
}
