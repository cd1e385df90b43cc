#include "DeviceContainer.h"
#include "DeviceDiscoveryItem.h"
#include <gtest/gtest.h>

// Every count, number, flag and setting of the record, and of a port slot but its status bytes.
#define FAILOVER_SETTINGS(X) X (audioPortCount) X (presetCount) X (keepAlivePeriod) X (usbd1PortSlot) X (usbd2PortSlot) X (currentPreset) X (requestedPreset) X (currentScene) X (armed) X (alarm) X (failoverMode) X (triggerMode) X (maxVolume) X (autoArm) X (autoSwitchBack) X (autoClearAlarm) X (sendMidiPanic) X (toneCheck) X (audioTrigger) X (audioChannel) X (audioTimeout) X (midiTrigger) X (midiPort) X (midiTimeout)
#define PORT_SETTINGS(X) X (index) X (type) X (number) X (parameter03) X (parameter10) X (channelCount)
#define FILL(field) record.field = (decltype (record.field)) ++value;
#define EXPECT_ZERO(field) EXPECT_EQ (record.field, 0) << #field;

namespace
{
void Fill (zun::FailoverBlock& record, int& value) { FAILOVER_SETTINGS (FILL) }

void ExpectNothingRead (const zun::AudioPortSlot& record)
{
    PORT_SETTINGS (EXPECT_ZERO)
    EXPECT_TRUE (record.name.isEmpty());
}

void ExpectNothingRead (const zun::FailoverBlock& record)
{
    FAILOVER_SETTINGS (EXPECT_ZERO)

    for (const auto& preset : record.presets)
        EXPECT_TRUE (preset.number == 0 && preset.name.isEmpty());

    for (const auto& port : record.audioPorts)
        ExpectNothingRead (port);
}
} // namespace

TEST (FailoverBlock, ANewContainerHoldsNothingAndEmptyKeepsOnlyTheHostStatusBytes)
{
    zun::DeviceContainer container;
    auto& block = container.failoverBlock;
    ExpectNothingRead (block);
    EXPECT_TRUE (container.queryIndex == 0 && container.productName.isEmpty());

    int value = 0;
    Fill (block, value);

    for (auto& preset : block.presets)
        preset = { 7, "Preset" };

    for (auto& record : block.audioPorts)
    {
        PORT_SETTINGS (FILL)
        FILL (audioStatus)
        FILL (midiStatus)
        record.name = "USBD 1";
    }

    block.Empty();
    ExpectNothingRead (block);

    for (int k = 0; k < zun::FailoverBlock::audioPortSlotCount; ++k) // 24 settings, then 8 values per slot
        EXPECT_TRUE (block.audioPorts[k].audioStatus == 31 + 8 * k && block.audioPorts[k].midiStatus == 32 + 8 * k) << "slot " << k;
}

TEST (DeviceDiscoveryItem, LabelsInUpperCaseHexWithLeadingZeros)
{
    using Case = std::tuple<juce::uint16, juce::uint32, const char*>;

    for (const auto& [productId, serialNumber, label] : { Case { 0x1234, 0x12345678, "Product ID: 1234 SN: 12345678" },
                                                          Case { 0x0005, 0x0000abcd, "Product ID: 0005 SN: 0000ABCD" } })
    {
        const DeviceDiscoveryItem item (productId, serialNumber);
        EXPECT_EQ (item.label, juce::String (label));
        EXPECT_TRUE (item.productId == productId && item.serialNumber == serialNumber && item.inputIndex == -1 && item.outputIndex == -1);
    }

    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ("Quillfen Duo", 0x0000abcd), juce::String ("Quillfen Duo SN: 0000ABCD"));
    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ({}, 5), juce::String (" SN: 00000005"));
}
