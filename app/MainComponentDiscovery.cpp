#include "MainComponent.h"
#include "RequestTemplates.h"

//==============================================================================
// "Search": every port is opened and every output gets a discovery request of its own;
// for 500 ms replies are collected, then the ports close and each interface found is
// asked for its name over its own two ports, one after the other.

void MainComponent::startDiscovery()
{
    cancelPendingRequest();
    discoveredInterfaces.clear();

    auto& builder = deviceContainer.sysexMessage;
    builder.sessionId = 0;
    builder.productId = 0;
    builder.serialNumber = 0;

    deviceContainer.failoverBlock.Empty();
    deviceContainer.queryIndex = 0;
    requestState = discovering;
    deviceListBox->resetList();
    clrGUI();

    createDeviceList (true);
    createDeviceList (false);

    // One frame per open output, so a reply's echoed sequence number tells which output
    // its request went out on.
    for (auto* entry : midiOutputs)
    {
        if (entry->outDevice == nullptr)
            continue;

        auto frame = builder.CreateMessage (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length);
        frame.setTimeStamp (juce::Time::getMillisecondCounterHiRes() * 0.001);
        entry->discoverySequence = zun::FrameView (frame).SequenceNumber();
        addMessageToList (frame, true);
        entry->outDevice->sendMessageNow (frame);
    }

    startOneShot (discoveryWindow, 500);
}

void MainComponent::handleDiscoveryReply (const MidiCallbackMessage& received)
{
    const zun::FrameView frame (received.message);

    int inputIndex = -1;

    for (int i = 0; i < midiInputs.size(); ++i)
    {
        const auto* in = midiInputs.getObjectPointer (i)->inDevice.get();

        if (received.cameFrom (in))
        {
            inputIndex = i;
            break;
        }
    }

    if (inputIndex < 0)
        return;

    int outputIndex = -1;
    const auto echoedSequence = frame.SequenceNumber();

    for (int i = 0; i < midiOutputs.size(); ++i)
    {
        const auto* entry = midiOutputs.getObjectPointer (i);

        if (entry->outDevice != nullptr && entry->discoverySequence == echoedSequence)
        {
            outputIndex = i;
            break;
        }
    }

    if (outputIndex < 0)
        return;

    if (frame.BodyLength() != 23
        || frame.Byte (22) != 0x41 // DevSesnVal
        || frame.Byte (23) != 0x01 // SessionInfo
        || frame.Byte (38) != 0x01
        || frame.Byte (42) != 0x02
        || frame.Byte (44) != 0x05)
        return;

    const auto productId = frame.ProductId();
    const auto serialNumber = frame.SerialNumber();

    // The first reply of an interface wins, over whichever pair of ports it came.
    for (const auto* item : discoveredInterfaces)
        if (item->productId == productId && item->serialNumber == serialNumber)
            return;

    auto* item = discoveredInterfaces.add (new DeviceDiscoveryItem (productId, serialNumber));
    item->inputIndex = inputIndex;
    item->outputIndex = outputIndex;
}

void MainComponent::endDiscoveryWindow()
{
    stopTimer (discoveryWindow);

    // Another exchange has begun since "Search": its ports stay as they are.
    if (requestState != discovering)
        return;

    for (int i = 0; i < midiInputs.size(); ++i)
        closeDevice (true, i);

    for (int i = 0; i < midiOutputs.size(); ++i)
        closeDevice (false, i);

    if (discoveredInterfaces.isEmpty())
    {
        requestState = idle;
        deviceListBox->resetList();
        return;
    }

    // Gives the interfaces time to settle after their ports closed.
    juce::Thread::sleep (400);

    probeCursor = 0;
    requestState = probingNames;
    probeCurrentInterface();
}

// Opens the probed interface's two ports, the only ones open, and asks it for its name.
void MainComponent::probeCurrentInterface()
{
    if (const auto* item = discoveredInterfaces[probeCursor])
    {
        openDevice (true, item->inputIndex);
        openDevice (false, item->outputIndex);
    }

    sendAndAwait (SXMessage_GetProductName, SXMessage_GetProductName_Length);
}

// Only the probed interface's input is open, so the name must have come in on it: a copy
// of the previous interface's reply, queued while its ports closed, would otherwise name
// the next one. Ids are not compared.
void MainComponent::handleProductNameReply (const MidiCallbackMessage& received)
{
    const zun::FrameView frame (received.message);
    auto* const item = discoveredInterfaces[probeCursor];
    const auto* input = item != nullptr ? midiInputs.getObjectPointer (item->inputIndex) : nullptr;

    if (input == nullptr || ! received.cameFrom (input->inDevice.get()))
        return;

    // RetParmVal DeviceInfo, a ParmValList holding the product name.
    if (frame.BodyLength() < 8 || ! frame.HasBytes ({ { 22, 0x43 }, { 23, 0x02 }, { 26, 0x03 }, { 29, 0x01 } }))
        return;

    // The item length counts itself and the parameter id. A length below 2 gives an empty
    // name, and one that claims more than the body holds is cut at the body's end.
    deviceContainer.productName = readName (frame, 30, frame.Byte (28));

    stopReplyWait();
    closeDevice (probeCursor);

    item->label = DeviceDiscoveryItem::MakeNamedLabel (deviceContainer.productName, item->serialNumber);

    ++probeCursor;

    if (probeCursor >= discoveredInterfaces.size())
    {
        requestState = idle;
        deviceListBox->resetList();
        return;
    }

    probeCurrentInterface();
}
