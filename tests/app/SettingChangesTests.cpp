#include "AppFixture.h"

// Changing a setting: the user's change is stored and shown, sent as one SetParmVal request,
// and the interface's acknowledgement is judged; a refusal or a silence restores nothing.

using Kind = InterfaceEmulator::RequestKind;

class SettingChanges : public AppFixture
{
protected:
    void SetUp() override
    {
        alpha = &addInterface();
        ASSERT_TRUE (connect());
        alpha->clear();
    }

    // The body of the last SetParmVal request the interface received, or "" when none came
    // since the last call.
    juce::String takeSentBody()
    {
        waitUntilIdle (3000);
        const auto body = bodyOf (alpha->lastOf (Kind::setFailover));
        alpha->clear();
        return body;
    }

    InterfaceEmulator* alpha = nullptr;
};

//==============================================================================
// Whole numbers wrap modulo 256, 0 becomes 1, and the limit holds: 16 for the MIDI port, the
// smaller channel count of the two USB host ports (8 and 6) for the audio channel. Time-outs
// are eighths of a millisecond within 1 to 16363. The label always shows the value in force.
TEST_F (SettingChanges, ValueLabelsAreReadWrappedAndClampedAndSendOnlyAChange)
{
    const struct
    {
        juce::Label& label;
        const char* typed;
        juce::String shown;
        const char* sent; // "" when the value in force did not change
    } steps[] = {
        { probe->midiPortValue(), "0", "1", "" }, // the interface reported port 1
        { probe->midiPortValue(), "17", "16", "10 03 01 07 03 01 04 17 02 10" },
        { probe->midiPortValue(), "256", "1", "10 03 01 07 03 01 04 17 02 01" },
        { probe->midiPortValue(), "262", "6", "10 03 01 07 03 01 04 17 02 06" },
        { probe->midiPortValue(), "letters", "1", "10 03 01 07 03 01 04 17 02 01" },
        { probe->midiPortValue(), "", "1", "" },
        { probe->midiPortValue(), "7x", "7", "10 03 01 07 03 01 04 17 02 07" },
        { probe->midiPortValue(), " 5", "5", "10 03 01 07 03 01 04 17 02 05" },
        { probe->midiPortValue(), "05", "5", "" },
        { probe->midiPortValue(), "-1", "16", "10 03 01 07 03 01 04 17 02 10" },
        { probe->audioChannelValue(), "-1", "6", "10 03 01 07 03 01 04 16 02 06" },
        { probe->audioChannelValue(), "300", "6", "" }, // 44, held to 6
        { probe->audioChannelValue(), "4294967299", "3", "10 03 01 07 03 01 04 16 02 03" }, // 2^32 + 3 keeps its low byte
        { probe->audioTimeoutValue(), "0", "0.125", "10 03 01 08 03 01 05 16 03 00 01" },
        { probe->audioTimeoutValue(), "-3", "0.125", "" },
        { probe->audioTimeoutValue(), "0.1", "0.125", "" },
        { probe->audioTimeoutValue(), "1.99", "1.875", "10 03 01 08 03 01 05 16 03 00 0F" },
        { probe->audioTimeoutValue(), "2000", "2000", "10 03 01 08 03 01 05 16 03 7D 00" },
        { probe->midiTimeoutValue(), "2045.375", "2045.38", "10 03 01 08 03 01 05 17 03 7F 6B" }, // six digits shown
        { probe->midiTimeoutValue(), "2045.38", "2045.38", "" }, // typed back, the value stays
        { probe->midiTimeoutValue(), "5000", "2045.38", "" },
        // Exponents beyond any integer: read whole, however long.
        { probe->midiTimeoutValue(), "1e-2147483648", "0.125", "10 03 01 08 03 01 05 17 03 00 01" },
        { probe->midiTimeoutValue(), "1e4294967297", "2045.38", "10 03 01 08 03 01 05 17 03 7F 6B" },
        { probe->midiTimeoutValue(), "-1e2147483648", "0.125", "10 03 01 08 03 01 05 17 03 00 01" },
        { probe->midiTimeoutValue(), " 1e2147483648ms", "2045.38", "10 03 01 08 03 01 05 17 03 7F 6B" },
        { probe->midiTimeoutValue(), "0.001e+000000000000000000000003", "1", "10 03 01 08 03 01 05 17 03 00 08" },
        { probe->midiTimeoutValue(), "nan", "0.125", "10 03 01 08 03 01 05 17 03 00 01" },
    };

    for (const auto& s : steps)
    {
        SCOPED_TRACE (juce::String ("typed \"") + s.typed + "\"");
        s.label.setText (s.typed, juce::sendNotificationSync);
        EXPECT_EQ (s.label.getText(), s.shown);
        EXPECT_EQ (takeSentBody(), s.sent);
    }

    const auto& block = probe->deviceContainer().failoverBlock;
    EXPECT_TRUE (block.midiPort == 16 && block.audioChannel == 3 && block.audioTimeout == 16000 && block.midiTimeout == 1);
    EXPECT_TRUE (alerts.empty());
}

TEST_F (SettingChanges, EachControlSendsItsOneParameterOnlyWhenItChangesTheStoredValue)
{
    auto select = [] (juce::ComboBox& combo, int id)
    { return [&combo, id]
      { combo.setSelectedId (id, juce::sendNotificationSync); }; };
    auto click = [this] (const char* caption)
    { return [this, caption]
      { ui::click (*app, caption); }; };
    auto slide = [this] (double dB)
    { return [this, dB]
      { probe->maxVolSlider().setValue (dB, juce::sendNotificationSync); }; };

    const struct
    {
        const char* what;
        std::function<void()> act;
        const char* sent;
    } steps[] = {
        { "dual master", select (probe->failoverModeCombo(), 2), "10 03 01 06 03 01 03 13 02" },
        { "dual master again", select (probe->failoverModeCombo(), 2), "" },
        { "audio or MIDI", select (probe->triggerModeCombo(), 3), "10 03 01 06 03 01 03 15 03" },
        { "audio failover signal", select (probe->audioTriggerCombo(), 3), "10 03 01 07 03 01 04 16 01 03" },
        { "MIDI received", select (probe->midiTriggerCombo(), 2), "10 03 01 07 03 01 04 17 01 02" },
        // One option byte: bit 0 auto arm, 1 auto switch back, 2 auto clear alarm, 3 MIDI panic, 4 tone check.
        { "send MIDI panic", click ("Send MIDI Panic"), "10 03 01 06 03 01 03 14 08" },
        { "auto arm", click ("Auto Arm Failover"), "10 03 01 06 03 01 03 14 09" },
        { "tone check", click ("Tone Check"), "10 03 01 06 03 01 03 14 19" },
        { "auto clear alarm", click ("Auto Clear Alarm"), "10 03 01 06 03 01 03 14 1D" },
        { "auto switch back", click ("Auto Switch Back to Scene A"), "10 03 01 06 03 01 03 14 1F" },
        { "no MIDI panic", click ("Send MIDI Panic"), "10 03 01 06 03 01 03 14 17" },
        { "-63 dB", slide (-63.0), "10 03 01 08 03 01 05 18 03 02 00" },
        { "-32.5 dB", slide (-32.5), "10 03 01 08 03 01 05 18 03 3F 00" },
        { "-6 dB", slide (-6.0), "10 03 01 08 03 01 05 18 03 74 00" },
        { "scene A, not allowed", click ("Scene A"), "" },
        { "scene B, not allowed", click ("Scene B"), "" },
        { "allow scene selection", click ("Allow Scene Selection"), "" },
        { "scene A", click ("Scene A"), "10 03 01 06 03 01 03 04 01" },
        { "scene B", click ("Scene B"), "10 03 01 06 03 01 03 04 02" },
        { "arm", click ("Arm Failover"), "10 03 01 06 03 01 03 10 01" },
        { "disarm", click ("Disarm Failover"), "10 03 01 06 03 01 03 10 00" },
        { "clear alarm", click ("Clear Alarm"), "10 03 01 06 03 01 03 11 00" },
    };

    for (const auto& s : steps)
    {
        SCOPED_TRACE (s.what);
        s.act();
        EXPECT_EQ (takeSentBody(), s.sent);
    }

    // The window follows the stored values: dual master hides "Auto Switch Back", audio or
    // MIDI shows both rows, the audio channel row (trigger 3) but not the MIDI port row.
    EXPECT_TRUE (! ui::button (*app, "Auto Switch Back to Scene A").isVisible() && probe->audioChannelValue().isVisible() && probe->midiTimeoutValue().isVisible() && ! probe->midiPortValue().isVisible());
    EXPECT_TRUE (probe->deviceContainer().failoverBlock.maxVolume == -1536 && alerts.empty());
}

// The acknowledged message class must be SetParmVal and the error code 0; the data class is
// not read. A refusal, a silence or a late answer leaves the new value in force.
TEST_F (SettingChanges, TheAcknowledgementIsJudgedEvenLateAndNothingIsRestored)
{
    const struct
    {
        juce::uint8 messageClass, dataClass, code;
        double delayMs;
        juce::StringArray alerts;
    } cases[] = {
        { 0x10, 0x03, 0x00, 0.0, {} },
        { 0x10, 0x00, 0x00, 0.0, {} },
        { 0x11, 0x03, 0x00, 0.0, { "Ack Error: Changes could not be made." } },
        { 0x10, 0x03, 0x0B, 0.0, { "Ack Error: Changes could not be made." } },
        { 0x10, 0x03, 0x0B, 2300.0, { "Time Out Error", "Ack Error: Changes could not be made." } },
    };

    int mode = 1;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::toHexString ((int) c.code) + " after " + juce::String (c.delayMs) + " ms");
        alerts.clear();
        alpha->configure ([&c] (auto& config)
                          {
                              config.ackMessageClass = c.messageClass;
                              config.ackDataClass = c.dataClass;
                              config.ackErrorCode = c.code;
                              config.replyDelayMsFor[Kind::setFailover] = c.delayMs; });
        mode = 3 - mode;
        probe->failoverModeCombo().setSelectedId (mode, juce::sendNotificationSync);

        ASSERT_TRUE (waitUntilIdle());
        juce::StringArray seen;
        for (auto& a : alerts)
            seen.add (a.title + (a.title == "Ack Error" ? ": " + a.message : juce::String()));
        EXPECT_EQ (seen, c.alerts);
        EXPECT_TRUE (probe->deviceContainer().failoverBlock.failoverMode == mode && probe->failoverModeCombo().getSelectedId() == mode);
    }
}

// A change during a settings read ends the read; the earlier read's controls stay active while
// the record, emptied when the read began, is not read on. A trigger change then shows or hides
// its own channel or port row and nothing else.
TEST_F (SettingChanges, AChangeDuringAReadEndsItAndATriggerChangeTouchesOnlyItsOwnRow)
{
    alpha->configure ([] (auto& c)
                      {
                          c.settings.triggerMode = 3;
                          c.settings.audioTrigger = 3;
                          c.settings.midiTrigger = 3; });
    ASSERT_TRUE (readSettings());
    alpha->configure ([] (auto& c)
                      { c.replyDelayMsFor[Kind::getSettingsAI] = 300.0; });
    ui::click (*app, "Get Settings", 0);
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return alpha->countOf (Kind::getSettingsAI) > 0; }));

    probe->audioTriggerCombo().setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (takeSentBody(), "10 03 01 07 03 01 04 16 01 02");
    EXPECT_FALSE (probe->audioChannelValue().isVisible());

    for (auto* control : std::initializer_list<juce::Component*> { &probe->audioTriggerCombo(), &probe->audioTimeoutValue(), &probe->midiTriggerCombo(), &probe->midiTimeoutValue(), &probe->midiPortValue() })
        EXPECT_TRUE (control->isVisible());

    probe->midiTriggerCombo().setSelectedId (1, juce::sendNotificationSync);
    EXPECT_EQ (takeSentBody(), "10 03 01 07 03 01 04 17 01 01");
    EXPECT_FALSE (probe->midiPortValue().isVisible());
    EXPECT_TRUE (probe->midiTriggerCombo().isVisible() && probe->audioTimeoutValue().isVisible());

    ui::pump (400); // the late reply of the abandoned read comes and is ignored
    EXPECT_TRUE (alpha->countOf (Kind::getSettingsDI) == 0 && probe->requestState() == MainComponent::idle && alerts.empty());
}

// Before any settings read only the value labels act: they store, send to whatever is open
// (here nothing) and wait for an acknowledgement.
TEST (SettingChangesBeforeARead, OnlyTheValueLabelsAct)
{
    VirtualMidiPortSystem ports;
    MainComponent component (ports, [] (const juce::String&, const juce::String&) {});
    MainComponentProbe probe (component);

    for (auto* caption : { "Arm Failover", "Disarm Failover", "Clear Alarm", "Auto Arm Failover", "Tone Check" })
        ui::click (component, caption);
    probe.maxVolSlider().setValue (-1.0, juce::sendNotificationSync);
    EXPECT_EQ (probe.requestState(), MainComponent::idle);

    probe.midiPortValue().setText ("9", juce::sendNotificationSync);
    EXPECT_TRUE (probe.deviceContainer().failoverBlock.midiPort == 9 && probe.requestState() == MainComponent::settingParameter && probe.isTimerRunning (MainComponent::replyTimeout));
}
