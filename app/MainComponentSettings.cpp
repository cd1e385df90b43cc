#include "MainComponent.h"
#include "RequestTemplates.h"

//==============================================================================
// "Get Settings": one request at a time, the number of audio ports, device information,
// the current preset and scene, each preset's name, each audio port and the failover
// settings. The record fills as replies come; the window changes only at the end.

namespace
{
constexpr juce::uint8 retParmVal = 0x43, parmValList = 3, argValList = 4;
} // namespace

void MainComponent::startSettingsRead()
{
    const auto* item = discoveredInterfaces[deviceListBox->getSelectedRow()];

    if (item == nullptr)
        return;

    cancelPendingRequest();

    deviceContainer.failoverBlock.Empty();
    deviceContainer.queryIndex = 0;
    requestState = readingAudioInfo;

    auto& builder = deviceContainer.sysexMessage;
    builder.DrawSessionId();
    builder.productId = item->productId;
    builder.serialNumber = item->serialNumber;

    sendAndAwait (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length);
}

void MainComponent::sendAndAwait (const unsigned char* body, unsigned short length)
{
    sendToAllOutputs (body, length);
    awaitReply();
}

int MainComponent::presetLimit() const noexcept
{
    return juce::jmin ((int) deviceContainer.failoverBlock.presetCount, zun::FailoverBlock::presetSlotCount);
}

int MainComponent::portLimit() const noexcept
{
    return juce::jmin ((int) deviceContainer.failoverBlock.audioPortCount, zun::FailoverBlock::audioPortSlotCount);
}

// A name item's bytes, as many as the item claims but never past the body's end; a zero
// byte adds nothing.
juce::String MainComponent::readName (const zun::FrameView& frame, int start, int itemLength)
{
    const int bodyEnd = zun::Frame::bodyPos + frame.BodyLength();
    const int end = juce::jmin (start + itemLength - 2, bodyEnd);
    juce::String name;

    for (int i = start; i < end; ++i)
        if (const auto c = frame.Byte (i); c != 0)
            name += juce::String::charToString ((juce::juce_wchar) c);

    return name;
}

//==============================================================================
void MainComponent::handleSettingsReply (const zun::FrameView& frame)
{
    auto& block = deviceContainer.failoverBlock;
    const auto length = frame.BodyLength();

    switch (requestState)
    {
        case readingAudioInfo:
            if (length != 9 || ! frame.HasBytes ({ { 22, retParmVal }, { 23, 8 }, { 26, parmValList }, { 29, 0x01 } }))
                return;

            block.audioPortCount = frame.Byte (30);
            stopReplyWait();
            requestState = readingDeviceInfo;
            sendAndAwait (SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length);
            return;

        case readingDeviceInfo:
            if (length != 15 || ! frame.HasBytes ({ { 22, retParmVal }, { 23, 2 }, { 26, parmValList }, { 29, 0x14 }, { 32, 0x17 }, { 35, 0x19 } }))
                return;

            block.presetCount = frame.Byte (30);
            block.keepAlivePeriod = frame.Byte (36);
            stopReplyWait();
            requestState = readingFeatures;
            sendAndAwait (SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length);
            return;

        case readingFeatures:
            if (length != 12 || ! frame.HasBytes ({ { 22, retParmVal }, { 23, 3 }, { 26, parmValList }, { 29, 0x01 }, { 32, 0x04 } }))
                return;

            block.currentPreset = frame.Byte (30);
            block.currentScene = frame.Byte (33);
            stopReplyWait();
            // The first preset is asked for even when the interface reports none.
            requestState = readingPresetNames;
            askForPresetName (1);
            return;

        case readingPresetNames:
            handlePresetNameReply (frame);
            return;

        case readingAudioPorts:
            handleAudioPortReply (frame);
            return;

        case readingFailoverSettings:
            handleFailoverSettingsReply (frame);
            return;

        default:
            return;
    }
}

void MainComponent::askForPresetName (juce::uint8 preset)
{
    deviceContainer.queryIndex = preset;
    SXMessage_GetSettingsPresetName[7] = preset;
    sendAndAwait (SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length);
}

void MainComponent::askForAudioPort (juce::uint8 port)
{
    deviceContainer.queryIndex = port;
    SXMessage_GetSettingsAudioPortInfo[7] = port;
    sendAndAwait (SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length);
}

// The reply's own preset number decides the slot; it is not compared with the one asked for.
void MainComponent::handlePresetNameReply (const zun::FrameView& frame)
{
    if (frame.BodyLength() < 13 || ! frame.HasBytes ({ { 22, retParmVal }, { 23, 3 }, { 26, argValList }, { 28, 0x09 }, { 31, parmValList }, { 34, 0x02 } }))
        return;

    const int p = frame.Byte (29);

    // The name replaces what the slot held, so a repeated reply cannot double it.
    if (p >= 1 && p <= presetLimit())
    {
        auto& slot = deviceContainer.failoverBlock.presets[p - 1];
        slot.number = (juce::uint8) p;
        slot.name = readName (frame, 35, frame.Byte (33));
    }

    stopReplyWait();

    if (deviceContainer.queryIndex < presetLimit())
    {
        askForPresetName ((juce::uint8) (deviceContainer.queryIndex + 1));
        return;
    }

    // The first port is asked for even when the interface reports none.
    requestState = readingAudioPorts;
    askForAudioPort (1);
}

void MainComponent::handleAudioPortReply (const zun::FrameView& frame)
{
    if (frame.BodyLength() != 24
        || ! frame.HasBytes ({ { 22, retParmVal }, { 23, 9 }, { 26, argValList }, { 28, 0x10 }, { 31, parmValList }, { 34, 0x01 }, { 37, 0x02 }, { 40, 0x03 }, { 43, 0x10 } }))
        return;

    const int k = frame.Byte (29);

    if (k >= 1 && k <= portLimit())
    {
        auto& block = deviceContainer.failoverBlock;
        auto& slot = block.audioPorts[k - 1];
        const auto type = frame.Byte (35);
        const auto number = frame.Byte (38);

        // The two USB host connections are the USBD ports numbered 1 and 2.
        if (type == 1 && number == 1)
            block.usbd1PortSlot = (juce::uint8) k;
        else if (type == 1 && number == 2)
            block.usbd2PortSlot = (juce::uint8) k;

        slot.index = (juce::uint8) k;
        slot.type = type;
        slot.number = number;
        slot.parameter03 = frame.Byte (41);
        slot.parameter10 = frame.Byte (44);
        slot.channelCount = frame.Byte (45);
        slot.name = portName (type, number);
    }

    stopReplyWait();

    if (deviceContainer.queryIndex < portLimit())
    {
        askForAudioPort ((juce::uint8) (deviceContainer.queryIndex + 1));
        return;
    }

    requestState = readingFailoverSettings;
    sendAndAwait (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
}

juce::String MainComponent::portName (juce::uint8 type, juce::uint8 number)
{
    switch (type)
    {
        case 1:
            return juce::String::formatted ("USBD %d", (int) number);
        case 2:
            return "Analog";
        case 3:
            return "Mixer";
        case 4:
            return "Tone Generator";
        default:
            return {};
    }
}

void MainComponent::handleFailoverSettingsReply (const zun::FrameView& frame)
{
    if (frame.BodyLength() != 38
        || ! frame.HasBytes ({ { 22, retParmVal }, { 23, 3 }, { 26, parmValList }, { 29, 0x13 }, { 32, 0x14 }, { 35, 0x15 }, { 38, 0x16 }, { 47, 0x17 }, { 56, 0x18 } }))
        return;

    auto& block = deviceContainer.failoverBlock;
    const auto options = frame.Byte (33);

    block.failoverMode = frame.Byte (30);
    block.autoArm = options & 1;
    block.autoSwitchBack = (options >> 1) & 1;
    block.autoClearAlarm = (options >> 2) & 1;
    block.sendMidiPanic = (options >> 3) & 1;
    block.toneCheck = (options >> 4) & 1;
    block.triggerMode = frame.Byte (36);
    block.audioTrigger = frame.Byte (40);
    block.audioChannel = frame.Byte (42);
    block.audioTimeout = (juce::uint16) frame.Read14 (44);
    block.midiTrigger = frame.Byte (49);
    block.midiPort = frame.Byte (51);
    block.midiTimeout = (juce::uint16) frame.Read14 (53);

    // Two's complement of the low 16 bits: 03 00 00 is -16384, that is -64 dB.
    const auto volume = (juce::uint32) frame.Byte (57) * 16384u + frame.Read14 (58);
    block.maxVolume = (juce::int16) (juce::uint16) (volume & 0xFFFF);

    stopReplyWait();
    fillSettingsGui();
}

//==============================================================================
// The end of a complete read (or of a preset load): the panels show the record, Manual
// mode is on and the runtime tick runs. Nothing here notifies a listener while it runs.
void MainComponent::fillSettingsGui()
{
    const auto& block = deviceContainer.failoverBlock;

    runtimeRequest = false;
    runtimeMode = Manual;

    clrGUI();

    manualToggle.setToggleState (true, juce::dontSendNotification);
    getRuntimeButton.setEnabled (true);

    presetCombo.clear (juce::sendNotificationAsync);

    for (int i = 0; i < presetLimit(); ++i)
    {
        const auto& slot = block.presets[i];

        if (slot.number != 0)
            presetCombo.addItem (juce::String::formatted (slot.number == block.currentPreset ? "* %d - " : "%d - ", (int) slot.number) + slot.name, slot.number);
    }

    presetCombo.setSelectedId (block.currentPreset, juce::dontSendNotification);

    const auto fill = [] (juce::ComboBox& combo, std::initializer_list<const char*> items)
    {
        combo.clear (juce::sendNotificationAsync);
        int id = 1;

        for (const auto* text : items)
            combo.addItem (text, id++);
    };

    fill (failoverModeCombo, { "Single Master", "Dual Master" });
    fill (triggerModeCombo, { "Use Audio", "Use MIDI", "Audio or MIDI", "Audio and MIDI" });
    fill (audioTriggerCombo, { "1 - Host Connected", "2 - Audio Received", "3 - Failover Signal" });
    fill (midiTriggerCombo, { "1 - Host Connected", "2 - MIDI Received", "3 - Failover Signal" });

    maxVolSlider.setRange (-64.0, 0.0, 0.5);

    failoverModeCombo.setSelectedId (block.failoverMode, juce::dontSendNotification);
    triggerModeCombo.setSelectedId (block.triggerMode, juce::dontSendNotification);
    audioTriggerCombo.setSelectedId (block.audioTrigger, juce::dontSendNotification);
    midiTriggerCombo.setSelectedId (block.midiTrigger, juce::dontSendNotification);

    autoArmToggle.setToggleState (block.autoArm != 0, juce::dontSendNotification);
    autoSwitchBackToggle.setToggleState (block.autoSwitchBack != 0, juce::dontSendNotification);
    autoClearAlarmToggle.setToggleState (block.autoClearAlarm != 0, juce::dontSendNotification);
    sendMidiPanicToggle.setToggleState (block.sendMidiPanic != 0, juce::dontSendNotification);
    toneCheckToggle.setToggleState (block.toneCheck != 0, juce::dontSendNotification);

    audioChannelValue.setText (juce::String (block.audioChannel), juce::dontSendNotification);
    midiPortValue.setText (juce::String (block.midiPort), juce::dontSendNotification);
    audioTimeoutValue.setText (timeoutText (block.audioTimeout), juce::dontSendNotification);
    midiTimeoutValue.setText (timeoutText (block.midiTimeout), juce::dontSendNotification);

    updateAutoSwitchBackVisibility();
    updateTriggerModeCombo();

    maxVolSlider.setValue (block.maxVolume / 256.0, juce::dontSendNotification);

    settingsLoaded = true;
    startTimer (runtimeTick, 40);
    requestState = idle;
}

// A time-out in milliseconds, as JUCE writes a float: the fill and the value labels show the
// same text for the same time-out.
juce::String MainComponent::timeoutText (juce::uint16 eighths)
{
    return juce::String ((float) eighths * 0.125f);
}

// "Auto Switch Back to Scene A" only means something in single-master mode with auto arm.
void MainComponent::updateAutoSwitchBackVisibility()
{
    const auto& block = deviceContainer.failoverBlock;
    autoSwitchBackToggle.setVisible (block.failoverMode == 1 && block.autoArm != 0);
}
