#include "AppFixture.h"
#include "RequestTemplates.h"

// The request engine: every request goes out on every open output, logged first; one reply
// is awaited at a time, for 2000 ms; acknowledgements end loading, saving and setting.

using Kind = InterfaceEmulator::RequestKind;

using Engine = AppFixture;

//==============================================================================
TEST_F (Engine, ARequestGoesToEveryOpenOutputInListOrderAndIsLoggedAndNumberedEvenWithNoneOpen)
{
    std::vector<std::pair<int, juce::MidiMessage>> heard; // output index, message
    for (int i = 0; i < 3; ++i)
        virtualPorts.setOutputListener (addPortPair().output, [&heard, i] (const juce::MidiMessage& m)
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
    EXPECT_TRUE (heard[0].first == 0 && heard[1].first == 2);
    EXPECT_EQ (heard[0].second.getRawDataSize(), SXMessage_GetRuntime_Length + zun::Frame::overhead);
    EXPECT_EQ (zun::FrameView (heard[0].second).SequenceNumber(), zun::FrameView (heard[1].second).SequenceNumber()) << "one frame for all";
}

// In Poll mode the GetRuntime replies keep coming in while an acknowledgement is awaited and
// are never taken for it. A wait that is begun again counts its two seconds afresh; the
// time-out leaves the awaited reply as it was and stops polling until a complete read.
TEST_F (Engine, ATimeOutComesTwoSecondsAfterTheLatestWaitBeganWhilePollingGoesOnAndThenStopsIt)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    ui::click (*app, "Poll");

    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::setFailover] = 600.0; std::fill (std::begin (c.hostStatus), std::end (c.hostStatus), 2); });
    ui::click (*app, "Auto Clear Alarm", 250);
    EXPECT_TRUE (probe->requestState() == MainComponent::settingParameter && probe->usb1AudioStatusLabel().getText() == "Audio - 2");
    EXPECT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; }));

    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::savePreset }; std::fill (std::begin (c.hostStatus), std::end (c.hostStatus), 3); });
    ui::click (*app, "Save Preset");
    ui::pump (1000);
    EXPECT_TRUE (probe->requestState() == MainComponent::savingPreset && probe->usb2MidiStatusLabel().getText() == "MIDI - 3");
    alpha.clear();
    juce::Thread::sleep (150); // held up as a preset load holds it: JUCE counts a new timer from before
    const auto waitBeganMs = juce::Time::getMillisecondCounterHiRes();
    probe->awaitReply(); // awaiting again starts the two seconds afresh
    ASSERT_TRUE (waitForAlert());

    EXPECT_GE (alpha.countOf (Kind::getRuntime), 25) << "50 expected";
    EXPECT_EQ (alerts[0].title, "Time Out Error");
    EXPECT_TRUE (alerts[0].timeMs - waitBeganMs >= 2000.0 && alerts[0].timeMs - waitBeganMs <= 3500.0) << alerts[0].timeMs - waitBeganMs << " ms, never before the two seconds";
    EXPECT_EQ (probe->requestState(), MainComponent::savingPreset) << "a late reply may still carry the exchange on";
    EXPECT_TRUE (! probe->anyTimerRunning() && probe->runtimeMode() == MainComponent::Poll);

    alpha.clear();
    ui::pump (300);
    EXPECT_TRUE (alpha.receivedFrames().empty() && alerts.size() == 1u);

    ASSERT_TRUE (readSettings());
    ui::click (*app, "Poll");
    EXPECT_TRUE (ui::pumpUntil ([&]
                                { return alpha.countOf (Kind::getRuntime) >= 2; }));
}

TEST_F (Engine, OnlyAnAcknowledgementEndsLoadingSavingAndSetting)
{
    InterfaceEmulator sender (virtualPorts);
    const std::tuple<const char*, std::vector<juce::uint8>, bool> cases[] = {
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
        for (const auto& [what, body, isAcknowledgement] : cases)
        {
            SCOPED_TRACE (std::string (what) + " in state " + std::to_string (state));
            const bool accepted = isAcknowledgement && state >= MainComponent::loadingPreset;
            probe->setRequestState (state);
            probe->awaitReply();

            probe->receive (nullptr, sender.makeFrame (body, 0, 0));

            EXPECT_EQ (probe->requestState(), accepted ? juce::uint8 (MainComponent::idle) : state);
            EXPECT_EQ (probe->isTimerRunning (MainComponent::replyTimeout), ! accepted);
        }
    }
}
