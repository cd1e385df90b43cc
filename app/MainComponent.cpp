#include "MainComponent.h"

// Placeholder bodies; replaced as the component is built.
MainComponent::MainComponent (MidiPortSystem& portSystemToUse, AlertFunction alertToUse)
    : portSystem (portSystemToUse), showAlert (std::move (alertToUse)), deviceListBox (std::make_unique<ZUNDeviceListBox> (*this))
{
    setSize (660, 592);
}

MainComponent::~MainComponent()
{
    stopTimer (discoveryWindow);
    stopTimer (replyTimeout);
    stopTimer (runtimeTick);
    midiInputs.clear();
    midiOutputs.clear();
    deviceListBox.reset();
}

void MainComponent::paint (juce::Graphics&) {}
void MainComponent::setStyle (juce::Label&) {}
void MainComponent::addLabelAndSetStyle (juce::Label&) {}
void MainComponent::timerCallback (int) {}
void MainComponent::buttonClicked (juce::Button*) {}
void MainComponent::comboBoxChanged (juce::ComboBox*) {}
void MainComponent::sliderValueChanged (juce::Slider*) {}
void MainComponent::labelTextChanged (juce::Label*) {}
