#include "MainComponent.h"

// The preset row and the Runtime and Settings groups. Placement is resized()'s job, and
// clrGUI() runs right after this to hide the indicators and empty the values.
void MainComponent::createGUI()
{
    const auto setText = [] (juce::Label& label, const juce::String& text)
    { label.setText (text, juce::dontSendNotification); };

    //==============================================================================
    // Preset row
    setText (presetLabel, "Preset");
    addLabelAndSetStyle (presetLabel);

    addAndMakeVisible (presetCombo);
    presetCombo.addListener (this);

    for (auto [button, caption] : { std::pair<juce::TextButton*, const char*> { &loadPresetButton, "Load Preset" },
                                    { &savePresetButton, "Save Preset" } })
    {
        addAndMakeVisible (*button);
        button->setButtonText (caption);
        button->addListener (this);
    }

    //==============================================================================
    // Runtime group
    addAndMakeVisible (runtimeGroup);
    runtimeGroup.setText ("Runtime");

    // Its state is read by the scene buttons; the toggle itself has no listener.
    runtimeGroup.addAndMakeVisible (allowSceneSelectionToggle);
    allowSceneSelectionToggle.setButtonText ("Allow Scene Selection");

    for (auto [toggle, caption] : { std::pair<juce::ToggleButton*, const char*> { &manualToggle, "Manual" },
                                    { &pollToggle, "Poll" },
                                    { &notifyToggle, "Notify" } })
    {
        runtimeGroup.addAndMakeVisible (*toggle);
        toggle->setRadioGroupId (1);
        toggle->addListener (this);
        toggle->setButtonText (caption);
    }

    for (auto [button, caption] : { std::pair<juce::TextButton*, const char*> { &sceneAButton, "Scene A" },
                                    { &sceneBButton, "Scene B" },
                                    { &clearAlarmButton, "Clear Alarm" },
                                    { &armFailoverButton, "Arm Failover" },
                                    { &disarmFailoverButton, "Disarm Failover" },
                                    { &getRuntimeButton, "Get Runtime" } })
    {
        runtimeGroup.addAndMakeVisible (*button);
        button->setButtonText (caption);
        button->addListener (this);
    }

    // Coloured lamps. "ARMED" and "ALARM" have a listener, which takes no action for them.
    for (auto [button, caption, colour] : { std::tuple<juce::TextButton*, const char*, juce::Colour> { &armedIndicator, "ARMED", juce::Colours::green },
                                            { &alarmIndicator, "ALARM", juce::Colours::red } })
    {
        runtimeGroup.addAndMakeVisible (*button);
        button->setButtonText (caption);
        button->addListener (this);
        button->setColour (juce::TextButton::buttonColourId, colour);
    }

    for (auto [label, caption] : { std::pair<juce::Label*, const char*> { &usb1StatusLabel, "USB 1 Status:" },
                                   { &usb1AudioStatusLabel, "" },
                                   { &usb1MidiStatusLabel, "" },
                                   { &usb2StatusLabel, "USB 2 Status:" },
                                   { &usb2AudioStatusLabel, "" },
                                   { &usb2MidiStatusLabel, "" } })
    {
        runtimeGroup.addAndMakeVisible (*label);
        setStyle (*label);
        setText (*label, caption);
    }

    for (auto [button, caption, colour] : { std::tuple<juce::TextButton*, const char*, juce::Colour> { &usb1ReadyIndicator, "Ready", juce::Colours::green },
                                            { &usb2ReadyIndicator, "Ready", juce::Colours::green },
                                            { &usb1FailIndicator, "Fail", juce::Colours::red },
                                            { &usb2FailIndicator, "Fail", juce::Colours::red },
                                            { &usb1MasterIndicator, "Master", juce::Colours::blue },
                                            { &usb2MasterIndicator, "Master", juce::Colours::blue } })
    {
        runtimeGroup.addAndMakeVisible (*button);
        button->setButtonText (caption);
        button->setColour (juce::TextButton::buttonColourId, colour);
    }

    //==============================================================================
    // Settings group
    addAndMakeVisible (settingsGroup);
    settingsGroup.setText ("Settings");

    for (auto [label, caption] : { std::pair<juce::Label*, const char*> { &failoverModeLabel, "Failover Mode" },
                                   { &triggerModeLabel, "Trigger Mode" },
                                   { &audioTriggerLabel, "Audio Trigger" },
                                   { &audioChannelLabel, "Audio Channel:" },
                                   { &audioTimeoutLabel, "Audio Timeout:" },
                                   { &audioTimeoutUnitLabel, "ms" },
                                   { &midiTriggerLabel, "MIDI Trigger" },
                                   { &midiPortLabel, "MIDI Port:" },
                                   { &midiTimeoutLabel, "MIDI Timeout:" },
                                   { &midiTimeoutUnitLabel, "ms" } })
    {
        settingsGroup.addAndMakeVisible (*label);
        setStyle (*label);
        setText (*label, caption);
    }

    // Edited with a single click; losing the focus commits the edit.
    for (auto* label : { &audioChannelValue, &audioTimeoutValue, &midiPortValue, &midiTimeoutValue })
    {
        settingsGroup.addAndMakeVisible (*label);
        setStyle (*label);
        setText (*label, {});
        label->setEditable (true, false, false);
        label->addListener (this);
    }

    for (auto* combo : { &failoverModeCombo, &triggerModeCombo, &audioTriggerCombo, &midiTriggerCombo })
    {
        settingsGroup.addAndMakeVisible (*combo);
        combo->addListener (this);
    }

    for (auto [toggle, caption] : { std::pair<juce::ToggleButton*, const char*> { &autoArmToggle, "Auto Arm Failover" },
                                    { &autoSwitchBackToggle, "Auto Switch Back to Scene A" },
                                    { &autoClearAlarmToggle, "Auto Clear Alarm" },
                                    { &sendMidiPanicToggle, "Send MIDI Panic" },
                                    { &toneCheckToggle, "Tone Check" } })
    {
        settingsGroup.addAndMakeVisible (*toggle);
        toggle->setButtonText (caption);
        toggle->addListener (this);
    }

    settingsGroup.addAndMakeVisible (maxVolSlider);
    maxVolSlider.setTextValueSuffix (" dB");
    maxVolSlider.addListener (this);

    // The only control resized() does not place: it follows the slider.
    settingsGroup.addAndMakeVisible (maxVolLabel);
    setText (maxVolLabel, "Max Vol");
    setStyle (maxVolLabel);
    maxVolLabel.attachToComponent (&maxVolSlider, true);
}
