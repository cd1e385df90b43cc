#pragma once

#include "MainComponent.h"

// Test access to the component's private state, for assertions the screen cannot show.
class MainComponentProbe
{
public:
    explicit MainComponentProbe (MainComponent& componentToProbe)
        : component (componentToProbe)
    {
    }

    juce::uint8 requestState() const { return component.requestState; }
    void setRequestState (juce::uint8 state) { component.requestState = state; }
    juce::int32 probeCursor() const { return component.probeCursor; }
    void setProbeCursor (juce::int32 cursor) { component.probeCursor = cursor; }
    juce::int32 logLineCounter() const { return component.logLineCounter; }
    bool settingsLoaded() const { return component.settingsLoaded; }
    void setSettingsLoaded (bool loaded) { component.settingsLoaded = loaded; }
    bool runtimeRequest() const { return component.runtimeRequest; }
    void setRuntimeRequest (bool requested) { component.runtimeRequest = requested; }
    juce::uint8 runtimeMode() const { return component.runtimeMode; }
    void setRuntimeMode (juce::uint8 mode) { component.runtimeMode = mode; }
    bool isTimerRunning (MainComponent::TimerId id) const { return component.isTimerRunning (id); }
    bool anyTimerRunning() const
    {
        return isTimerRunning (MainComponent::discoveryWindow) || isTimerRunning (MainComponent::replyTimeout)
               || isTimerRunning (MainComponent::runtimeTick);
    }

    zun::DeviceContainer& deviceContainer() { return component.deviceContainer; }
    juce::ReferenceCountedArray<MidiDeviceListEntry>& midiInputs() { return component.midiInputs; }
    juce::ReferenceCountedArray<MidiDeviceListEntry>& midiOutputs() { return component.midiOutputs; }
    juce::OwnedArray<DeviceDiscoveryItem>& discoveredInterfaces() { return component.discoveredInterfaces; }
    ZUNDeviceListBox& deviceListBox() { return *component.deviceListBox; }
    MidiLogView& midiLog() { return component.midiLog; }
    juce::ToggleButton& showMidiMessagesToggle() { return component.showMidiMessagesToggle; }

    // The controls that have no caption to find them by.
    juce::ComboBox& presetCombo() { return component.presetCombo; }
    juce::ComboBox& failoverModeCombo() { return component.failoverModeCombo; }
    juce::ComboBox& triggerModeCombo() { return component.triggerModeCombo; }
    juce::ComboBox& audioTriggerCombo() { return component.audioTriggerCombo; }
    juce::ComboBox& midiTriggerCombo() { return component.midiTriggerCombo; }
    juce::Label& audioChannelValue() { return component.audioChannelValue; }
    juce::Label& audioTimeoutValue() { return component.audioTimeoutValue; }
    juce::Label& midiPortValue() { return component.midiPortValue; }
    juce::Label& midiTimeoutValue() { return component.midiTimeoutValue; }
    juce::Slider& maxVolSlider() { return component.maxVolSlider; }
    juce::Label& usb1AudioStatusLabel() { return component.usb1AudioStatusLabel; }
    juce::Label& usb1MidiStatusLabel() { return component.usb1MidiStatusLabel; }
    juce::Label& usb2AudioStatusLabel() { return component.usb2AudioStatusLabel; }
    juce::Label& usb2MidiStatusLabel() { return component.usb2MidiStatusLabel; }

    // The component as the listener it registers on its controls (its listener bases are private).
    juce::Button::Listener* asButtonListener() { return &component; }
    juce::Label::Listener* asLabelListener() { return &component; }
    juce::ComboBox::Listener* asComboBoxListener() { return &component; }

    void clrGUI() { component.clrGUI(); }
    void fillSettingsGui() { component.fillSettingsGui(); }
    void clearLog() { component.clearLog(); }
    void updateTriggerModeCombo() { component.updateTriggerModeCombo(); }
    void addMessageToList (const juce::MidiMessage& message, bool isOutgoing) { component.addMessageToList (message, isOutgoing); }
    juce::String describe (const juce::MidiMessage& message) { return component.getMidiMessageDescription (message); }

    // Hands a message to the receive path as if an input had posted it. The source may be an
    // input closed since, so its opening number is read only if it is still open.
    void receive (MidiInputPort* source, const juce::MidiMessage& message)
    {
        juce::uint64 openingNumber = 0;

        for (auto* entry : component.midiInputs)
            if (entry->inDevice != nullptr && entry->inDevice.get() == source)
                openingNumber = source->openingNumber;

        component.handleMessage (MidiCallbackMessage (source, openingNumber, message));
    }

    // The engine's own sequences, for tests of the engine itself.
    void sendToAllOutputs (const unsigned char* body, unsigned short length) { component.sendToAllOutputs (body, length); }
    void awaitReply() { component.awaitReply(); }

private:
    MainComponent& component;
};
