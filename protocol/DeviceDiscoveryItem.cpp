#include "DeviceDiscoveryItem.h"

DeviceDiscoveryItem::DeviceDiscoveryItem (juce::uint16 productIdToUse, juce::uint32 serialNumberToUse)
    : productId (productIdToUse)
    , serialNumber (serialNumberToUse)
    , label (MakeLabel (productIdToUse, serialNumberToUse))
{
}

juce::String DeviceDiscoveryItem::MakeLabel (juce::uint16 productId, juce::uint32 serialNumber)
{
    return juce::String::formatted ("Product ID: %04X SN: %08X", (unsigned int) productId, (unsigned int) serialNumber);
}

juce::String DeviceDiscoveryItem::MakeNamedLabel (const juce::String& name, juce::uint32 serialNumber)
{
    // The name is appended, never used as a format, so a '%' in it stays as it is.
    return name + juce::String::formatted (" SN: %08X", (unsigned int) serialNumber);
}
