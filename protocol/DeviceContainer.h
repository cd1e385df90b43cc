#pragma once

#include "FailoverBlock.h"
#include "SysexMessage.h"

namespace zun
{
// Protocol state of the connected interface. Its members are used directly.
class DeviceContainer final
{
public:
    DeviceContainer() = default;

    // The single gate for received frames: a well-formed frame of the protocol that
    // belongs to the current session. Allocates nothing.
    bool IsValidMidiMessage (const juce::MidiMessage& message) const noexcept;
    bool IsValidMidiMessage (const juce::uint8* data, int size) const noexcept;

    FailoverBlock failoverBlock;
    juce::uint8 queryIndex = 0;
    juce::String productName;
    SysexMessage sysexMessage;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceContainer)
};
} // namespace zun
