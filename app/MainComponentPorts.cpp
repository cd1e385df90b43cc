#include "MainComponent.h"

void MainComponent::createDeviceList (bool) {}
void MainComponent::openDevice (bool, int) {}
void MainComponent::closeDevice (bool, int) {}
void MainComponent::closeDevice (int) {}
void MainComponent::handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage&) {}
