#include "DeviceContainer.h"
#include "DeviceDiscoveryItem.h"

// Placeholder bodies; replaced as the protocol is built.
namespace zun
{
    SysexMessage::SysexMessage() : frameBuffer() {}
    juce::MidiMessage SysexMessage::CreateMessage (const unsigned char*, unsigned short) { return {}; }
    void SysexMessage::DrawSessionId() {}
    void FailoverBlock::Empty() {}
    bool DeviceContainer::IsValidMidiMessage (const juce::MidiMessage&) const noexcept { return false; }
    bool DeviceContainer::IsValidMidiMessage (const juce::uint8*, int) const noexcept { return false; }
} // namespace zun

DeviceDiscoveryItem::DeviceDiscoveryItem (juce::uint16, juce::uint32) {}
juce::String DeviceDiscoveryItem::MakeLabel (juce::uint16, juce::uint32) { return {}; }
juce::String DeviceDiscoveryItem::MakeNamedLabel (const juce::String&, juce::uint32) { return {}; }
