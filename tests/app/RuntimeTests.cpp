#include "AppFixture.h"

// The runtime status: frames the interface sends when asked (Manual, Poll) or by itself
// (Notify) are applied in every request state and shown in the Runtime group; none of the
// runtime frames the window sends awaits a reply.

namespace
{
using Kind = InterfaceEmulator::RequestKind;

// Scene, armed, alarm, then USB 1 audio and MIDI, USB 2 audio and MIDI.
using Status = std::array<juce::uint8, 7>;

std::vector<juce::uint8> statusBody (const Status& s, juce::uint8 messageClass = 0x43, juce::uint8 byte38 = 0x12)
{
    return { messageClass, 3, 1, 18, 3, 4, 3, 0x04, s[0], 3, 0x10, s[1], 3, 0x11, s[2], 6, byte38, s[3], s[4], s[5], s[6] };
}
} // namespace

class Runtime : public AppFixture
{
protected:
    juce::Component& group() { return *ui::find<juce::GroupComponent> (*app, "Runtime"); }

    // The n-th child of the Runtime group with this caption ("Ready" of USB 1, then of USB 2).
    juce::Component* nth (const juce::String& caption, int n)
    {
        for (auto* child : group().getChildren())
            if (ui::captionOf (*child) == caption && n-- == 0)
                return child;
        return nullptr;
    }

    // The two status labels of a host follow its caption.
    juce::String hostLabels (int host)
    {
        const auto& children = group().getChildren();
        const auto at = children.indexOf (nth ("USB " + juce::String (host) + " Status:", 0));
        return ui::captionOf (*children[at + 1]) + "," + ui::captionOf (*children[at + 2]);
    }

    juce::String sceneMark (const char* caption, const char* letter)
    {
        auto& b = ui::button (*app, caption);
        constexpr auto id = juce::TextButton::buttonColourId;
        if (! b.isColourSpecified (id))
            return {};
        return juce::String (letter) + (b.findColour (id) == juce::Colours::darkviolet ? "" : "?");
    }

    // "B ARMED | Audio - 1,MIDI - 2,, | Ready1 Master1 Fail2": coloured scene button, visible
    // flags, the four status labels, the visible indicators.
    juce::String shown()
    {
        auto scene = sceneMark ("Scene A", "A") + sceneMark ("Scene B", "B");
        juce::StringArray flags { scene.isEmpty() ? "-" : scene };
        for (auto* flag : { "ARMED", "ALARM" })
            if (ui::button (*app, flag).isVisible())
                flags.add (flag);

        juce::StringArray lamps;
        for (auto host : { 0, 1 })
            for (auto* lamp : { "Ready", "Fail", "Master" })
                if (nth (lamp, host)->isVisible())
                    lamps.add (lamp + juce::String (host + 1));

        return flags.joinIntoString (" ") + " | " + hostLabels (1) + "," + hostLabels (2) + " | " + lamps.joinIntoString (" ");
    }

    void receive (InterfaceEmulator& emulator, const std::vector<juce::uint8>& body)
    {
        probe->receive (nullptr, emulator.makeFrame (body, probe->deviceContainer().sysexMessage.sessionId, 0));
    }

    bool waitForSettings()
    {
        return ui::pumpUntil ([this]
                              { return probe->settingsLoaded() && probe->requestState() == MainComponent::idle; });
    }

    static bool waitForCount (InterfaceEmulator& emulator, Kind kind, int count, int timeoutMs = 500)
    {
        return ui::pumpUntil ([&]
                              { return emulator.countOf (kind) >= count; },
                              timeoutMs);
    }
};

//==============================================================================
// Rows run in order on one window: where a row keeps lamps, they are the row before's.
// Notifications and replies alternate.
TEST_F (Runtime, TheStatusFrameIsShownBySceneFlagsLabelsAndTheLampsOfTheFailoverAndTriggerModes)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    auto& block = probe->deviceContainer().failoverBlock;

    const struct
    {
        const char* what;
        juce::uint8 failoverMode, triggerMode, audioTrigger, midiTrigger, usbd1Slot, usbd2Slot;
        Status status;
        const char* expected;
        const char* slots; // audio/MIDI status of slots 1 and 2; 9: not written
    } rows[] = {
        { "scene A, armed, status 1 to 3", 1, 1, 1, 1, 1, 2, { 1, 1, 0, 1, 2, 3, 0 }, "A ARMED | Audio - 1,MIDI - 2,Audio - 3, | Ready1 Master1", "1/2 3/0" },
        { "scene B, alarm; status 4 and 0 show nothing", 1, 1, 1, 1, 1, 2, { 2, 0, 1, 4, 0, 0, 4 }, "B ALARM | ,,, | Ready1 Master1", "4/0 0/4" },
        { "scene 0; status 0 misses level 1", 1, 1, 1, 1, 1, 2, { 0, 0, 0, 0, 3, 3, 3 }, "- | ,MIDI - 3,Audio - 3,MIDI - 3 | Fail1 Master1", "0/3 3/3" },
        { "audio mode, at and below level 2", 2, 1, 2, 1, 1, 2, { 1, 0, 0, 2, 0, 1, 3 }, "A | Audio - 2,,Audio - 1,MIDI - 3 | Ready1 Master1 Fail2", "2/0 1/3" },
        { "MIDI mode, below and at level 3", 2, 2, 1, 3, 1, 2, { 2, 0, 0, 3, 2, 0, 3 }, "B | Audio - 3,MIDI - 2,,MIDI - 3 | Fail1 Ready2 Master2", "3/2 0/3" },
        { "audio or MIDI; scene 0 keeps Master", 2, 3, 2, 2, 1, 2, { 0, 0, 0, 1, 2, 1, 1 }, "- | Audio - 1,MIDI - 2,Audio - 1,MIDI - 1 | Ready1 Fail2 Master2", "1/2 1/1" },
        { "audio and MIDI needs both", 2, 4, 2, 2, 1, 2, { 1, 0, 0, 2, 1, 2, 2 }, "A | Audio - 2,MIDI - 1,Audio - 2,MIDI - 2 | Fail1 Master1 Ready2", "2/1 2/2" },
        { "trigger mode 0 is never ready", 2, 0, 1, 1, 1, 2, { 1, 0, 0, 4, 4, 4, 4 }, "A | ,,, | Fail1 Master1 Fail2", "4/4 4/4" },
        { "trigger mode 5 is never ready", 2, 5, 1, 1, 1, 2, { 2, 0, 0, 4, 4, 4, 4 }, "B | ,,, | Fail1 Fail2 Master2", "4/4 4/4" },
        { "status 4 reaches level 3", 2, 4, 3, 3, 1, 2, { 2, 0, 0, 4, 4, 3, 2 }, "B | ,,Audio - 3,MIDI - 2 | Ready1 Fail2 Master2", "4/4 3/2" },
        { "settings never read keep the lamps", 0, 1, 1, 1, 1, 2, { 1, 1, 1, 0, 0, 0, 0 }, "A ARMED ALARM | ,,, | Ready1 Fail2 Master2", "0/0 0/0" },
        { "no USB 2 port: USB 2 follows the frame", 2, 1, 1, 1, 1, 0, { 2, 0, 0, 1, 0, 0, 1 }, "B | Audio - 1,,,MIDI - 1 | Ready1 Fail2 Master2", "1/0 9/9" },
        { "one slot for both: USB 1 shows USB 2's", 2, 1, 1, 1, 2, 2, { 1, 0, 0, 3, 3, 0, 2 }, "A | ,MIDI - 2,,MIDI - 2 | Fail1 Master1 Fail2", "9/9 0/2" },
        { "no USB 1 port: USB 1 follows the frame", 2, 1, 1, 1, 0, 2, { 1, 0, 0, 3, 3, 0, 2 }, "A | Audio - 3,MIDI - 3,,MIDI - 2 | Ready1 Master1 Fail2", "9/9 0/2" },
        { "single master hides every USB 2 lamp", 1, 1, 1, 1, 1, 2, { 2, 0, 0, 1, 1, 3, 3 }, "B | Audio - 1,MIDI - 1,Audio - 3,MIDI - 3 | Ready1 Master1", "1/1 3/3" },
    };

    for (const auto& r : rows)
    {
        const auto index = &r - rows;
        SCOPED_TRACE (r.what);
        block.failoverMode = r.failoverMode;
        block.triggerMode = r.triggerMode;
        block.audioTrigger = r.audioTrigger;
        block.midiTrigger = r.midiTrigger;
        block.usbd1PortSlot = r.usbd1Slot;
        block.usbd2PortSlot = r.usbd2Slot;
        for (auto& slot : block.audioPorts)
            slot.audioStatus = slot.midiStatus = 9;

        receive (alpha, statusBody (r.status, index % 2 == 0 ? 0x50 : 0x43));

        EXPECT_EQ (shown(), r.expected);
        juce::StringArray slots;
        for (int i : { 0, 1 })
            slots.add (juce::String (block.audioPorts[i].audioStatus) + "/" + juce::String (block.audioPorts[i].midiStatus));
        EXPECT_EQ (slots.joinIntoString (" "), r.slots);
        EXPECT_EQ (block.currentScene, r.status[0]);
        EXPECT_EQ (probe->requestState(), MainComponent::idle);
    }
}

TEST_F (Runtime, OnlyAFrameWithTheFourRuntimeParametersIsAppliedAndOneArrivingDuringASettingsReadLeavesTheReadRunning)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    const Status status { 2, 1, 1, 1, 2, 3, 1 };

    for (auto [messageClass, byte38, applied] : { std::tuple { 0x50, 0x12, true }, { 0x43, 0x12, true }, { 0x43, 0x13, false }, { 0x50, 0x13, false } })
    {
        SCOPED_TRACE (juce::String::toHexString (messageClass) + " " + juce::String::toHexString (byte38));
        probe->clrGUI();
        receive (alpha, statusBody (status, (juce::uint8) messageClass, (juce::uint8) byte38));
        EXPECT_EQ (shown(), applied ? "B ARMED ALARM | Audio - 1,MIDI - 2,Audio - 3,MIDI - 1 | Ready1 Master1" : "- | ,,, | ");
        EXPECT_EQ (probe->requestState(), MainComponent::idle);
    }

    // A reply over the port while the current-scene reply is held back.
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::getSettingsDF] = 500.0; });
    ui::click (*app, "Get Settings", 0);
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::readingFeatures; }));
    const auto session = probe->deviceContainer().sysexMessage.sessionId;
    alpha.sendToApp (alpha.makeFrame (statusBody ({ 1, 0, 0, 3, 3, 3, 3 }, 0x43), session, 0));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return shown().startsWith ("A | Audio - 3"); },
                                400));
    EXPECT_EQ (probe->requestState(), MainComponent::readingFeatures);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_TRUE (waitForSettings()) << "the held reply still carries the read on";
    EXPECT_TRUE (alerts.empty());
}

//==============================================================================
TEST_F (Runtime, PollAsksEvery40MsAndItsRepliesAreShown)
{
    auto& alpha = addInterface();
    alpha.configure ([] (auto& c)
                     { std::fill (std::begin (c.hostStatus), std::end (c.hostStatus), 2); });
    ASSERT_TRUE (connect());

    ui::click (*app, "Poll");
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return hostLabels (2) == "Audio - 2,MIDI - 2"; },
                                500));
    EXPECT_FALSE (ui::button (*app, "Get Runtime").isEnabled());

    alpha.clear();
    ui::pump (800);
    const auto asked = alpha.countOf (Kind::getRuntime);
    EXPECT_GE (asked, 10) << "20 expected";
    EXPECT_LE (asked, 24) << "20 expected";
    EXPECT_EQ (alpha.receivedFrames().size(), (size_t) asked) << "nothing else is sent";
}

// With a period of 1 s: the subscribe at once, a Ping on the second tick, then one every
// 25 ticks; a period of 0 gives one Ping. A second click subscribes and counts down again.
TEST_F (Runtime, NotifySubscribesAndPingsEveryKeepAlivePeriodAndClosingTheWindowSendsNothing)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());

    for (auto [period, pingsAgain] : { std::pair<juce::uint8, bool> { 0, false }, { 1, true } })
    {
        SCOPED_TRACE (period);
        alpha.configure ([p = period] (auto& c)
                         { c.keepAlivePeriod = p; });
        ASSERT_TRUE (readSettings());
        alpha.clear();

        ui::click (*app, "Notify", 0);
        ASSERT_TRUE (waitForCount (alpha, Kind::ping, 1)) << "the second tick, not a whole period";
        EXPECT_EQ (alpha.receivedFrames().front().kind, Kind::subscribe);
        EXPECT_EQ (alpha.countOf (Kind::subscribe), 1);
        EXPECT_FALSE (ui::button (*app, "Get Runtime").isEnabled());

        ui::pump (700);
        EXPECT_EQ (alpha.countOf (Kind::ping), 1);
        EXPECT_EQ (waitForCount (alpha, Kind::ping, 2, pingsAgain ? 1000 : 500), pingsAgain);
    }

    ui::click (*app, "Notify", 0);
    EXPECT_TRUE (waitForCount (alpha, Kind::ping, 3, 400)) << "counted down from 2 again";
    EXPECT_EQ (alpha.countOf (Kind::subscribe), 2);
    EXPECT_EQ (alpha.countOf (Kind::unsubscribe), 0);
    EXPECT_EQ (alpha.countOf (Kind::getRuntime), 0);

    // Closing the window leaves the subscription as it is.
    const auto received = alpha.receivedFrames().size();
    probe.reset();
    app.reset();
    ui::pump (200);
    EXPECT_EQ (alpha.receivedFrames().size(), received);
    EXPECT_TRUE (alpha.isSubscribed());
}

TEST_F (Runtime, LeavingNotifyUnsubscribesFirstAndManualBringsGetRuntimeBack)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    ui::click (*app, "Notify");
    ASSERT_TRUE (alpha.isSubscribed());
    alpha.clear();

    ui::click (*app, "Poll");
    ASSERT_TRUE (waitForCount (alpha, Kind::getRuntime, 2));
    EXPECT_EQ (alpha.receivedFrames().front().kind, Kind::unsubscribe);
    EXPECT_EQ (alpha.countOf (Kind::unsubscribe), 1);
    EXPECT_FALSE (alpha.isSubscribed());
    EXPECT_FALSE (ui::button (*app, "Get Runtime").isEnabled());

    alpha.clear();
    ui::click (*app, "Manual");
    EXPECT_EQ (alpha.countOf (Kind::unsubscribe) + alpha.countOf (Kind::subscribe), 0);
    alpha.clear();
    ui::pump (200);
    EXPECT_TRUE (alpha.receivedFrames().empty()) << "no more GetRuntime";
    EXPECT_TRUE (ui::button (*app, "Get Runtime").isEnabled());

    // Clicks between two ticks make one request.
    for (int i = 0; i < 3; ++i)
        probe->asButtonListener()->buttonClicked (&ui::button (*app, "Get Runtime"));
    ui::pump (200);
    EXPECT_EQ (alpha.countOf (Kind::getRuntime), 1);
    EXPECT_EQ (alpha.receivedFrames().size(), 1u);
}

TEST_F (Runtime, BeforeASettingsReadTheRuntimeControlsSendNothing)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (searchAndWait());
    selectRow (0);
    alpha.clear();

    for (auto* caption : { "Get Runtime", "Poll", "Notify", "Manual", "Get Runtime" })
        ui::click (*app, caption);
    ui::pump (200);

    EXPECT_TRUE (alpha.receivedFrames().empty());
    EXPECT_FALSE (probe->isTimerRunning (MainComponent::runtimeTick));
    EXPECT_EQ (probe->runtimeMode(), MainComponent::Manual);
    EXPECT_FALSE (probe->runtimeRequest());
}

//==============================================================================
// Each action starts a new exchange; the unsubscribe carries the session it cancels.
TEST_F (Runtime, SearchGetSettingsAndLoadPresetUnsubscribeBeforeAnythingElse)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());

    for (auto [caption, first] : { std::pair { "Get Settings", Kind::getSettingsAI }, { "Load Preset", Kind::loadPreset }, { "Search", Kind::discovery } })
    {
        SCOPED_TRACE (caption);
        ASSERT_TRUE (waitForSettings());
        ui::click (*app, "Notify");
        ASSERT_TRUE (alpha.isSubscribed());
        const auto session = alpha.subscriptionSessionId();
        alpha.clear();

        ui::click (*app, caption);
        ASSERT_TRUE (waitForCount (alpha, first, 1, 3000));

        const auto frames = alpha.receivedFrames();
        ASSERT_GE (frames.size(), 2u);
        EXPECT_EQ (frames[0].kind, Kind::unsubscribe);
        EXPECT_EQ (zun::FrameView (frames[0].message).SessionId(), session);
        EXPECT_EQ (frames[1].kind, first);
        EXPECT_FALSE (alpha.isSubscribed());
    }
    EXPECT_TRUE (alerts.empty());
}

// The acknowledgement is held back while GetRuntime replies keep coming in.
TEST_F (Runtime, InPollSavePresetAndSettingChangesKeepPollingAndTakeNoRuntimeReplyForTheirAckUntilATimeOut)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    ui::click (*app, "Poll");

    for (auto [caption, kind, awaited, status] : { std::tuple { "Save Preset", Kind::savePreset, MainComponent::savingPreset, 1 },
                                                   { "Auto Clear Alarm", Kind::setFailover, MainComponent::settingParameter, 2 } })
    {
        SCOPED_TRACE (caption);
        alpha.configure ([k = kind, s = status] (auto& c)
                         { c.replyDelayMsFor[k] = 600.0; std::fill (std::begin (c.hostStatus), std::end (c.hostStatus), s); });
        alpha.clear();

        ui::click (*app, caption, 250);
        EXPECT_EQ (probe->requestState(), awaited);
        EXPECT_GE (alpha.countOf (Kind::getRuntime), 3);
        EXPECT_EQ (hostLabels (1), "Audio - " + juce::String (status) + ",MIDI - " + juce::String (status));

        EXPECT_TRUE (ui::pumpUntil ([this]
                                    { return probe->requestState() == MainComponent::idle; }));
        EXPECT_TRUE (probe->isTimerRunning (MainComponent::runtimeTick));
    }
    EXPECT_TRUE (alerts.empty());

    // An acknowledgement that never comes: the time-out stops polling until a complete read.
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::savePreset }; });
    ui::click (*app, "Save Preset");
    ASSERT_TRUE (waitForAlert());
    EXPECT_EQ (alerts[0].title, "Time Out Error");
    alpha.clear();
    ui::pump (200);
    EXPECT_TRUE (alpha.receivedFrames().empty());
    EXPECT_EQ (probe->runtimeMode(), MainComponent::Poll);

    ASSERT_TRUE (readSettings());
    ui::click (*app, "Poll");
    EXPECT_TRUE (waitForCount (alpha, Kind::getRuntime, 2));
}
