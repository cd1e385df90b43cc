#include "AppFixture.h"

// "Get Settings" reads the selected interface one request at a time and then fills the
// preset row and the Settings group from what it reported.

namespace
{
using Kind = InterfaceEmulator::RequestKind;

// "1 - Preset 1|[* 2 - Preset 2": the items, the selected one marked.
juce::String itemTexts (juce::ComboBox& combo)
{
    juce::StringArray texts;
    for (int i = 0; i < combo.getNumItems(); ++i)
        texts.add ((combo.getItemId (i) == combo.getSelectedId() ? "[" : "") + combo.getItemText (i));
    return texts.joinIntoString ("|");
}
} // namespace

using SettingsRead = AppFixture;

//==============================================================================
TEST_F (SettingsRead, ACompleteReadAsksInOrderWithTheNewSessionAndFillsEveryControl)
{
    auto config = interfaceNamed ("Alpha", 0x0005, 0x0000ABCD);
    config.currentPreset = 2;
    config.settings = { 1, 0b10101, 3, 3, 7, 12, 1, 5, 16363, -1536 }; // single master; auto arm, auto clear alarm, tone check; audio or MIDI
    config.replyDelayMsFor[Kind::discovery] = 100.0; // found second
    addInterface (interfaceNamed ("Other", 0x1234, 0x12345678));
    auto& alpha = addInterface (config);
    ASSERT_TRUE (searchAndWait());
    ASSERT_EQ (rowText (1), "Alpha SN: 0000ABCD");
    selectRow (1);
    alpha.clear();

    ASSERT_TRUE (readSettings());

    EXPECT_EQ (kindsReceived (alpha), "getSettingsAI getSettingsDI getSettingsDF" + juce::String::repeatedString (" getSettingsPresetName", 4) + juce::String::repeatedString (" getSettingsAudioPortInfo", 4) + " getSettingsFailover");
    const auto session = probe->deviceContainer().sysexMessage.sessionId;
    int asked = 0;
    for (auto& frame : alpha.receivedFrames())
    {
        const zun::FrameView f (frame.message);
        EXPECT_TRUE (f.SessionId() == session && f.ProductId() == 0x0005 && f.SerialNumber() == 0x0000ABCDu);
        if (frame.kind == Kind::getSettingsPresetName || frame.kind == Kind::getSettingsAudioPortInfo)
        {
            EXPECT_EQ (f.Byte (29), asked++ % 4 + 1) << "presets and ports 1 to 4 in turn";
        }
    }

    for (auto [combo, items] : { std::pair { &probe->presetCombo(), "1 - Preset 1|[* 2 - Preset 2|3 - Preset 3|4 - Preset 4" },
                                 { &probe->failoverModeCombo(), "[Single Master|Dual Master" },
                                 { &probe->triggerModeCombo(), "Use Audio|Use MIDI|[Audio or MIDI|Audio and MIDI" },
                                 { &probe->audioTriggerCombo(), "1 - Host Connected|2 - Audio Received|[3 - Failover Signal" },
                                 { &probe->midiTriggerCombo(), "[1 - Host Connected|2 - MIDI Received|3 - Failover Signal" } })
        EXPECT_EQ (itemTexts (*combo), items);

    for (auto [caption, on] : { std::pair { "Auto Arm Failover", true }, { "Auto Switch Back to Scene A", false }, { "Auto Clear Alarm", true }, { "Send MIDI Panic", false }, { "Tone Check", true }, { "Manual", true }, { "Poll", false } })
        EXPECT_EQ (ui::button (*app, caption).getToggleState(), on) << caption;

    EXPECT_EQ (probe->audioChannelValue().getText() + " " + probe->midiPortValue().getText(), "7 5");
    EXPECT_EQ (probe->audioTimeoutValue().getText() + " " + probe->midiTimeoutValue().getText(), juce::String (1.5) + " 2045.38");
    EXPECT_EQ (probe->maxVolSlider().getValue(), -6.0);
    EXPECT_TRUE (probe->maxVolSlider().getRange() == juce::Range<double> (-64.0, 0.0) && probe->maxVolSlider().getInterval() == 0.5);

    // Single master with auto arm shows "Auto Switch Back"; trigger mode 3 with audio trigger 3
    // shows the channel row, MIDI trigger 1 hides the port row.
    EXPECT_TRUE (ui::button (*app, "Auto Switch Back to Scene A").isVisible() && probe->audioChannelValue().isVisible() && probe->midiTimeoutValue().isVisible() && ! probe->midiPortValue().isVisible());

    const auto& block = probe->deviceContainer().failoverBlock;
    EXPECT_TRUE (block.usbd1PortSlot == 1 && block.usbd2PortSlot == 2 && block.keepAlivePeriod == 3 && block.audioPorts[1].channelCount == 6);
    juce::StringArray portNames;
    for (auto& port : block.audioPorts)
        portNames.add (port.name);
    EXPECT_EQ (portNames.joinIntoString (","), "USBD 1,USBD 2,Analog,Mixer,,,,");

    EXPECT_TRUE (ui::button (*app, "Get Runtime").isEnabled() && probe->runtimeMode() == MainComponent::Manual && probe->isTimerRunning (MainComponent::runtimeTick) && alerts.empty());
}

// Counts beyond the record's 32 presets and 8 ports are cut; the first preset and port are
// asked for even when none is reported; names are copied only from the bytes the frame holds;
// the maximum volume is a signed number of 256ths of a decibel.
TEST_F (SettingsRead, CountsAreHeldToTheRecordNamesToTheFrameAndTheVolumeIsSigned)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());

    const struct
    {
        const char* what;
        int presetCount, portCount;
        juce::uint8 port2Number; // 0: as the emulator numbers it
        std::vector<std::string> names; // empty: "Preset 1", ...
        std::optional<juce::uint8> nameItemLength;
        juce::int16 volume;
        int presetRequests, portRequests;
        const char* presetItems; // nullptr: 32 of them
        const char* ports; // slot names, then the two USB host slots
        double dB;
    } cases[] = {
        { "no presets, no ports", 0, 0, 0, {}, {}, -16384, 1, 1, "", ",,,,,,,:0,0", -64.0 },
        { "32 presets, 8 ports", 32, 8, 0, {}, {}, -128, 32, 8, nullptr, "USBD 1,USBD 2,Analog,Mixer,Tone Generator,Analog,Mixer,Tone Generator:1,2", -0.5 },
        { "40 presets, 12 ports", 40, 12, 0, {}, {}, 0, 32, 8, nullptr, "USBD 1,USBD 2,Analog,Mixer,Tone Generator,Analog,Mixer,Tone Generator:1,2", 0.0 },
        { "a USBD 3 in place of USBD 2", 1, 2, 3, {}, {}, 0, 1, 2, "* 1 - Preset 1", "USBD 1,USBD 3,,,,,,:1,0", 0.0 },
        { "an empty name, a zero byte", 2, 4, 0, { "", std::string ("A\0b", 3) }, {}, 0, 2, 4, "* 1 - |2 - Ab", "USBD 1,USBD 2,Analog,Mixer,,,,:1,2", 0.0 },
        { "a name item longer than its frame", 1, 4, 0, {}, 0x7F, 0, 1, 4, "* 1 - Preset 1", "USBD 1,USBD 2,Analog,Mixer,,,,:1,2", 0.0 },
    };

    juce::StringArray all;
    for (int p = 1; p <= 32; ++p)
        all.add ((p == 1 ? "* " : "") + juce::String (p) + " - Preset " + juce::String (p));

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        alpha.configure ([&c] (auto& config)
                         {
                             config.setPresets (c.presetCount);
                             config.setAudioPorts (c.portCount);
                             if (c.port2Number != 0)
                                 config.audioPorts[1].number = c.port2Number;
                             if (! c.names.empty())
                                 config.presetNames = c.names;
                             config.presetNameItemLength = c.nameItemLength;
                             config.settings.maxVolume = c.volume; });
        alpha.clear();

        ASSERT_TRUE (readSettings());

        EXPECT_EQ (alpha.countOf (Kind::getSettingsPresetName), c.presetRequests);
        EXPECT_EQ (alpha.countOf (Kind::getSettingsAudioPortInfo), c.portRequests);
        EXPECT_EQ (itemTexts (probe->presetCombo()).removeCharacters ("["), c.presetItems != nullptr ? juce::String (c.presetItems) : all.joinIntoString ("|"));

        const auto& block = probe->deviceContainer().failoverBlock;
        juce::StringArray names;
        for (auto& port : block.audioPorts)
            names.add (port.name);
        EXPECT_EQ (names.joinIntoString (",") + ":" + juce::String (block.usbd1PortSlot) + "," + juce::String (block.usbd2PortSlot), c.ports);
        EXPECT_EQ (probe->maxVolSlider().getValue(), c.dB);
    }
}

// Until a read has ended, only "Get Settings" on a selected row sends anything; "Search"
// forgets the interface read, "Load Preset" needs a chosen preset besides. Once "Get
// Settings" has drawn a session id, a reply of another session fails the gate, as does one
// with a bad checksum: the read waits on.
TEST_F (SettingsRead, BeforeAReadOnlyGetSettingsOnASelectedRowActsAndRepliesOfAnotherSessionOrWithABadChecksumAreIgnored)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    probe->presetCombo().setSelectedId (0, juce::dontSendNotification);
    alpha.clear();
    ui::click (*app, "Load Preset");
    EXPECT_TRUE (alpha.receivedFrames().empty());

    ASSERT_TRUE (searchAndWait());
    const auto sequence = probe->deviceContainer().sysexMessage.sequenceNumber; // nothing sent, to any port
    ui::click (*app, "Get Settings");
    EXPECT_EQ (probe->deviceContainer().sysexMessage.sessionId, 0u);

    selectRow (0);
    for (auto* caption : { "Get Runtime", "Poll", "Notify", "Manual", "Get Runtime", "Load Preset", "Save Preset" })
        ui::click (*app, caption);
    ui::pump (200);

    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequence);
    EXPECT_TRUE (probe->requestState() == MainComponent::idle && probe->runtimeMode() == MainComponent::Manual);
    EXPECT_FALSE (probe->isTimerRunning (MainComponent::runtimeTick) || probe->runtimeRequest());

    for (auto fault : { &InterfaceEmulator::Config::wrongSessionId, &InterfaceEmulator::Config::badChecksum })
    {
        alpha.configure ([fault] (auto& c)
                         { c.wrongSessionId = c.badChecksum = false; c.*fault = true; });
        alpha.clear();

        ui::click (*app, "Get Settings", 300);

        ASSERT_EQ (kindsReceived (alpha), "getSettingsAI");
        EXPECT_TRUE (alpha.receivedFrames()[0].answered && probe->requestState() == MainComponent::readingAudioInfo);
        EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout) && ! probe->settingsLoaded());
    }
}
