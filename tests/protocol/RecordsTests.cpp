#include "DeviceContainer.h"
#include "DeviceDiscoveryItem.h"
#include <gtest/gtest.h>

// Every count, number, flag and setting of the record, and of a port slot but its status bytes.
#define FAILOVER_SETTINGS(X, o) X (o, audioPortCount) X (o, presetCount) X (o, keepAlivePeriod) X (o, usbd1PortSlot) X (o, usbd2PortSlot) X (o, currentPreset) X (o, requestedPreset) X (o, currentScene) X (o, armed) X (o, alarm) X (o, failoverMode) X (o, triggerMode) X (o, maxVolume) X (o, autoArm) X (o, autoSwitchBack) X (o, autoClearAlarm) X (o, sendMidiPanic) X (o, toneCheck) X (o, audioTrigger) X (o, audioChannel) X (o, audioTimeout) X (o, midiTrigger) X (o, midiPort) X (o, midiTimeout)
#define PORT_SETTINGS(X, o) X (o, index) X (o, type) X (o, number) X (o, parameter03) X (o, parameter10) X (o, channelCount)
#define FILL(o, field) o.field = (decltype (o.field)) ++value;
#define EXPECT_ZERO(o, field) EXPECT_EQ (o.field, 0) << #field;

namespace
{
void ExpectNothingRead (const zun::FailoverBlock& record)
{
    FAILOVER_SETTINGS (EXPECT_ZERO, record)

    for (const auto& preset : record.presets)
        EXPECT_TRUE (preset.number == 0 && preset.name.isEmpty());

    for (const auto& port : record.audioPorts)
    {
        PORT_SETTINGS (EXPECT_ZERO, port)
        EXPECT_TRUE (port.name.isEmpty());
    }
}
} // namespace

TEST (FailoverBlock, ANewContainerHoldsNothingAndEmptyKeepsOnlyTheHostStatusBytes)
{
    zun::DeviceContainer container;
    auto& record = container.failoverBlock;
    ExpectNothingRead (record);
    EXPECT_TRUE (container.queryIndex == 0 && container.productName.isEmpty());

    int value = 0;
    FAILOVER_SETTINGS (FILL, record)

    for (auto& preset : record.presets)
        preset = { 7, "Preset" };

    for (auto& port : record.audioPorts)
    {
        PORT_SETTINGS (FILL, port)
        FILL (port, audioStatus)
        FILL (port, midiStatus)
        port.name = "USBD 1";
    }

    record.Empty();
    ExpectNothingRead (record);

    for (int k = 0; k < zun::FailoverBlock::audioPortSlotCount; ++k) // 24 settings, then 8 values per slot
        EXPECT_TRUE (record.audioPorts[k].audioStatus == 31 + 8 * k && record.audioPorts[k].midiStatus == 32 + 8 * k) << "slot " << k;
}

TEST (DeviceDiscoveryItem, LabelsInUpperCaseHexWithLeadingZeros)
{
    using Case = std::tuple<juce::uint16, juce::uint32, const char*>;

    for (const auto& [productId, serialNumber, label] : { Case { 0x1234, 0x12345678, "Product ID: 1234 SN: 12345678" }, Case { 0x0005, 0x0000abcd, "Product ID: 0005 SN: 0000ABCD" } })
    {
        const DeviceDiscoveryItem item (productId, serialNumber);
        EXPECT_EQ (item.label, juce::String (label));
        EXPECT_TRUE (item.productId == productId && item.serialNumber == serialNumber && item.inputIndex == -1 && item.outputIndex == -1);
    }

    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ("Quillfen Duo", 0x0000abcd), juce::String ("Quillfen Duo SN: 0000ABCD"));
    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ({}, 5), juce::String (" SN: 00000005"));
}
