#include "AppFixture.h"
#include "RequestTemplates.h"

// The request engine: every request goes out on every open output, logged first; one reply
// is awaited at a time, for 2000 ms; acknowledgements end loading, saving and setting.

namespace
{
using Kind = InterfaceEmulator::RequestKind;

const juce::String timeOutMessage = "Something went wrong, was expecting a message from interface but did not receive one.";

juce::MidiMessage frameWithBody (const std::vector<juce::uint8>& body) { return AppFixture::makeFrame (body, 0x1234, 0x12345678, 0, 0); }
} // namespace

class Engine : public AppFixture
{
};

//==============================================================================
TEST_F (Engine, ARequestWithNoOpenOutputStillUsesUpASequenceNumberAndIsLogged)
{
    std::vector<juce::MidiMessage> heard;
    const auto pair = addPortPair ("Never opened");
    virtualPorts.setOutputListener (pair.output, [&] (const juce::MidiMessage& m)
                                    { heard.push_back (m); });
    showMidiMessages();
    const auto sequenceBefore = probe->deviceContainer().sysexMessage.sequenceNumber;

    probe->sendToAllOutputs (SXMessage_GetProductName, SXMessage_GetProductName_Length);

    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequenceBefore + 1);
    ASSERT_EQ (probe->midiLog().getNumLines(), 1);
    EXPECT_TRUE (probe->midiLog().getLine (0).startsWith ("1 - "));
    EXPECT_TRUE (probe->midiLog().getLine (0).contains (" S GetParmVal DeviceInfo"));
    EXPECT_TRUE (heard.empty());
}

TEST_F (Engine, ARequestGoesToEveryOpenOutputInListOrderAndToNoClosedOne)
{
    std::vector<std::pair<int, juce::MidiMessage>> heard;

    for (int i = 0; i < 3; ++i)
    {
        const auto pair = addPortPair ("Port " + juce::String (i));
        virtualPorts.setOutputListener (pair.output, [&heard, i] (const juce::MidiMessage& m)
                                        { heard.emplace_back (i, m); });
    }

    clickSearch(); // opens every port
    app->closeDevice (false, 1);
    heard.clear();

    const auto before = juce::Time::getMillisecondCounterHiRes() * 0.001;
    probe->sendToAllOutputs (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    const auto after = juce::Time::getMillisecondCounterHiRes() * 0.001;

    ASSERT_EQ (heard.size(), 2u);
    EXPECT_EQ (heard[0].first, 0);
    EXPECT_EQ (heard[1].first, 2);

    // One frame, the same on both, stamped when it was built.
    const auto& frame = heard[0].second;
    EXPECT_EQ (frame.getRawDataSize(), SXMessage_GetRuntime_Length + zun::Frame::overhead);
    EXPECT_EQ (juce::MemoryBlock (frame.getRawData(), (size_t) frame.getRawDataSize()),
               juce::MemoryBlock (heard[1].second.getRawData(), (size_t) heard[1].second.getRawDataSize()));
    EXPECT_GE (frame.getTimeStamp(), before);
    EXPECT_LE (frame.getTimeStamp(), after);
}

//==============================================================================
TEST_F (Engine, ATimeOutShowsOneAlertAndLeavesTheStateAsItWas)
{
    probe->setRequestState (MainComponent::readingAudioPorts);
    const auto startMs = juce::Time::getMillisecondCounterHiRes();
    probe->awaitReply();

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return ! alerts.empty(); },
                                5000));
    EXPECT_EQ (alerts[0].title, "Time Out Error");
    EXPECT_EQ (alerts[0].message, timeOutMessage);

    // JUCE's timer thread counts from its own last tick, up to 100 ms before the start.
    EXPECT_GE (alerts[0].timeMs - startMs, 1890.0);
    EXPECT_LE (alerts[0].timeMs - startMs, 3500.0);

    EXPECT_EQ (probe->requestState(), MainComponent::readingAudioPorts) << "a late reply may still carry the exchange on";
    EXPECT_FALSE (probe->anyTimerRunning());

    ui::pump (300);
    EXPECT_EQ (alerts.size(), 1u);
}

TEST_F (Engine, AwaitingAgainRestartsTheTwoSeconds)
{
    probe->setRequestState (MainComponent::settingParameter);
    probe->awaitReply();
    ui::pump (1000);
    const auto restartMs = juce::Time::getMillisecondCounterHiRes();
    probe->awaitReply();

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return ! alerts.empty(); },
                                5000));
    EXPECT_GE (alerts[0].timeMs - restartMs, 1890.0);
    EXPECT_EQ (alerts.size(), 1u);
}

//==============================================================================
TEST_F (Engine, OnlyAnAcknowledgementEndsLoadingSavingAndSetting)
{
    struct Case
    {
        const char* what;
        std::vector<juce::uint8> body;
        bool accepted;
    };

    const std::vector<Case> cases {
        { "an acknowledgement", { 0x40, 0x00, 0x10, 0x03, 0x00 }, true },
        { "an acknowledgement of a refusal", { 0x40, 0x00, 0x11, 0x00, 0x13 }, true },
        { "data class 3", { 0x40, 0x03, 0x10, 0x03, 0x00 }, false },
        { "L = 6", { 0x40, 0x00, 0x10, 0x03, 0x00, 0x00 }, false },
        { "L = 4", { 0x40, 0x00, 0x10, 0x03 }, false },
        { "message class RetParmVal", { 0x43, 0x00, 0x10, 0x03, 0x00 }, false },
    };

    for (juce::uint8 state : { MainComponent::loadingPreset, MainComponent::savingPreset, MainComponent::settingParameter })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (std::string (c.what) + " in state " + std::to_string (state));
            probe->setRequestState (state);
            probe->awaitReply();

            probe->receive (nullptr, frameWithBody (c.body));

            EXPECT_EQ (probe->requestState(), c.accepted ? juce::uint8 (MainComponent::idle) : state);
            EXPECT_EQ (probe->isTimerRunning (MainComponent::replyTimeout), ! c.accepted);
        }
    }

    // Nothing awaits an acknowledgement while idle or reading settings.
    for (juce::uint8 state : { 0, 3, 4, 5, 6, 7, 8 })
    {
        probe->setRequestState (state);
        probe->awaitReply();
        probe->receive (nullptr, frameWithBody (cases[0].body));
        EXPECT_EQ (probe->requestState(), state);
        EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    }
}

TEST_F (Engine, AnAcknowledgementWithDataClass3IsIgnoredAndTheTimeOutFollows)
{
    probe->setRequestState (MainComponent::settingParameter);
    const auto requestMs = juce::Time::getMillisecondCounterHiRes();
    probe->awaitReply();

    ui::pump (200);
    probe->receive (nullptr, frameWithBody ({ 0x40, 0x03, 0x10, 0x03, 0x00 }));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return ! alerts.empty(); },
                                5000));
    EXPECT_EQ (alerts[0].title, "Time Out Error");
    EXPECT_GE (alerts[0].timeMs - requestMs, 1890.0);
    EXPECT_EQ (probe->requestState(), MainComponent::settingParameter);
}

//==============================================================================
TEST_F (Engine, SearchInNotifyModeUnsubscribesOnTheOutputsOpenAtThatMoment)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (searchAndWait());
    selectRow (0);

    // Manual: a new search sends no unsubscribe.
    ASSERT_TRUE (searchAndWait());
    EXPECT_EQ (alpha.countOf (Kind::unsubscribe), 0);

    selectRow (0);
    probe->setRuntimeMode (MainComponent::Notify);
    alpha.clear();
    showMidiMessages();
    clickSearch();

    ASSERT_EQ (alpha.countOf (Kind::unsubscribe), 1);
    const auto unsubscribe = alpha.lastOf (Kind::unsubscribe)->message;
    const std::vector<juce::uint8> expectedBody { 0x11, 0x00, 0x01, 0x07, 0x06, 0x01, 0x04, 0x05, 0x02, 0x06 };
    const zun::FrameView view (unsubscribe);
    ASSERT_EQ (view.BodyLength(), (int) expectedBody.size());
    for (int i = 0; i < (int) expectedBody.size(); ++i)
        EXPECT_EQ (view.Byte (zun::Frame::bodyPos + i), expectedBody[(size_t) i]);

    // It went out before the discovery request, which is sent on the rebuilt ports.
    const auto received = alpha.receivedFrames();
    ASSERT_GE (received.size(), 2u);
    EXPECT_EQ (received[0].kind, Kind::unsubscribe);
    EXPECT_EQ (received[1].kind, Kind::discovery);
    EXPECT_TRUE (probe->midiLog().getLine (0).contains (" S SetCmdVal None"));
}
