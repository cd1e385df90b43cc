#include "MainComponent.h"
#include "RequestTemplates.h"

//==============================================================================
// The runtime status: a frame the interface sends as the reply to GetRuntime or, while
// subscribed, by itself. It is applied in every request state and awaited by none.

namespace
{
enum RuntimeFrame
{
    scenePos = 30,
    armedPos = 33,
    alarmPos = 36,
    usb1AudioPos = 39,
    usb1MidiPos = 40,
    usb2AudioPos = 41,
    usb2MidiPos = 42
};

juce::String statusText (const char* kind, juce::uint8 status)
{
    return status >= 1 && status <= 3 ? juce::String (kind) + " - " + juce::String (status) : juce::String();
}
} // namespace

bool MainComponent::isRuntimeStatusFrame (const zun::FrameView& frame) noexcept
{
    const auto messageClass = frame.Byte (22);

    return frame.BodyLength() == 21
           && (messageClass == 0x43 || messageClass == 0x50)
           && frame.HasBytes ({ { 23, 3 }, { 26, 3 }, { 29, 0x04 }, { 32, 0x10 }, { 35, 0x11 }, { 38, 0x12 } });
}

zun::AudioPortSlot* MainComponent::hostPortSlot (juce::uint8 slotNumber) noexcept
{
    return slotNumber >= 1 && slotNumber <= zun::FailoverBlock::audioPortSlotCount ? &deviceContainer.failoverBlock.audioPorts[slotNumber - 1] : nullptr;
}

void MainComponent::updateRuntimeDisplay (const zun::FrameView& frame)
{
    auto& block = deviceContainer.failoverBlock;

    block.currentScene = frame.Byte (scenePos);
    block.armed = frame.Byte (armedPos) != 0 ? 1 : 0;
    block.alarm = frame.Byte (alarmPos) != 0 ? 1 : 0;

    auto* usb1Slot = hostPortSlot (block.usbd1PortSlot);
    auto* usb2Slot = hostPortSlot (block.usbd2PortSlot);

    if (usb1Slot != nullptr)
    {
        usb1Slot->audioStatus = frame.Byte (usb1AudioPos);
        usb1Slot->midiStatus = frame.Byte (usb1MidiPos);
    }

    if (usb2Slot != nullptr)
    {
        usb2Slot->audioStatus = frame.Byte (usb2AudioPos);
        usb2Slot->midiStatus = frame.Byte (usb2MidiPos);
    }

    // USB 1 is read back from its slot after both are stored, so when both slot numbers
    // name one slot it shows USB 2's values.
    const auto usb1Audio = usb1Slot != nullptr ? usb1Slot->audioStatus : frame.Byte (usb1AudioPos);
    const auto usb1Midi = usb1Slot != nullptr ? usb1Slot->midiStatus : frame.Byte (usb1MidiPos);
    const auto usb2Audio = frame.Byte (usb2AudioPos);
    const auto usb2Midi = frame.Byte (usb2MidiPos);

    constexpr auto colourId = juce::TextButton::buttonColourId;

    if (block.currentScene == 2)
    {
        sceneBButton.setColour (colourId, juce::Colours::darkviolet);
        sceneAButton.removeColour (colourId);
    }
    else if (block.currentScene == 1)
    {
        sceneAButton.setColour (colourId, juce::Colours::darkviolet);
        sceneBButton.removeColour (colourId);
    }
    else
    {
        sceneAButton.removeColour (colourId);
        sceneBButton.removeColour (colourId);
    }

    armedIndicator.setVisible (block.armed != 0);
    alarmIndicator.setVisible (block.alarm != 0);

    usb1AudioStatusLabel.setText (statusText ("Audio", usb1Audio), juce::dontSendNotification);
    usb1MidiStatusLabel.setText (statusText ("MIDI", usb1Midi), juce::dontSendNotification);
    usb2AudioStatusLabel.setText (statusText ("Audio", usb2Audio), juce::dontSendNotification);
    usb2MidiStatusLabel.setText (statusText ("MIDI", usb2Midi), juce::dontSendNotification);

    const bool ok1 = isHostReady (usb1Audio, usb1Midi);
    const bool ok2 = isHostReady (usb2Audio, usb2Midi);

    if (block.failoverMode == 1)
    {
        usb1ReadyIndicator.setVisible (ok1);
        usb1FailIndicator.setVisible (! ok1);
        usb1MasterIndicator.setVisible (true);
        usb2ReadyIndicator.setVisible (false);
        usb2FailIndicator.setVisible (false);
        usb2MasterIndicator.setVisible (false);
    }
    else if (block.failoverMode == 2)
    {
        usb1ReadyIndicator.setVisible (ok1);
        usb1FailIndicator.setVisible (! ok1);
        usb2ReadyIndicator.setVisible (ok2);
        usb2FailIndicator.setVisible (! ok2);

        // Without a known scene the Master lamps stay as they were.
        if (block.currentScene == 1 || block.currentScene == 2)
        {
            usb1MasterIndicator.setVisible (block.currentScene == 1);
            usb2MasterIndicator.setVisible (block.currentScene == 2);
        }
    }
}

// A host is ready when its status reaches the trigger level of what the trigger mode uses.
bool MainComponent::isHostReady (juce::uint8 audio, juce::uint8 midi) const noexcept
{
    const auto& block = deviceContainer.failoverBlock;
    const bool audioReady = audio >= block.audioTrigger;
    const bool midiReady = midi >= block.midiTrigger;

    switch (block.triggerMode)
    {
        case 1:
            return audioReady;
        case 2:
            return midiReady;
        case 3:
            return audioReady || midiReady;
        case 4:
            return audioReady && midiReady;
        default:
            return false;
    }
}

//==============================================================================
// Every 40 ms once a complete settings read has ended. Nothing sent here awaits a reply.
void MainComponent::runtimeTickElapsed()
{
    if (runtimeMode == Poll)
    {
        sendToAllOutputs (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    }
    else if (runtimeMode == Manual)
    {
        if (runtimeRequest)
        {
            runtimeRequest = false;
            sendToAllOutputs (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
        }
    }
    else if (runtimeMode == Notify && notifyCountdown != 0)
    {
        // 25 ticks make a second; a period of 0 gives one Ping and then none.
        if (--notifyCountdown == 0)
        {
            notifyCountdown = (juce::int32) deviceContainer.failoverBlock.keepAlivePeriod * 25;
            sendToAllOutputs (nullptr, 0);
        }
    }
}

// The radio toggles' calls for the toggle that went off find it off and do nothing, so one
// action runs per switch. A click on the toggle already on runs its action again.
bool MainComponent::handleRuntimeControl (juce::Button* button)
{
    if (button == &getRuntimeButton)
    {
        // Several clicks between two ticks make one request.
        if (settingsLoaded && ! pollToggle.getToggleState())
            runtimeRequest = true;
    }
    else if (button == &notifyToggle)
    {
        if (settingsLoaded && notifyToggle.getToggleState())
        {
            getRuntimeButton.setEnabled (false);
            runtimeMode = Notify;
            notifyCountdown = 2;
            updateRegistration (1);
        }
    }
    else if (button == &pollToggle || button == &manualToggle)
    {
        if (settingsLoaded && button->getToggleState())
        {
            if (runtimeMode == Notify)
                updateRegistration (2);

            const bool poll = button == &pollToggle;
            getRuntimeButton.setEnabled (! poll);
            runtimeRequest = false;
            runtimeMode = poll ? Poll : Manual;
        }
    }
    else
    {
        return false;
    }

    return true;
}

// It waits for no reply and changes no state, timer or control.
void MainComponent::updateRegistration (unsigned char mode)
{
    SXMessage_SendRegistration[8] = mode;
    sendToAllOutputs (SXMessage_SendRegistration, SXMessage_SendRegistration_Length);
}
