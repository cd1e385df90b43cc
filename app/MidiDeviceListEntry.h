#pragma once

#include "MidiPorts.h"

// One MIDI port of the system, which may hold the port open.
class MidiDeviceListEntry final : public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<MidiDeviceListEntry>;

    explicit MidiDeviceListEntry (juce::MidiDeviceInfo info)
        : deviceInfo (std::move (info))
    {
    }

    ~MidiDeviceListEntry() override
    {
        outDevice.reset();
        inDevice.reset();
    }

    // On an output: the sequence number of the discovery request last sent on it.
    juce::uint32 discoverySequence = 0;
    juce::MidiDeviceInfo deviceInfo;
    std::unique_ptr<MidiInputPort> inDevice;
    std::unique_ptr<MidiOutputPort> outDevice;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiDeviceListEntry)
};
