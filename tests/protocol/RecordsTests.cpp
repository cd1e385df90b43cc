#include "DeviceContainer.h"
#include "DeviceDiscoveryItem.h"
#include <gtest/gtest.h>

namespace
{
// Every count, number, flag, setting and name of the record, a preset slot and a port slot but
// its status bytes.
auto Settings (zun::FailoverBlock& r) { return std::tie (r.audioPortCount, r.presetCount, r.keepAlivePeriod, r.usbd1PortSlot, r.usbd2PortSlot, r.currentPreset, r.requestedPreset, r.currentScene, r.armed, r.alarm, r.failoverMode, r.triggerMode, r.maxVolume, r.autoArm, r.autoSwitchBack, r.autoClearAlarm, r.sendMidiPanic, r.toneCheck, r.audioTrigger, r.audioChannel, r.audioTimeout, r.midiTrigger, r.midiPort, r.midiTimeout); }
auto Settings (zun::PresetSlot& p) { return std::tie (p.number, p.name); }
auto Settings (zun::AudioPortSlot& p) { return std::tie (p.index, p.type, p.number, p.parameter03, p.parameter10, p.channelCount, p.name); }

// Gives each field a value of its own, none of them 0 or empty.
template <typename Fields>
void Fill (Fields fields, int& value)
{
    std::apply ([&value] (auto&... field)
                { ((field = (std::decay_t<decltype (field)>) ++value), ...); },
                fields);
}

// The same fields, each 0 or empty.
template <typename... Field>
std::tuple<std::decay_t<Field>...> Nothing (std::tuple<Field...>)
{
    return {};
}
} // namespace

// A new container holds nothing, and emptied, a used record is as a new one; only the host
// status bytes of the port slots stay.
TEST (FailoverBlock, EmptyMakesTheRecordNewAgainButForTheHostStatusBytes)
{
    zun::DeviceContainer fresh, used;
    auto& record = used.failoverBlock;
    EXPECT_TRUE (fresh.queryIndex == 0 && fresh.productName.isEmpty() && Settings (fresh.failoverBlock) == Nothing (Settings (fresh.failoverBlock)));

    int value = 0;
    Fill (Settings (record), value);

    for (auto& preset : record.presets)
        Fill (Settings (preset), value);

    for (auto& port : record.audioPorts)
        Fill (std::tuple_cat (Settings (port), std::tie (port.audioStatus, port.midiStatus)), value);

    record.Empty();
    EXPECT_EQ (Settings (record), Settings (fresh.failoverBlock));

    for (int i = 0; i < zun::FailoverBlock::presetSlotCount; ++i)
        EXPECT_EQ (Settings (record.presets[i]), Settings (fresh.failoverBlock.presets[i])) << "preset slot " << i;

    for (int k = 0; k < zun::FailoverBlock::audioPortSlotCount; ++k) // 24 settings, 2 per preset slot, then 9 values per port slot
    {
        EXPECT_EQ (Settings (record.audioPorts[k]), Settings (fresh.failoverBlock.audioPorts[k])) << "port slot " << k;
        EXPECT_TRUE (record.audioPorts[k].audioStatus == 96 + 9 * k && record.audioPorts[k].midiStatus == 97 + 9 * k) << "port slot " << k;
    }
}

TEST (DeviceDiscoveryItem, LabelsInUpperCaseHexWithLeadingZeros)
{
    using Case = std::tuple<juce::uint16, juce::uint32, const char*>;

    for (const auto& [productId, serialNumber, label] : { Case { 0x1234, 0x12345678, "Product ID: 1234 SN: 12345678" }, Case { 0x00ab, 0x0000abcd, "Product ID: 00AB SN: 0000ABCD" } })
    {
        const DeviceDiscoveryItem item (productId, serialNumber);
        EXPECT_EQ (item.label, juce::String (label));
        EXPECT_TRUE (item.productId == productId && item.serialNumber == serialNumber && item.inputIndex == -1 && item.outputIndex == -1);
    }

    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ("Quillfen Duo", 0x0000abcd), juce::String ("Quillfen Duo SN: 0000ABCD"));
    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ({}, 5), juce::String (" SN: 00000005"));
}
