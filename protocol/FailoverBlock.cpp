#include "FailoverBlock.h"

namespace zun
{
void FailoverBlock::Empty()
{
    audioPortCount = 0;
    presetCount = 0;
    keepAlivePeriod = 0;
    usbd1PortSlot = 0;
    usbd2PortSlot = 0;
    currentPreset = 0;
    requestedPreset = 0;
    currentScene = 0;
    armed = 0;
    alarm = 0;
    failoverMode = 0;
    triggerMode = 0;
    maxVolume = 0;
    autoArm = 0;
    autoSwitchBack = 0;
    autoClearAlarm = 0;
    sendMidiPanic = 0;
    toneCheck = 0;
    audioTrigger = 0;
    audioChannel = 0;
    audioTimeout = 0;
    midiTrigger = 0;
    midiPort = 0;
    midiTimeout = 0;

    for (auto& preset : presets)
    {
        preset.number = 0;
        preset.name.clear();
    }

    // audioStatus and midiStatus stay: every runtime-status frame rewrites them.
    for (auto& port : audioPorts)
    {
        port.index = 0;
        port.type = 0;
        port.number = 0;
        port.parameter03 = 0;
        port.parameter10 = 0;
        port.channelCount = 0;
        port.name.clear();
    }
}
} // namespace zun
