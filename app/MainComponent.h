#pragma once

#include "Alerts.h"
#include "DeviceContainer.h"
#include "DeviceDiscoveryItem.h"
#include "MidiCallbackMessage.h"
#include "MidiDeviceListEntry.h"
#include "MidiLogView.h"
#include "MidiPorts.h"
#include "ZUNDeviceListBox.h"
#include <juce_gui_basics/juce_gui_basics.h>

// The window's content: every control, both MIDI port lists, the discovered interfaces and
// the protocol state. It is itself the timer, the MIDI callback, the message listener and
// the listener of its own controls. The implementation is split by topic across the
// MainComponent*.cpp files.
class MainComponent final : public juce::Component,
                            private juce::MultiTimer,
                            private MidiInputPortCallback,
                            private juce::MessageListener,
                            private juce::Button::Listener,
                            private juce::Label::Listener,
                            private juce::ComboBox::Listener,
                            private juce::Slider::Listener
{
public:
    enum RequestState : juce::uint8
    {
        idle = 0,
        discovering = 1,
        probingNames = 2,
        readingAudioInfo = 3,
        readingDeviceInfo = 4,
        readingFeatures = 5,
        readingPresetNames = 6,
        readingAudioPorts = 7,
        readingFailoverSettings = 8,
        loadingPreset = 9,
        savingPreset = 10,
        settingParameter = 11
    };

    enum RuntimeMode : juce::uint8
    {
        Manual = 0,
        Poll = 1,
        Notify = 2
    };

    enum TimerId
    {
        discoveryWindow = 0,
        replyTimeout = 1,
        runtimeTick = 2
    };

    // The port system and the alert are the component's two seams: the application
    // passes JUCE's ports and the modal alert, tests pass ports in memory and a recorder.
    explicit MainComponent (MidiPortSystem& portSystemToUse, AlertFunction alertToUse = makeModalAlert());
    ~MainComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    // Used by the interface list.
    void clrGUI();
    void openDevice (bool isInput, int index);
    void closeDevice (bool isInput, int index);
    void closeDevice (int discoveredIndex);
    void stopReplyWait();
    const juce::OwnedArray<DeviceDiscoveryItem>& getDiscoveredInterfaces() const noexcept { return discoveredInterfaces; }

    static void setStyle (juce::Label& label);

private:
    friend class MainComponentProbe; // test access
    friend class MonitorBenchAccess; // benchmark access

    //==============================================================================
    void timerCallback (int timerID) override;
    void handleMessage (const juce::Message& message) override;
    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* comboBox) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void labelTextChanged (juce::Label* label) override;
    void handleIncomingMidiMessage (MidiInputPort* source, const juce::MidiMessage& message) override;

    //==============================================================================
    // Construction and layout (MainComponent.cpp, MainComponentPanels.cpp, MainComponentLayout.cpp)
    void addLabelAndSetStyle (juce::Label& label);
    void createGUI();
    void updateTriggerModeCombo();
    void updateAudioChannelRow();
    void updateMidiPortRow();

    // Ports (MainComponentPorts.cpp)
    void createDeviceList (bool isInput);

    // Request and reply engine (MainComponentEngine.cpp)
    void sendToAllOutputs (const unsigned char* body, unsigned short length);
    void awaitReply();
    void cancelPendingRequest();
    void handleReplyTimeout();
    void startOneShot (TimerId id, int intervalMs);
    bool hasOneShotElapsed (TimerId id);
    bool isAcknowledgement (const zun::FrameView& frame) const noexcept;
    void handleAcknowledgement (const zun::FrameView& frame);
    void sendAndAwait (const unsigned char* body, unsigned short length);

    // Discovery (MainComponentDiscovery.cpp)
    void startDiscovery();
    void handleDiscoveryReply (const MidiCallbackMessage& received);
    void endDiscoveryWindow();
    void handleProductNameReply (const MidiCallbackMessage& received);
    void probeCurrentInterface();

    // Settings read (MainComponentSettings.cpp)
    void startSettingsRead();
    void handleSettingsReply (const zun::FrameView& frame);
    void askForPresetName (juce::uint8 preset);
    void askForAudioPort (juce::uint8 port);
    void handlePresetNameReply (const zun::FrameView& frame);
    void handleAudioPortReply (const zun::FrameView& frame);
    void handleFailoverSettingsReply (const zun::FrameView& frame);
    void fillSettingsGui();
    void updateAutoSwitchBackVisibility();
    int presetLimit() const noexcept;
    int portLimit() const noexcept;
    static juce::String readName (const zun::FrameView& frame, int start, int itemLength);
    static juce::String portName (juce::uint8 type, juce::uint8 number);
    static juce::String timeoutText (juce::uint16 eighths);

    // Setting changes (MainComponentChanges.cpp)
    void updateFailoverSetting (unsigned char parameterId, unsigned char sub);
    void appComboBoxChanged (juce::ComboBox* comboBox);
    void changeAudioChannelLabel (juce::Label* label);
    void changeAudioTimeoutLabel (juce::Label* label);
    void changeMIDIPortLabel (juce::Label* label);
    void changeMIDITimeoutLabel (juce::Label* label);
    void changeWholeNumberLabel (juce::Label& label, juce::uint8& field, int limit, unsigned char parameterId);
    void changeTimeoutLabel (juce::Label& label, juce::uint16& field, unsigned char parameterId);
    int audioChannelLimit() const noexcept;
    bool handleSettingToggle (juce::Button* button);
    bool handleCommandButton (juce::Button* button);
    void judgeSettingAcknowledgement (const zun::FrameView& frame);

    // Presets (MainComponentPresets.cpp)
    void loadPreset();
    void savePreset();
    void judgeLoadAcknowledgement (const zun::FrameView& frame);
    void judgeSaveAcknowledgement (const zun::FrameView& frame);

    // Runtime status and modes (MainComponentRuntime.cpp)
    static bool isRuntimeStatusFrame (const zun::FrameView& frame) noexcept;
    void updateRuntimeDisplay (const zun::FrameView& frame);
    bool isHostReady (juce::uint8 audio, juce::uint8 midi) const noexcept;
    zun::AudioPortSlot* hostPortSlot (juce::uint8 slotNumber) noexcept;
    void runtimeTickElapsed();
    bool handleRuntimeControl (juce::Button* button);
    void updateRegistration (unsigned char mode);

    // Monitor (MainComponentMonitor.cpp)
    void addMessageToList (const juce::MidiMessage& message, bool isOutgoing);
    juce::String getMidiMessageDescription (const juce::MidiMessage& message);
    void clearLog();

    //==============================================================================
    MidiPortSystem& portSystem;
    AlertFunction showAlert;

    // When the two one-shot waits (discoveryWindow, replyTimeout) began and how long they
    // last: JUCE's timer may call back early, so each callback checks the time itself.
    double oneShotStartMs[2] {};
    int oneShotIntervalMs[2] {};

    //==============================================================================
    juce::Label selectInterfaceLabel;
    juce::Label versionLabel;
    MidiLogView midiLog;
    juce::TextButton searchButton;
    juce::TextButton clearLogButton;
    juce::TextButton getSettingsButton;
    juce::TextButton saveSettingsButton;
    juce::ToggleButton showMidiMessagesToggle;

    juce::ReferenceCountedArray<MidiDeviceListEntry> midiInputs;
    juce::ReferenceCountedArray<MidiDeviceListEntry> midiOutputs;
    std::unique_ptr<ZUNDeviceListBox> deviceListBox;
    zun::DeviceContainer deviceContainer;

    juce::uint8 requestState = idle;
    juce::int32 probeCursor = 0;
    juce::OwnedArray<DeviceDiscoveryItem> discoveredInterfaces;
    juce::int32 logLineCounter = 1;
    bool settingsLoaded = false;
    bool runtimeRequest = false;
    juce::uint8 runtimeMode = Manual;
    juce::int32 notifyCountdown = 0;

    //==============================================================================
    juce::Label presetLabel;
    juce::ComboBox presetCombo;
    juce::TextButton loadPresetButton, savePresetButton;

    juce::GroupComponent runtimeGroup;
    juce::ToggleButton allowSceneSelectionToggle, notifyToggle, pollToggle, manualToggle;
    juce::TextButton sceneAButton, sceneBButton, clearAlarmButton, armFailoverButton, disarmFailoverButton,
        getRuntimeButton, armedIndicator, alarmIndicator, usb1ReadyIndicator, usb2ReadyIndicator,
        usb1FailIndicator, usb2FailIndicator, usb1MasterIndicator, usb2MasterIndicator;
    juce::Label usb1StatusLabel, usb1AudioStatusLabel, usb1MidiStatusLabel, usb2StatusLabel,
        usb2AudioStatusLabel, usb2MidiStatusLabel;

    juce::GroupComponent settingsGroup;
    juce::Label failoverModeLabel, triggerModeLabel, audioTriggerLabel, audioChannelLabel, audioTimeoutLabel,
        audioTimeoutUnitLabel, midiTriggerLabel, midiPortLabel, midiTimeoutLabel, midiTimeoutUnitLabel,
        audioChannelValue, audioTimeoutValue, midiPortValue, midiTimeoutValue;
    juce::ComboBox failoverModeCombo, triggerModeCombo, audioTriggerCombo, midiTriggerCombo;
    juce::ToggleButton autoArmToggle, autoSwitchBackToggle, autoClearAlarmToggle, sendMidiPanicToggle, toneCheckToggle;
    juce::Label maxVolLabel;
    juce::Slider maxVolSlider;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
