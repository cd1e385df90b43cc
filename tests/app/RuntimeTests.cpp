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
    // The n-th child of the Runtime group with this caption ("Ready" of USB 1, then of USB 2).
    juce::Component* nth (const juce::String& caption, int n)
    {
        for (auto* child : ui::find<juce::GroupComponent> (*app, "Runtime")->getChildren())
            if (ui::captionOf (*child) == caption && n-- == 0)
                return child;
        return nullptr;
    }

    // "B ARMED | Audio - 1,MIDI - 2,, | Ready1 Master1 Fail2": the coloured scene button ("?"
    // for a colour other than dark violet), visible flags, the four status labels of USB 1 and
    // USB 2, the visible indicators.
    juce::String shown()
    {
        constexpr auto id = juce::TextButton::buttonColourId;
        juce::String scene;
        for (auto* letter : { "A", "B" })
            if (auto& b = ui::button (*app, juce::String ("Scene ") + letter); b.isColourSpecified (id))
                scene << letter << (b.findColour (id) == juce::Colours::darkviolet ? "" : "?");

        juce::StringArray flags { scene.isEmpty() ? "-" : scene }, labels, lamps;
        for (auto* flag : { "ARMED", "ALARM" })
            if (ui::button (*app, flag).isVisible())
                flags.add (flag);
        for (auto* label : { &probe->usb1AudioStatusLabel(), &probe->usb1MidiStatusLabel(), &probe->usb2AudioStatusLabel(), &probe->usb2MidiStatusLabel() })
            labels.add (label->getText());
        for (auto host : { 0, 1 })
            for (auto* lamp : { "Ready", "Fail", "Master" })
                if (nth (lamp, host)->isVisible())
                    lamps.add (lamp + juce::String (host + 1));

        return flags.joinIntoString (" ") + " | " + labels.joinIntoString (",") + " | " + lamps.joinIntoString (" ");
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
// Notifications and replies alternate; a frame whose fourth parameter is not 0x12 is
// something else and changes nothing.
TEST_F (Runtime, OnlyAStatusFrameIsShownBySceneFlagsLabelsAndLampsInEveryStateWithoutEndingARead)
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
        juce::uint8 byte38 = 0x12;
    } rows[] = {
        { "scene A, armed, status 1 to 3", 1, 1, 1, 1, 1, 2, { 1, 1, 0, 1, 2, 3, 0 }, "A ARMED | Audio - 1,MIDI - 2,Audio - 3, | Ready1 Master1", "1/2 3/0" },
        { "scene B, alarm; status 4 and 0 show nothing", 1, 1, 1, 1, 1, 2, { 2, 0, 1, 4, 0, 0, 4 }, "B ALARM | ,,, | Ready1 Master1", "4/0 0/4" },
        { "parameter 0x13 is not the runtime status", 1, 1, 1, 1, 1, 2, { 2, 1, 0, 3, 3, 3, 3 }, "B ALARM | ,,, | Ready1 Master1", "9/9 9/9", 0x13 },
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
        SCOPED_TRACE (r.what);
        std::tie (block.failoverMode, block.triggerMode, block.audioTrigger, block.midiTrigger, block.usbd1PortSlot, block.usbd2PortSlot) = std::tie (r.failoverMode, r.triggerMode, r.audioTrigger, r.midiTrigger, r.usbd1Slot, r.usbd2Slot);
        for (auto& slot : block.audioPorts)
            slot.audioStatus = slot.midiStatus = 9;

        const auto messageClass = (&r - rows) % 2 == 0 ? 0x50 : 0x43;
        probe->receive (nullptr, alpha.makeFrame (statusBody (r.status, (juce::uint8) messageClass, r.byte38), probe->deviceContainer().sysexMessage.sessionId, 0));

        EXPECT_EQ (shown(), r.expected);
        juce::StringArray slots;
        for (int i : { 0, 1 })
            slots.add (juce::String (block.audioPorts[i].audioStatus) + "/" + juce::String (block.audioPorts[i].midiStatus));
        EXPECT_EQ (slots.joinIntoString (" "), r.slots);
        EXPECT_TRUE (block.currentScene == r.status[0] && probe->requestState() == MainComponent::idle);
    }

    // A status frame over the port while the current-scene reply is held back.
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::getSettingsDF] = 500.0; });
    ui::click (*app, "Get Settings", 0);
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::readingFeatures; }));
    alpha.sendToApp (alpha.makeFrame (statusBody ({ 1, 0, 0, 3, 3, 3, 3 }), probe->deviceContainer().sysexMessage.sessionId, 0));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return shown().startsWith ("A | Audio - 3"); },
                                400));
    EXPECT_EQ (probe->requestState(), MainComponent::readingFeatures);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_TRUE (ui::pumpUntil ([this]
                                { return probe->settingsLoaded() && probe->requestState() == MainComponent::idle; }))
        << "the held reply still carries the read on";
    EXPECT_TRUE (alerts.empty());
}

//==============================================================================
// Notify subscribes at once and pings on the second tick, then every 25 ticks with a period
// of 1 s; leaving it unsubscribes first. Poll asks at every tick and shows the replies;
// Manual asks once per tick when told. A period of 0 gives one Ping, and a second click on
// "Notify" subscribes and counts down from 2 again.
TEST_F (Runtime, EachModeSendsWhatItShouldAtItsTicksAndClosingTheWindowSendsNothing)
{
    auto& alpha = addInterface();
    alpha.configure ([] (auto& c)
                     { c.keepAlivePeriod = 1; std::fill (std::begin (c.hostStatus), std::end (c.hostStatus), 2); });
    ASSERT_TRUE (connect());
    alpha.clear();

    ui::click (*app, "Notify", 0);
    ASSERT_TRUE (waitForCount (alpha, Kind::ping, 1)) << "the second tick, not a whole period";
    EXPECT_EQ (kindsReceived (alpha), "subscribe ping");
    EXPECT_FALSE (ui::button (*app, "Get Runtime").isEnabled());

    // 50 ticks from the first Ping to the third. A tick is never early and is late by what the
    // machine's load adds; a countdown three ticks off is 240 ms off.
    const auto firstPing = alpha.lastOf (Kind::ping)->message.getTimeStamp() * 1000.0;
    ASSERT_TRUE (waitForCount (alpha, Kind::ping, 3, 3000));
    const auto thirdPing = alpha.lastOf (Kind::ping)->message.getTimeStamp() * 1000.0;
    EXPECT_TRUE (thirdPing - firstPing >= 1880.0 && thirdPing - firstPing <= 2160.0) << thirdPing - firstPing << " ms";

    alpha.clear();
    ui::click (*app, "Poll");
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->usb2MidiStatusLabel().getText() == "MIDI - 2"; },
                                500));
    EXPECT_TRUE (kindsReceived (alpha).startsWith ("unsubscribe getRuntime"));
    EXPECT_FALSE (alpha.isSubscribed() || ui::button (*app, "Get Runtime").isEnabled());

    alpha.clear();
    ui::pump (800);
    const auto asked = alpha.countOf (Kind::getRuntime);
    EXPECT_TRUE (asked >= 10 && asked <= 24) << asked << ", 20 expected";
    EXPECT_EQ (alpha.receivedFrames().size(), (size_t) asked) << "nothing else is sent";

    ui::click (*app, "Manual");
    alpha.clear();
    ui::pump (200);
    EXPECT_TRUE (alpha.receivedFrames().empty() && ui::button (*app, "Get Runtime").isEnabled()) << "no registration, no more GetRuntime";
    for (int i = 0; i < 3; ++i)
        probe->asButtonListener()->buttonClicked (&ui::button (*app, "Get Runtime"));
    ui::pump (200);
    EXPECT_EQ (kindsReceived (alpha), "getRuntime");

    alpha.configure ([] (auto& c)
                     { c.keepAlivePeriod = 0; });
    ASSERT_TRUE (readSettings());
    alpha.clear();
    ui::click (*app, "Notify", 0);
    ASSERT_TRUE (waitForCount (alpha, Kind::ping, 1));
    ui::pump (1200);
    EXPECT_EQ (alpha.countOf (Kind::ping), 1) << "a period of 0 pings once";

    ui::click (*app, "Notify", 0);
    EXPECT_TRUE (waitForCount (alpha, Kind::ping, 2, 400)) << "counted down from 2 again";
    EXPECT_EQ (kindsReceived (alpha), "subscribe ping subscribe ping");

    // Closing the window leaves the subscription as it is.
    probe.reset();
    app.reset();
    ui::pump (200);
    EXPECT_TRUE (alpha.receivedFrames().size() == 4u && alpha.isSubscribed());
}

//==============================================================================
// Each action starts a new exchange: the unsubscribe, carrying the session it cancels, goes
// first, and the polling stops until a complete read lets it start again. "Search" forgets
// the session: its discovery and name probe carry 0.
TEST_F (Runtime, SearchGetSettingsAndLoadPresetStopTheRuntimeActivityAndUnsubscribeFirst)
{
    auto& alpha = addInterface();
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor = { { Kind::getSettingsAI, 200.0 }, { Kind::loadPreset, 200.0 } }; });
    ASSERT_TRUE (searchAndWait());

    for (auto* mode : { "Notify", "Poll" })
    {
        selectRow (0);
        ASSERT_TRUE (readSettings());

        for (auto [caption, first] : { std::pair { "Get Settings", "getSettingsAI" }, { "Load Preset", "loadPreset" }, { "Search", "discovery" } })
        {
            SCOPED_TRACE (juce::String (mode) + ", " + caption);
            ui::click (*app, mode);
            const auto session = probe->deviceContainer().sysexMessage.sessionId;
            alpha.clear(); // and at once, before another tick:
            probe->asButtonListener()->buttonClicked (&ui::button (*app, caption));
            ASSERT_TRUE (waitUntilIdle());

            const auto kinds = kindsReceived (alpha);
            EXPECT_TRUE (kinds.startsWith (juce::String (mode[0] == 'N' ? "unsubscribe " : "") + first)) << kinds;
            EXPECT_FALSE (kinds.contains ("getRuntime")) << kinds;
            EXPECT_FALSE (alpha.isSubscribed());
            EXPECT_EQ (probe->runtimeMode() == MainComponent::Manual && ui::button (*app, "Get Runtime").isEnabled(), juce::String (first) != "discovery") << "a read ends in Manual";

            const auto current = probe->deviceContainer().sysexMessage.sessionId;
            EXPECT_EQ (current == 0, juce::String (caption) == "Search");
            for (auto& frame : alpha.receivedFrames())
                EXPECT_EQ (zun::FrameView (frame.message).SessionId(), frame.kind == Kind::unsubscribe ? session : current) << InterfaceEmulator::describe (frame.kind);
        }
    }
    EXPECT_TRUE (alerts.empty());
}
