#include "MainComponent.h"

void MainComponent::addMessageToList (const juce::MidiMessage&, bool) {}
juce::String MainComponent::getMidiMessageDescription (const juce::MidiMessage&) { return {}; }
void MainComponent::clearLog() {}
