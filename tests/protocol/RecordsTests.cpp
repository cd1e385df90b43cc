#include "DeviceContainer.h"
#include "DeviceDiscoveryItem.h"
#include <gtest/gtest.h>

// Every count, number, flag and setting of the record.
#define FAILOVER_SETTINGS(X) \
    X (audioPortCount)       \
    X (presetCount)          \
    X (keepAlivePeriod)      \
    X (usbd1PortSlot)        \
    X (usbd2PortSlot)        \
    X (currentPreset)        \
    X (requestedPreset)      \
    X (currentScene)         \
    X (armed)                \
    X (alarm)                \
    X (failoverMode)         \
    X (triggerMode)          \
    X (maxVolume)            \
    X (autoArm)              \
    X (autoSwitchBack)       \
    X (autoClearAlarm)       \
    X (sendMidiPanic)        \
    X (toneCheck)            \
    X (audioTrigger)         \
    X (audioChannel)         \
    X (audioTimeout)         \
    X (midiTrigger)          \
    X (midiPort)             \
    X (midiTimeout)

#define PORT_SETTINGS(X) \
    X (index)            \
    X (type)             \
    X (number)           \
    X (parameter03)      \
    X (parameter10)      \
    X (channelCount)

namespace
{
// FILL and EXPECT_ZERO act on whatever `record` names in their scope.
#define FILL(field) record.field = (decltype (record.field)) value++;
#define EXPECT_ZERO(field) EXPECT_EQ (record.field, 0) << #field;

void FillPort (zun::AudioPortSlot& record, int& value)
{
    PORT_SETTINGS (FILL)
}

void ExpectPortNothingRead (const zun::AudioPortSlot& record)
{
    PORT_SETTINGS (EXPECT_ZERO)
}

void FillEverything (zun::FailoverBlock& record)
{
    int value = 1;
    FAILOVER_SETTINGS (FILL)
    record.maxVolume = -1234;

    for (auto& preset : record.presets)
    {
        preset.number = (juce::uint8) value++;
        preset.name = "Preset " + juce::String (value);
    }

    for (auto& port : record.audioPorts)
    {
        FillPort (port, value);
        port.audioStatus = (juce::uint8) value++;
        port.midiStatus = (juce::uint8) value++;
        port.name = "USBD " + juce::String (value);
    }
}

void ExpectNothingRead (const zun::FailoverBlock& record)
{
    FAILOVER_SETTINGS (EXPECT_ZERO)

    for (const auto& preset : record.presets)
    {
        EXPECT_EQ (preset.number, 0);
        EXPECT_TRUE (preset.name.isEmpty());
    }

    for (const auto& port : record.audioPorts)
    {
        ExpectPortNothingRead (port);
        EXPECT_TRUE (port.name.isEmpty());
    }
}
} // namespace

TEST (FailoverBlock, EmptyClearsEverythingButTheHostStatusBytes)
{
    zun::FailoverBlock block;
    FillEverything (block);

    juce::uint8 statuses[zun::FailoverBlock::audioPortSlotCount][2];
    for (int k = 0; k < zun::FailoverBlock::audioPortSlotCount; ++k)
    {
        statuses[k][0] = block.audioPorts[k].audioStatus;
        statuses[k][1] = block.audioPorts[k].midiStatus;
    }

    block.Empty();
    ExpectNothingRead (block);

    for (int k = 0; k < zun::FailoverBlock::audioPortSlotCount; ++k)
    {
        EXPECT_EQ (block.audioPorts[k].audioStatus, statuses[k][0]) << "slot " << k;
        EXPECT_EQ (block.audioPorts[k].midiStatus, statuses[k][1]) << "slot " << k;
        EXPECT_NE (statuses[k][0], 0);
    }
}

TEST (DeviceContainer, StartsWithNothingRead)
{
    zun::DeviceContainer container;

    ExpectNothingRead (container.failoverBlock);
    for (const auto& port : container.failoverBlock.audioPorts)
        EXPECT_TRUE (port.audioStatus == 0 && port.midiStatus == 0);

    EXPECT_EQ (container.queryIndex, 0);
    EXPECT_TRUE (container.productName.isEmpty());
    EXPECT_EQ (container.sysexMessage.frameBuffer[4], 0x7D);
}

TEST (DeviceDiscoveryItem, LabelsInUpperCaseHexWithLeadingZeros)
{
    struct Case
    {
        juce::uint16 productId;
        juce::uint32 serialNumber;
        const char* label;
    };

    for (const auto& c : { Case { 0x1234, 0x12345678, "Product ID: 1234 SN: 12345678" },
                           Case { 0x0005, 0x0000ABCD, "Product ID: 0005 SN: 0000ABCD" },
                           Case { 0x0000, 0x00000000, "Product ID: 0000 SN: 00000000" },
                           Case { 0x3FFF, 0xFFFFFFFF, "Product ID: 3FFF SN: FFFFFFFF" },
                           Case { 0xabcd, 0xdeadbeef, "Product ID: ABCD SN: DEADBEEF" } })
    {
        const DeviceDiscoveryItem item (c.productId, c.serialNumber);

        EXPECT_EQ (item.label, juce::String (c.label));
        EXPECT_EQ (DeviceDiscoveryItem::MakeLabel (c.productId, c.serialNumber), juce::String (c.label));
        EXPECT_EQ (item.productId, c.productId);
        EXPECT_EQ (item.serialNumber, c.serialNumber);
        EXPECT_EQ (item.inputIndex, -1);
        EXPECT_EQ (item.outputIndex, -1);
    }
}

TEST (DeviceDiscoveryItem, NamedLabelKeepsTheNameAsItIs)
{
    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ("Quillfen Duo", 0x0000abcd), juce::String ("Quillfen Duo SN: 0000ABCD"));
    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ({}, 5), juce::String (" SN: 00000005"));
    EXPECT_EQ (DeviceDiscoveryItem::MakeNamedLabel ("100% %s %d", 0xFFFFFFFF), juce::String ("100% %s %d SN: FFFFFFFF"));
}
