#pragma once

#include <juce_core/juce_core.h>

namespace zun
{
struct PresetSlot
{
    juce::uint8 number = 0; // 0: slot not filled
    juce::String name;
};

struct AudioPortSlot
{
    juce::uint8 index = 0;
    juce::uint8 type = 0;
    juce::uint8 number = 0;
    juce::uint8 parameter03 = 0;
    juce::uint8 parameter10 = 0;
    juce::uint8 channelCount = 0;
    juce::uint8 audioStatus = 0;
    juce::uint8 midiStatus = 0;
    juce::String name;
};

// The connected interface's settings and status record.
struct FailoverBlock
{
    static constexpr int presetSlotCount = 32;
    static constexpr int audioPortSlotCount = 8;

    FailoverBlock() { Empty(); }

    // Back to the nothing-read state. The host status bytes of each port slot are
    // kept: every runtime-status frame rewrites them.
    void Empty();

    juce::uint8 audioPortCount = 0;
    juce::uint8 presetCount = 0;
    juce::uint8 keepAlivePeriod = 0;
    juce::uint8 usbd1PortSlot = 0;
    juce::uint8 usbd2PortSlot = 0;
    juce::uint8 currentPreset = 0;
    juce::uint8 requestedPreset = 0;
    juce::uint8 currentScene = 0;
    juce::uint8 armed = 0;
    juce::uint8 alarm = 0;
    juce::uint8 failoverMode = 0;
    juce::uint8 triggerMode = 0;
    juce::int16 maxVolume = 0;
    juce::uint8 autoArm = 0;
    juce::uint8 autoSwitchBack = 0;
    juce::uint8 autoClearAlarm = 0;
    juce::uint8 sendMidiPanic = 0;
    juce::uint8 toneCheck = 0;
    juce::uint8 audioTrigger = 0;
    juce::uint8 audioChannel = 0;
    juce::uint16 audioTimeout = 0;
    juce::uint8 midiTrigger = 0;
    juce::uint8 midiPort = 0;
    juce::uint16 midiTimeout = 0;
    PresetSlot presets[presetSlotCount];
    AudioPortSlot audioPorts[audioPortSlotCount];
};
} // namespace zun
