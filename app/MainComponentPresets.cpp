#include "MainComponent.h"
#include "RequestTemplates.h"

//==============================================================================
// Presets live in the interface. "Load Preset" makes the chosen one current and then reads
// the failover settings again; "Save Preset" stores the present settings into the current
// preset, whatever the combo box shows. Neither acts before an interface was read.

void MainComponent::loadPreset()
{
    if (deviceContainer.sysexMessage.serialNumber == 0)
        return;

    const auto id = presetCombo.getSelectedId();

    if (id < 1)
        return;

    cancelPendingRequest();

    deviceContainer.failoverBlock.requestedPreset = (juce::uint8) id;
    requestState = loadingPreset;
    SXMessage_LoadPreset[10] = (unsigned char) id;
    sendAndAwait (SXMessage_LoadPreset, SXMessage_LoadPreset_Length);
}

// Unlike a load, a save leaves the runtime activity running.
void MainComponent::savePreset()
{
    if (deviceContainer.sysexMessage.serialNumber == 0)
        return;

    stopReplyWait();
    requestState = savingPreset;
    SXMessage_SavePreset[10] = deviceContainer.failoverBlock.currentPreset;
    sendAndAwait (SXMessage_SavePreset, SXMessage_SavePreset_Length);
}

// SetCmdVal, data class None, error code 0. Nothing else ties the acknowledgement to its
// request.
static bool isPresetCommandCarriedOut (const zun::FrameView& frame)
{
    return frame.HasBytes ({ { 24, 0x11 }, { 25, 0 }, { 26, 0 } });
}

void MainComponent::judgeLoadAcknowledgement (const zun::FrameView& frame)
{
    if (! isPresetCommandCarriedOut (frame))
    {
        showAlert ("Ack Error", "Preset could not be loaded.");
        return;
    }

    // Gives the interface time to switch; replies queue up meanwhile.
    juce::Thread::sleep (200);

    // Only the failover settings are read again; the names and ports of the last read stay.
    deviceContainer.failoverBlock.currentPreset = deviceContainer.failoverBlock.requestedPreset;
    requestState = readingFailoverSettings;
    sendAndAwait (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
}

void MainComponent::judgeSaveAcknowledgement (const zun::FrameView& frame)
{
    if (! isPresetCommandCarriedOut (frame))
        showAlert ("Ack Error", "Preset could not be saved.");
}
