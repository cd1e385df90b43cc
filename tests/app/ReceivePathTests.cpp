#include "AppFixture.h"

// What becomes of a received message: the monitor sees it first, the gate drops what is not
// a frame of this protocol, and the handler of the awaited reply judges the rest.

class ReceivePath : public AppFixture
{
};

//==============================================================================
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
    EXPECT_EQ (probe->requestState(), MainComponent::settingParameter);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequenceBefore);
    EXPECT_EQ (alpha.receivedFrames().size(), framesBefore);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 2);
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (alerts.empty());

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
