#include "CodeTables.h"
#include "FrameTestHelpers.h"
#include "RequestTemplates.h"
#include <cstring>
#include <map>

using frames::Bytes;

namespace
{
// Writes into a global template and puts the original bytes back afterwards, so that
// no other test sees the change.
class TemplateEdit
{
public:
    TemplateEdit (unsigned char* templateToEdit, size_t size)
        : bytes (templateToEdit)
        , original (templateToEdit, templateToEdit + size)
    {
    }

    ~TemplateEdit() { std::memcpy (bytes, original.data(), original.size()); }

private:
    unsigned char* bytes;
    Bytes original;
};

// Every code of a byte gets its listed name, and an unlisted code none.
void ExpectNames (const char* (*lookup) (juce::uint8) noexcept, const std::map<int, const char*>& names)
{
    for (int code = 0; code < 256; ++code)
    {
        const auto* name = lookup ((juce::uint8) code);
        const auto expected = names.find (code);

        if (expected == names.end())
            EXPECT_EQ (name, nullptr) << code;
        else
            EXPECT_STREQ (name, expected->second) << code;
    }
}

Bytes BodyOf (const juce::MidiMessage& message)
{
    const auto frame = frames::Of (message);
    return Bytes (frame.begin() + zun::Frame::bodyPos, frame.end() - 2);
}
} // namespace

TEST (CodeTables, MonitorWordsOfTheMessageClasses)
{
    const std::map<int, const char*> words {
        { 0x00, "None " },
        { 0x01, "HstSesnVal " },
        { 0x02, "GetParmDef " },
        { 0x03, "GetParmVal " },
        { 0x04, "GetCmdDef " },
        { 0x10, "SetParmVal " },
        { 0x11, "SetCmdVal " },
        { 0x40, "Ack " },
        { 0x41, "DevSesnVal " },
        { 0x42, "RetParmDef " },
        { 0x43, "RetParmVal " },
        { 0x44, "RetCmdDef " },
        { 0x50, "NotParmVal, " },
        { 0x70, "BulkTransfer " },
        { 0x7F, "Private " },
    };

    ExpectNames (zun::MessageClassMonitorWord, words);
}

TEST (CodeTables, NamesOfTheDataClasses)
{
    const std::map<int, const char*> names {
        { 0x00, "None" },
        { 0x01, "SessionInfo" },
        { 0x02, "DeviceInfo" },
        { 0x03, "DeviceFeature" },
        { 0x04, "HardwareInfo" },
        { 0x05, "MIDIInfo" },
        { 0x06, "MIDIPortInfo" },
        { 0x07, "MIDIFeature" },
        { 0x08, "AudioInfo" },
        { 0x09, "AudioPortInfo" },
        { 0x0A, "AudioChannelInfo" },
        { 0x70, "BulkData" },
        { 0x7D, "SelfTest" },
        { 0x7E, "License" },
        { 0x7F, "FirmwareUpdate" },
    };

    ExpectNames (zun::DataClassName, names);
}

TEST (CodeTables, AcknowledgementErrorNames)
{
    const char* const names[] = { "None", "MalformedMessage", "MClassNotSupported", "DClassNotSupported", "MessageInTooLarge", "MessageOutTooLarge", "DataBlockLengthInvalid", "DataBlockTypeInvalid", "ArgIDInvalid", "ArgValueInvalid", "ParmIDInvalid", "ParmValueInvalid", "NameInvalid", "CmdIDInvalid", "CmdValueInvalid", "CmdArgInvalid", "ArgValBlockMissing", "SubIDInvalid", "SubIDValueInvalid", "CmdFailed" };

    for (int code = 0; code < 256; ++code)
        EXPECT_STREQ (zun::AckErrorName ((juce::uint8) code), code < 20 ? names[code] : "???") << code;
}

// Every template as it stands at start, and the frame built from it passes the gate.
TEST (RequestTemplates, InitialBytesAndLengths)
{
    struct Template
    {
        const char* name;
        const unsigned char* bytes;
        size_t size;
        unsigned short length;
        Bytes expected;
    };

#define TEMPLATE(name, ...) \
    Template { #name, name, sizeof(name), name##_Length, Bytes __VA_ARGS__ }
    const Template templates[] = {
        TEMPLATE (SXMessage_DeviceDiscovery, { 0x01, 0x01, 0x01, 0x07, 0x03, 0x01, 0x04, 0x01, 0x04, 0x00 }),
        TEMPLATE (SXMessage_GetProductName, { 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 }),
        TEMPLATE (SXMessage_SavePreset, { 0x11, 0x00, 0x01, 0x08, 0x06, 0x01, 0x05, 0x02, 0x03, 0x00, 0xFF }),
        TEMPLATE (SXMessage_LoadPreset, { 0x11, 0x00, 0x01, 0x08, 0x06, 0x01, 0x05, 0x02, 0x43, 0x00, 0xFF }),
        TEMPLATE (SXMessage_GetSettingsAI, { 0x03, 0x08, 0x01, 0x04, 0x01, 0x01, 0x01 }),
        TEMPLATE (SXMessage_GetSettingsDI, { 0x03, 0x02, 0x01, 0x06, 0x01, 0x03, 0x14, 0x17, 0x19 }),
        TEMPLATE (SXMessage_GetSettingsDF, { 0x03, 0x03, 0x01, 0x05, 0x01, 0x02, 0x01, 0x04 }),
        TEMPLATE (SXMessage_GetSettingsPresetName, { 0x03, 0x03, 0x02, 0x05, 0x04, 0x01, 0x09, 0xFF, 0x04, 0x01, 0x01, 0x02 }),
        TEMPLATE (SXMessage_GetSettingsAudioPortInfo, { 0x03, 0x09, 0x02, 0x05, 0x04, 0x01, 0x10, 0xFF, 0x07, 0x01, 0x04, 0x01, 0x02, 0x03, 0x10 }),
        TEMPLATE (SXMessage_GetSettingsFailover, { 0x03, 0x03, 0x01, 0x09, 0x01, 0x06, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18 }),
        TEMPLATE (SXMessage_GetRuntime, { 0x03, 0x03, 0x01, 0x07, 0x01, 0x04, 0x04, 0x10, 0x11, 0x12 }),
        TEMPLATE (SXMessage_SendRegistration, { 0x11, 0x00, 0x01, 0x07, 0x06, 0x01, 0x04, 0x05, 0xFF, 0x06 }),
    };
#undef TEMPLATE

    zun::DeviceContainer container;

    for (const auto& t : templates)
    {
        SCOPED_TRACE (t.name);
        EXPECT_EQ (Bytes (t.bytes, t.bytes + t.size), t.expected);
        EXPECT_EQ (t.length, t.size);

        const auto message = container.sysexMessage.CreateMessage (t.bytes, t.length);
        EXPECT_EQ (BodyOf (message), t.expected);
        EXPECT_TRUE (container.IsValidMidiMessage (message));
    }

    EXPECT_EQ (Bytes (SXMessage_SetFailover, SXMessage_SetFailover + sizeof (SXMessage_SetFailover)),
               (Bytes { 0x10, 0x03, 0x01, 0xFF, 0x03, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }));
}

TEST (RequestTemplates, SetFailoverWrittenForOneAndThreeValueBytes)
{
    const TemplateEdit restore (SXMessage_SetFailover, sizeof (SXMessage_SetFailover));
    zun::SysexMessage builder;

    struct Case
    {
        int n;
        juce::uint8 parameterId;
        Bytes value;
    };

    for (const auto& c : { Case { 3, 0x13, { 0x02 } }, Case { 5, 0x18, { 0x7F, 0x7E, 0x00 } } })
    {
        SCOPED_TRACE (c.n);
        SXMessage_SetFailover[3] = (unsigned char) (c.n + 3);
        SXMessage_SetFailover[6] = (unsigned char) c.n;
        SXMessage_SetFailover[7] = c.parameterId;
        std::copy (c.value.begin(), c.value.end(), SXMessage_SetFailover + 8);

        Bytes expected { 0x10, 0x03, 0x01, (juce::uint8) (c.n + 3), 0x03, 0x01, (juce::uint8) c.n, c.parameterId };
        expected.insert (expected.end(), c.value.begin(), c.value.end());

        EXPECT_EQ (BodyOf (builder.CreateMessage (SXMessage_SetFailover, (unsigned short) (c.n + 6))), expected);
    }

    // The bytes written stay for the next use.
    EXPECT_EQ (SXMessage_SetFailover[10], 0x00);
}

TEST (RequestTemplates, SendRegistrationWrittenForUnsubscribing)
{
    const TemplateEdit restore (SXMessage_SendRegistration, sizeof (SXMessage_SendRegistration));
    zun::SysexMessage builder;

    SXMessage_SendRegistration[8] = 2;

    EXPECT_EQ (BodyOf (builder.CreateMessage (SXMessage_SendRegistration, SXMessage_SendRegistration_Length)),
               (Bytes { 0x11, 0x00, 0x01, 0x07, 0x06, 0x01, 0x04, 0x05, 0x02, 0x06 }));
}
