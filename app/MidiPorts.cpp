#include "MidiPorts.h"

juce::Array<juce::MidiDeviceInfo> JuceMidiPortSystem::getAvailableInputs() { return {}; }
juce::Array<juce::MidiDeviceInfo> JuceMidiPortSystem::getAvailableOutputs() { return {}; }
std::unique_ptr<MidiInputPort> JuceMidiPortSystem::openInput (const juce::String&, MidiInputPortCallback&) { return {}; }
std::unique_ptr<MidiOutputPort> JuceMidiPortSystem::openOutput (const juce::String&) { return {}; }
