#include "MainComponent.h"

//==============================================================================
// Fixed bounds; only the "Select Interface" label, the version label and the log follow
// the width. Overlaps are deliberate (the buttons lie in front of the label), and a
// width that comes out negative is clamped to 0 by setBounds.
void MainComponent::resized()
{
    const auto w = getWidth();

    selectInterfaceLabel.setBounds (10, 10, w / 2 - 20, 24);
    deviceListBox->setBounds (10, 46, 240, 132);
    searchButton.setBounds (120, 10, 100, 24);
    getSettingsButton.setBounds (10, 188, 100, 24);
    saveSettingsButton.setBounds (118, 188, 100, 24);
    versionLabel.setBounds (w - 42, 10, 36, 24);
    showMidiMessagesToggle.setBounds (258, 10, 160, 24);
    clearLogButton.setBounds (426, 10, 100, 24);
    midiLog.setBounds (258, 46, w - 268, 132);
    presetLabel.setBounds (214, 188, 52, 24);
    presetCombo.setBounds (270, 188, 164, 24);
    loadPresetButton.setBounds (442, 188, 100, 24);
    savePresetButton.setBounds (548, 188, 100, 24);
    runtimeGroup.setBounds (10, 218, 640, 176);
    settingsGroup.setBounds (10, 398, 640, 180);

    // Runtime group
    allowSceneSelectionToggle.setBounds (10, 18, 164, 24);
    sceneAButton.setBounds (10, 48, 164, 24);
    sceneBButton.setBounds (10, 78, 164, 24);
    armedIndicator.setBounds (180, 18, 120, 24);
    armFailoverButton.setBounds (180, 48, 120, 24);
    disarmFailoverButton.setBounds (180, 78, 120, 24);
    alarmIndicator.setBounds (308, 18, 120, 54);
    clearAlarmButton.setBounds (308, 78, 120, 24);
    manualToggle.setBounds (436, 18, 76, 24);
    pollToggle.setBounds (512, 18, 52, 24);
    notifyToggle.setBounds (564, 18, 76, 24);
    getRuntimeButton.setBounds (436, 48, 120, 24);
    usb1StatusLabel.setBounds (10, 108, 100, 24);
    usb1AudioStatusLabel.setBounds (106, 108, 80, 24);
    usb1MidiStatusLabel.setBounds (186, 108, 80, 24);
    usb1ReadyIndicator.setBounds (266, 108, 64, 24);
    usb1FailIndicator.setBounds (266, 108, 64, 24);
    usb1MasterIndicator.setBounds (338, 108, 64, 24);
    usb2StatusLabel.setBounds (10, 138, 100, 24);
    usb2AudioStatusLabel.setBounds (106, 138, 80, 24);
    usb2MidiStatusLabel.setBounds (186, 138, 80, 24);
    usb2ReadyIndicator.setBounds (266, 138, 64, 24);
    usb2FailIndicator.setBounds (266, 138, 64, 24);
    usb2MasterIndicator.setBounds (338, 138, 64, 24);

    // Settings group; "Max Vol" follows the slider by itself.
    failoverModeLabel.setBounds (10, 18, 100, 24);
    failoverModeCombo.setBounds (114, 18, 160, 24);
    autoArmToggle.setBounds (278, 18, 148, 24);
    autoSwitchBackToggle.setBounds (422, 18, 212, 24);
    triggerModeLabel.setBounds (10, 48, 100, 24);
    triggerModeCombo.setBounds (114, 48, 160, 24);
    autoClearAlarmToggle.setBounds (278, 48, 148, 24);
    sendMidiPanicToggle.setBounds (422, 48, 212, 24);
    audioTriggerLabel.setBounds (10, 78, 100, 24);
    audioTriggerCombo.setBounds (114, 78, 160, 24);
    audioChannelLabel.setBounds (278, 78, 108, 24);
    audioChannelValue.setBounds (382, 78, 32, 24);
    audioTimeoutLabel.setBounds (418, 78, 108, 24);
    audioTimeoutValue.setBounds (522, 78, 58, 24);
    audioTimeoutUnitLabel.setBounds (580, 78, 30, 24);
    midiTriggerLabel.setBounds (10, 108, 100, 24);
    midiTriggerCombo.setBounds (114, 108, 160, 24);
    midiPortLabel.setBounds (278, 108, 108, 24);
    midiPortValue.setBounds (382, 108, 32, 24);
    midiTimeoutLabel.setBounds (418, 108, 108, 24);
    midiTimeoutValue.setBounds (522, 108, 58, 24);
    midiTimeoutUnitLabel.setBounds (580, 108, 30, 24);
    toneCheckToggle.setBounds (10, 138, 100, 24);
    maxVolSlider.setBounds (210, 138, 300, 24);
}

//==============================================================================
// Back to the nothing-loaded state. Nothing here notifies a listener while it runs; the
// combo boxes' clear() posts its change notification for later.
void MainComponent::clrGUI()
{
    saveSettingsButton.setVisible (false);

    settingsLoaded = false;
    runtimeRequest = false;

    presetCombo.setSelectedId (-1, juce::dontSendNotification);
    presetCombo.clear (juce::sendNotificationAsync);

    for (auto* toggle : { &allowSceneSelectionToggle, &manualToggle, &notifyToggle, &pollToggle })
        toggle->setToggleState (false, juce::dontSendNotification);

    sceneAButton.removeColour (juce::TextButton::buttonColourId);
    sceneBButton.removeColour (juce::TextButton::buttonColourId);

    armedIndicator.setVisible (false);
    alarmIndicator.setVisible (false);

    for (auto* label : { &usb1AudioStatusLabel, &usb1MidiStatusLabel, &usb2AudioStatusLabel, &usb2MidiStatusLabel })
        label->setText ({}, juce::dontSendNotification);

    for (auto* indicator : { &usb1ReadyIndicator, &usb2ReadyIndicator, &usb1FailIndicator, &usb2FailIndicator, &usb1MasterIndicator, &usb2MasterIndicator })
        indicator->setVisible (false);

    for (auto* combo : { &failoverModeCombo, &triggerModeCombo, &audioTriggerCombo, &midiTriggerCombo })
    {
        combo->setSelectedId (-1, juce::dontSendNotification);
        combo->clear (juce::sendNotificationAsync);
    }

    for (auto* toggle : { &autoArmToggle, &autoSwitchBackToggle, &autoClearAlarmToggle, &sendMidiPanicToggle, &toneCheckToggle })
        toggle->setToggleState (false, juce::dontSendNotification);

    for (auto* label : { &audioChannelValue, &audioTimeoutValue, &midiPortValue, &midiTimeoutValue })
        label->setText ({}, juce::dontSendNotification);

    // The slider pulls its value into the new range without telling its listener.
    maxVolSlider.setRange (-1.0, 0.0, 1.0);
}

//==============================================================================
namespace
{
bool usesAudioRows (juce::uint8 triggerMode) noexcept { return triggerMode == 1 || triggerMode == 3 || triggerMode == 4; }
bool usesMidiRows (juce::uint8 triggerMode) noexcept { return triggerMode == 2 || triggerMode == 3 || triggerMode == 4; }
} // namespace

// Shows the rows of the Settings group that the trigger mode uses.
void MainComponent::updateTriggerModeCombo()
{
    const auto mode = deviceContainer.failoverBlock.triggerMode;

    updateAudioChannelRow();

    for (auto* c : std::initializer_list<juce::Component*> { &audioTriggerLabel, &audioTriggerCombo, &audioTimeoutLabel, &audioTimeoutValue, &audioTimeoutUnitLabel })
        c->setVisible (usesAudioRows (mode));

    updateMidiPortRow();

    for (auto* c : std::initializer_list<juce::Component*> { &midiTriggerLabel, &midiTriggerCombo, &midiTimeoutLabel, &midiTimeoutValue, &midiTimeoutUnitLabel })
        c->setVisible (usesMidiRows (mode));
}

// The channel and port rows need, besides their trigger mode, the failover-signal trigger (3).
// A trigger change updates only its own row: the others follow the trigger mode alone.
void MainComponent::updateAudioChannelRow()
{
    const auto& block = deviceContainer.failoverBlock;
    const bool visible = usesAudioRows (block.triggerMode) && block.audioTrigger == 3;
    audioChannelLabel.setVisible (visible);
    audioChannelValue.setVisible (visible);
}

void MainComponent::updateMidiPortRow()
{
    const auto& block = deviceContainer.failoverBlock;
    const bool visible = usesMidiRows (block.triggerMode) && block.midiTrigger == 3;
    midiPortLabel.setVisible (visible);
    midiPortValue.setVisible (visible);
}
