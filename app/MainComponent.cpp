#include "MainComponent.h"

//==============================================================================
// The members are declared in the order they must be built: the list box exists before
// the body's setSize calls resized(), which places it.
MainComponent::MainComponent (MidiPortSystem& portSystemToUse, AlertFunction alertToUse)
    : portSystem (portSystemToUse)
    , showAlert (std::move (alertToUse))
    , deviceListBox (std::make_unique<ZUNDeviceListBox> (*this))
{
    // postMessage creates this listener's weak-reference record on first use, without a
    // lock; MIDI threads of two inputs would race on it, so it is made here, once.
    const juce::WeakReference<juce::MessageListener> handOffRecord { this };

    // The list reads discoveredInterfaces as soon as it has a model, so it gets one only
    // now that every member exists.
    deviceListBox->useItselfAsModel();

    setSize (660, 592);

    versionLabel.setText (juce::String::formatted ("V7 P%d", 5), juce::dontSendNotification);
    selectInterfaceLabel.setText ("Select Interface", juce::dontSendNotification);

    addLabelAndSetStyle (selectInterfaceLabel);
    addLabelAndSetStyle (versionLabel);
    versionLabel.setFont (juce::Font (12.0f));

    for (auto [button, caption] : { std::pair<juce::TextButton*, const char*> { &searchButton, "Search" },
                                    { &clearLogButton, "Clear Log" },
                                    { &getSettingsButton, "Get Settings" },
                                    { &saveSettingsButton, "Save Settings" } })
    {
        addAndMakeVisible (*button);
        button->setButtonText (caption);
        button->addListener (this);
    }

    // Read by the monitor each time; nothing in the program reacts to its clicks.
    addAndMakeVisible (showMidiMessagesToggle);
    showMidiMessagesToggle.setButtonText ("Show MIDI Messages");

    // The log view is read-only by nature; only its font needs setting.
    addAndMakeVisible (midiLog);
    midiLog.setFont (juce::Font (12.0f));

    addAndMakeVisible (*deviceListBox);

    logLineCounter = 1;

    createGUI();
    clrGUI();
}

MainComponent::~MainComponent()
{
    clearLogButton.removeListener (this);
    searchButton.removeListener (this);
    getSettingsButton.removeListener (this);
    saveSettingsButton.removeListener (this);

    stopTimer (discoveryWindow);
    stopTimer (replyTimeout);
    stopTimer (runtimeTick);

    // Closing every port here means no MIDI callback can reach a half-destroyed component.
    midiInputs.clear();
    midiOutputs.clear();

    deviceListBox.reset();
}

//==============================================================================
void MainComponent::paint (juce::Graphics&) {}

void MainComponent::setStyle (juce::Label& label)
{
    label.setFont (juce::Font (15.0f, juce::Font::plain));
    label.setJustificationType (juce::Justification::centredLeft);
    label.setEditable (false, false, false);
}

void MainComponent::addLabelAndSetStyle (juce::Label& label)
{
    setStyle (label);
    addAndMakeVisible (label);
}

//==============================================================================
void MainComponent::timerCallback (int timerID)
{
    if ((timerID == discoveryWindow || timerID == replyTimeout) && ! hasOneShotElapsed ((TimerId) timerID))
        return;

    if (timerID == discoveryWindow)
        endDiscoveryWindow();
    else if (timerID == replyTimeout)
        handleReplyTimeout();
    else if (timerID == runtimeTick)
        runtimeTickElapsed();
}

// "Save Settings", "ARMED" and "ALARM" reach here and take no action.
void MainComponent::buttonClicked (juce::Button* button)
{
    if (button == &clearLogButton)
        clearLog();
    else if (button == &searchButton)
        startDiscovery();
    else if (button == &getSettingsButton)
        startSettingsRead();
    else if (button == &loadPresetButton)
        loadPreset();
    else if (button == &savePresetButton)
        savePreset();
    else if (! handleSettingToggle (button) && ! handleCommandButton (button))
        handleRuntimeControl (button);
}
