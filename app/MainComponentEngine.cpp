#include "MainComponent.h"
#include "RequestTemplates.h"

//==============================================================================
// Receiving. One exchange at a time: requestState names the reply awaited, and a frame
// that is not that reply is ignored without a word.

void MainComponent::handleMessage (const juce::Message& message)
{
    const auto* received = dynamic_cast<const MidiCallbackMessage*> (&message);

    if (received == nullptr)
        return;

    // The monitor sees every received message, whatever becomes of it.
    addMessageToList (received->message, false);

    if (! deviceContainer.IsValidMidiMessage (received->message))
        return;

    const zun::FrameView frame (received->message);

    // Runtime-status frames are applied in every request state, idle included, and touch
    // neither requestState nor replyTimeout.
    if (isRuntimeStatusFrame (frame))
    {
        updateRuntimeDisplay (frame);
        return;
    }

    switch (requestState)
    {
        case discovering:
            handleDiscoveryReply (*received);
            break;

        case probingNames:
            handleProductNameReply (*received);
            break;

        case readingAudioInfo:
        case readingDeviceInfo:
        case readingFeatures:
        case readingPresetNames:
        case readingAudioPorts:
        case readingFailoverSettings:
            handleSettingsReply (frame);
            break;

        case loadingPreset:
        case savingPreset:
        case settingParameter:
            if (isAcknowledgement (frame))
                handleAcknowledgement (frame);
            break;

        default:
            // idle awaits nothing.
            break;
    }
}

// The reply that loading, saving and setting all await: L = 5, Ack, data class None.
bool MainComponent::isAcknowledgement (const zun::FrameView& frame) const noexcept
{
    return frame.BodyLength() == 5
           && frame.Byte (zun::Frame::bodyPos) == 0x40
           && frame.Byte (zun::Frame::bodyPos + 1) == 0x00;
}

// The state goes back to idle before the acknowledgement is judged, so an alert it shows
// finds no exchange under way, and a successful load can start the next one from idle.
void MainComponent::handleAcknowledgement (const zun::FrameView& frame)
{
    const auto awaited = requestState;

    stopReplyWait();
    requestState = idle;

    if (awaited == loadingPreset)
        judgeLoadAcknowledgement (frame);
    else if (awaited == savingPreset)
        judgeSaveAcknowledgement (frame);
    else
        judgeSettingAcknowledgement (frame);
}

//==============================================================================
// Sending.

void MainComponent::sendToAllOutputs (const unsigned char* body, unsigned short length)
{
    auto frame = deviceContainer.sysexMessage.CreateMessage (body, length);
    frame.setTimeStamp (juce::Time::getMillisecondCounterHiRes() * 0.001);

    addMessageToList (frame, true);

    // The open outputs decide which interface a request reaches.
    for (auto* entry : midiOutputs)
        if (entry->outDevice != nullptr)
            entry->outDevice->sendMessageNow (frame);
}

void MainComponent::awaitReply()
{
    startOneShot (replyTimeout, 2000);
}

// JUCE's timer thread counts a new timer's first interval from its own last wake-up, so
// a timer started after an idle or blocked spell fires early. A wait the user is promised
// therefore notes when it began, and an early callback waits for the rest.
void MainComponent::startOneShot (TimerId id, int intervalMs)
{
    oneShotStartMs[id] = juce::Time::getMillisecondCounterHiRes();
    oneShotIntervalMs[id] = intervalMs;
    startTimer (id, intervalMs);
}

bool MainComponent::hasOneShotElapsed (TimerId id)
{
    const auto remainingMs = oneShotStartMs[id] + oneShotIntervalMs[id] - juce::Time::getMillisecondCounterHiRes();

    if (remainingMs <= 0.0)
        return true;

    startTimer (id, juce::jmax (1, (int) std::ceil (remainingMs)));
    return false;
}

void MainComponent::stopReplyWait()
{
    stopTimer (replyTimeout);
}

// Leaves requestState alone: whoever starts the next exchange sets it.
void MainComponent::cancelPendingRequest()
{
    stopTimer (runtimeTick);
    stopReplyWait();

    if (runtimeMode == Notify)
        updateRegistration (2);
}

// requestState keeps naming the awaited reply, so a reply that comes late still carries
// its exchange on. Nothing is retried, and the runtime activity stays stopped.
void MainComponent::handleReplyTimeout()
{
    stopTimer (runtimeTick);
    stopReplyWait();

    showAlert ("Time Out Error", "Something went wrong, was expecting a message from interface but did not receive one.");
}
