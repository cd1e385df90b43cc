#include "AppFixture.h"

// Presets live in the interface: "Load Preset" makes the chosen one current and reads the
// failover settings again; "Save Preset" stores the settings into the current preset.

using Kind = InterfaceEmulator::RequestKind;

using Presets = AppFixture;

//==============================================================================
// A save stores into the current preset whatever the combo box shows, and polling goes on.
// A refused load or save shows its alert and keeps the current preset.
TEST_F (Presets, ALoadedPresetBecomesCurrentAndIsReadAgainASaveStoresIntoItAndARefusalChangesNothing)
{
    InterfaceEmulator::FailoverSettings third;
    third.failoverMode = 2;
    third.triggerMode = 2;
    auto config = interfaceNamed ("Alpha", 0x1234, 0x12345678);
    config.presetSettings = { {}, {}, third };
    auto& alpha = addInterface (config);
    ASSERT_TRUE (connect());
    alpha.clear();

    probe->presetCombo().setSelectedId (3, juce::dontSendNotification);
    ui::click (*app, "Load Preset", 0);
    ASSERT_TRUE (ui::pumpUntil ([&]
                                { return alpha.countOf (Kind::getSettingsFailover) == 1 && probe->requestState() == MainComponent::idle; }));

    EXPECT_EQ (kindsReceived (alpha), "loadPreset getSettingsFailover");
    EXPECT_EQ (bodyOf (alpha.lastOf (Kind::loadPreset)), "11 00 01 08 06 01 05 02 43 00 03");
    const auto pauseMs = (alpha.lastOf (Kind::getSettingsFailover)->message.getTimeStamp() - alpha.lastOf (Kind::loadPreset)->message.getTimeStamp()) * 1000.0;
    EXPECT_GE (pauseMs, 200.0) << "the interface gets 200 ms to switch";

    EXPECT_TRUE (probe->deviceContainer().failoverBlock.currentPreset == 3 && probe->presetCombo().getSelectedId() == 3);
    EXPECT_EQ (probe->presetCombo().getItemText (2), "* 3 - Preset 3") << "names of the last full read";
    EXPECT_EQ (probe->presetCombo().getItemText (0), "1 - Preset 1");
    EXPECT_TRUE (probe->failoverModeCombo().getSelectedId() == 2 && probe->triggerModeCombo().getSelectedId() == 2) << "the preset's own settings";
    EXPECT_TRUE (ui::button (*app, "Manual").getToggleState());

    ui::click (*app, "Poll");
    alpha.clear();
    probe->presetCombo().setSelectedId (4, juce::dontSendNotification);
    ui::click (*app, "Save Preset", 0);
    ASSERT_TRUE (ui::pumpUntil ([&]
                                { return alpha.countOf (Kind::savePreset) == 1 && probe->requestState() == MainComponent::idle; }));
    EXPECT_EQ (bodyOf (alpha.lastOf (Kind::savePreset)), "11 00 01 08 06 01 05 02 03 00 03");
    EXPECT_TRUE (ui::pumpUntil ([&]
                                { return alpha.countOf (Kind::getRuntime) >= 3; }));
    EXPECT_TRUE (alerts.empty());

    // The button, the acknowledgement's message class, data class and error code, the alert.
    const std::tuple<const char*, juce::uint8, juce::uint8, juce::uint8, const char*> cases[] = {
        { "Load Preset", 0x11, 0x00, 0x0E, "Preset could not be loaded." },
        { "Load Preset", 0x11, 0x03, 0x00, "Preset could not be loaded." },
        { "Save Preset", 0x10, 0x00, 0x00, "Preset could not be saved." },
        { "Save Preset", 0x11, 0x00, 0x13, "Preset could not be saved." },
    };

    for (const auto& [button, messageClass, dataClass, code, alert] : cases)
    {
        SCOPED_TRACE (juce::String (button) + " " + juce::String::toHexString ((int) dataClass) + " " + juce::String::toHexString ((int) code));
        alerts.clear();
        alpha.configure ([m = messageClass, d = dataClass, e = code] (auto& settings)
                         { settings.ackMessageClass = m; settings.ackDataClass = d; settings.ackErrorCode = e; });
        probe->presetCombo().setSelectedId (2, juce::dontSendNotification);
        alpha.clear();

        ui::click (*app, button, 0);

        ASSERT_TRUE (waitForAlert());
        EXPECT_EQ (alerts[0].title + ": " + alerts[0].message, juce::String ("Ack Error: ") + alert);
        EXPECT_TRUE (probe->requestState() == MainComponent::idle && probe->deviceContainer().failoverBlock.currentPreset == 3 && alpha.countOf (Kind::getSettingsFailover) == 0);
    }
}
