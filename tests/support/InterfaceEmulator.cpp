#include "InterfaceEmulator.h"

// Placeholder bodies so that everything links; the emulator's behaviour follows.
struct InterfaceEmulator::Core
{
};

juce::String InterfaceEmulator::describe (RequestKind) { return {}; }
void InterfaceEmulator::Config::setPresets (int) {}
void InterfaceEmulator::Config::setAudioPorts (int, bool, bool) {}
InterfaceEmulator::Config::Config() {}
InterfaceEmulator::InterfaceEmulator (VirtualMidiPortSystem&, Config)
    : core (std::make_shared<Core>())
{
}
InterfaceEmulator::~InterfaceEmulator() = default;
int InterfaceEmulator::attach (const juce::String&, const juce::String&) { return 0; }
InterfaceEmulator::Config InterfaceEmulator::getConfig() const { return {}; }
void InterfaceEmulator::setConfig (const Config&) {}
void InterfaceEmulator::configure (const std::function<void (Config&)>&) {}
std::vector<InterfaceEmulator::ReceivedFrame> InterfaceEmulator::receivedFrames() const { return {}; }
int InterfaceEmulator::countOf (RequestKind) const { return 0; }
std::optional<InterfaceEmulator::ReceivedFrame> InterfaceEmulator::lastOf (RequestKind) const { return {}; }
std::vector<juce::MidiMessage> InterfaceEmulator::sentFrames() const { return {}; }
void InterfaceEmulator::clear() {}
bool InterfaceEmulator::isSubscribed() const { return false; }
juce::uint32 InterfaceEmulator::subscriptionSessionId() const { return 0; }
bool InterfaceEmulator::pushNotification() { return false; }
juce::MidiMessage InterfaceEmulator::makeFrame (const std::vector<juce::uint8>&, juce::uint32, juce::uint32) const { return {}; }
std::vector<juce::uint8> InterfaceEmulator::discoveryReplyBody() const { return {}; }
std::vector<juce::uint8> InterfaceEmulator::runtimeStatusBody (juce::uint8) const { return {}; }
void InterfaceEmulator::sendToApp (const juce::MidiMessage&, int, double) {}
