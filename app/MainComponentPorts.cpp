#include "MainComponent.h"

//==============================================================================
// The two port lists. An entry's index is how a discovered interface names its ports, so
// the lists change only when "Search" rebuilds them.

void MainComponent::createDeviceList (bool isInput)
{
    auto& list = isInput ? midiInputs : midiOutputs;
    const auto available = isInput ? portSystem.getAvailableInputs() : portSystem.getAvailableOutputs();

    // No entry survives a rebuild, even of a port that is still there.
    for (int i = list.size(); --i >= 0;)
    {
        closeDevice (isInput, i);
        list.remove (i);
    }

    for (const auto& info : available)
        list.add (new MidiDeviceListEntry (info));

    for (int i = 0; i < list.size(); ++i)
        openDevice (isInput, i);
}

void MainComponent::openDevice (bool isInput, int index)
{
    if (isInput)
    {
        auto* entry = midiInputs.getObjectPointer (index);

        if (entry == nullptr || entry->inDevice != nullptr)
            return;

        entry->inDevice = portSystem.openInput (entry->deviceInfo.identifier, *this);

        // A port that cannot be opened stays closed, without a word; "Search" tries again.
        if (entry->inDevice != nullptr)
            entry->inDevice->start();
    }
    else
    {
        auto* entry = midiOutputs.getObjectPointer (index);

        if (entry == nullptr || entry->outDevice != nullptr)
            return;

        entry->outDevice = portSystem.openOutput (entry->deviceInfo.identifier);
    }
}

void MainComponent::closeDevice (bool isInput, int index)
{
    if (isInput)
    {
        auto* entry = midiInputs.getObjectPointer (index);

        if (entry == nullptr || entry->inDevice == nullptr)
            return;

        entry->inDevice->stop();
        entry->inDevice.reset();
    }
    else
    {
        auto* entry = midiOutputs.getObjectPointer (index);

        if (entry == nullptr || entry->outDevice == nullptr)
            return;

        entry->outDevice.reset();
    }
}

void MainComponent::closeDevice (int discoveredIndex)
{
    if (auto* item = discoveredInterfaces[discoveredIndex])
    {
        closeDevice (true, item->inputIndex);
        closeDevice (false, item->outputIndex);
    }
}

// Runs on the MIDI thread: it only copies the message, with the input it came from, and
// posts it to the message thread, where handleMessage takes it.
void MainComponent::handleIncomingMidiMessage (MidiInputPort* source, const juce::MidiMessage& message)
{
    postMessage (new MidiCallbackMessage (source, source != nullptr ? source->openingNumber : 0, message));
}
