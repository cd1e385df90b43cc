#include "AppFixture.h"
#include "RequestTemplates.h"

// The request engine: every request goes out on every open output, logged first; one reply
// is awaited at a time, for 2000 ms; acknowledgements end loading, saving and setting.

class Engine : public AppFixture
{
protected:
    std::vector<std::pair<int, juce::MidiMessage>> heard; // output index, message
};

//==============================================================================
TEST_F (Engine, ARequestGoesToEveryOpenOutputInListOrderAndIsLoggedAndNumberedEvenWithNoneOpen)
{
    for (int i = 0; i < 3; ++i)
        virtualPorts.setOutputListener (addPortPair().output, [this, i] (const juce::MidiMessage& m)
                                        { heard.emplace_back (i, m); });
    showMidiMessages();
    const auto sequenceBefore = probe->deviceContainer().sysexMessage.sequenceNumber;

    probe->sendToAllOutputs (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequenceBefore + 1);
    EXPECT_EQ (countLogLinesContaining (" S GetParmVal DeviceInfo"), 1);
    EXPECT_TRUE (heard.empty());

    clickSearch(); // opens every port
    app->closeDevice (false, 1);
    heard.clear();
    probe->sendToAllOutputs (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);

    ASSERT_EQ (heard.size(), 2u);
    EXPECT_EQ (heard[0].first, 0);
    EXPECT_EQ (heard[1].first, 2);
    EXPECT_EQ (heard[0].second.getRawDataSize(), SXMessage_GetRuntime_Length + zun::Frame::overhead);
    EXPECT_EQ (zun::FrameView (heard[0].second).SequenceNumber(), zun::FrameView (heard[1].second).SequenceNumber()) << "one frame for all";
}

TEST_F (Engine, ATimeOutComesTwoSecondsAfterTheLatestWaitBeganAndLeavesTheStateAsItWas)
{
    probe->setRequestState (MainComponent::readingAudioPorts);
    probe->awaitReply();
    ui::pump (1000);
    const auto restartMs = juce::Time::getMillisecondCounterHiRes();
    probe->awaitReply(); // awaiting again starts the two seconds afresh

    ASSERT_TRUE (waitForAlert());
    EXPECT_EQ (alerts[0].title, "Time Out Error");
    EXPECT_GE (alerts[0].timeMs - restartMs, 2000.0) << "never before the two seconds";
    EXPECT_LE (alerts[0].timeMs - restartMs, 3500.0);
    EXPECT_EQ (probe->requestState(), MainComponent::readingAudioPorts) << "a late reply may still carry the exchange on";
    EXPECT_FALSE (probe->anyTimerRunning());

    ui::pump (300);
    EXPECT_EQ (alerts.size(), 1u);
}

TEST_F (Engine, OnlyAnAcknowledgementEndsLoadingSavingAndSetting)
{
    InterfaceEmulator sender (virtualPorts);
    const struct
    {
        const char* what;
        std::vector<juce::uint8> body;
        bool accepted;
    } cases[] = {
        { "an acknowledgement", { 0x40, 0x00, 0x10, 0x03, 0x00 }, true },
        { "an acknowledgement of a refusal", { 0x40, 0x00, 0x11, 0x00, 0x13 }, true },
        { "data class 3", { 0x40, 0x03, 0x10, 0x03, 0x00 }, false },
        { "L = 6", { 0x40, 0x00, 0x10, 0x03, 0x00, 0x00 }, false },
        { "L = 4", { 0x40, 0x00, 0x10, 0x03 }, false },
        { "message class RetParmVal", { 0x43, 0x00, 0x10, 0x03, 0x00 }, false },
    };

    // Nothing awaits an acknowledgement while idle or reading settings.
    for (juce::uint8 state : { 0, 3, 4, 5, 6, 7, 8, 9, 10, 11 })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (std::string (c.what) + " in state " + std::to_string (state));
            const bool accepted = c.accepted && state >= MainComponent::loadingPreset;
            probe->setRequestState (state);
            probe->awaitReply();

            probe->receive (nullptr, sender.makeFrame (c.body, 0, 0));

            EXPECT_EQ (probe->requestState(), accepted ? juce::uint8 (MainComponent::idle) : state);
            EXPECT_EQ (probe->isTimerRunning (MainComponent::replyTimeout), ! accepted);
        }
    }
}
