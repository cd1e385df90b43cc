#pragma once

#include <juce_core/juce_core.h>

// One interface found by discovery: which ports reach it, and its row text in the list.
struct DeviceDiscoveryItem
{
    DeviceDiscoveryItem (juce::uint16 productIdToUse, juce::uint32 serialNumberToUse);

    // "Product ID: %04X SN: %08X", upper-case hex.
    static juce::String MakeLabel (juce::uint16 productId, juce::uint32 serialNumber);
    // name + " SN: %08X", once the interface has told its product name.
    static juce::String MakeNamedLabel (const juce::String& name, juce::uint32 serialNumber);

    juce::int32 inputIndex = -1;
    juce::int32 outputIndex = -1;
    juce::uint16 productId = 0;
    juce::uint32 serialNumber = 0;
    juce::String label;
};
