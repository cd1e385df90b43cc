#include "CodeTables.h"
#include "FrameRules.h"
#include "RequestTemplates.h"
#include <gtest/gtest.h>

using frames::Bytes;

namespace
{
// Every code the gate lets through in body byte 0 or 1, as "code=word|" in code order: a
// missing, extra or misspelt one shows in one comparison. A code the gate refuses must have no
// word and not count as accepted.
std::string Passing (size_t bodyByte, const char* (*word) (juce::uint8) noexcept, bool (*accepted) (juce::uint8) noexcept)
{
    const zun::DeviceContainer gate;
    std::string all;

    for (int code = 0; code < 256; ++code)
    {
        const auto body = bodyByte == 0 ? Bytes { (juce::uint8) code, 0x02 } : Bytes { 0x43, (juce::uint8) code };
        const auto frame = frames::Frame (body);
        const bool passes = gate.IsValidMidiMessage (frame.data(), (int) frame.size());
        const char* const text = word (body[bodyByte]);
        EXPECT_TRUE (accepted (body[bodyByte]) == passes && (text != nullptr) == passes) << code;

        if (passes && text != nullptr)
            all += juce::String::toHexString (code).paddedLeft ('0', 2).toStdString() + "=" + text + "|";
    }

    return all;
}
} // namespace

TEST (CodeTables, ExactlyFifteenMessageClassesAndFifteenDataClassesPassEachWithItsMonitorWord)
{
    EXPECT_EQ (Passing (0, zun::MessageClassMonitorWord, zun::IsAcceptedMessageClass), "00=None |01=HstSesnVal |02=GetParmDef |03=GetParmVal |04=GetCmdDef |10=SetParmVal |11=SetCmdVal |40=Ack |41=DevSesnVal |42=RetParmDef |43=RetParmVal |44=RetCmdDef |50=NotParmVal, |70=BulkTransfer |7f=Private |");
    EXPECT_EQ (Passing (1, zun::DataClassName, zun::IsAcceptedDataClass), "00=None|01=SessionInfo|02=DeviceInfo|03=DeviceFeature|04=HardwareInfo|05=MIDIInfo|06=MIDIPortInfo|07=MIDIFeature|08=AudioInfo|09=AudioPortInfo|0a=AudioChannelInfo|70=BulkData|7d=SelfTest|7e=License|7f=FirmwareUpdate|");
}

TEST (CodeTables, AckErrorNamesUpToNineteenThenQuestionMarks)
{
    std::string all;

    for (int code = 0; code < 256; ++code)
        all += std::string (zun::AckErrorName ((juce::uint8) code)) + (code < 20 ? "|" : "");

    EXPECT_EQ (all, "None|MalformedMessage|MClassNotSupported|DClassNotSupported|MessageInTooLarge|MessageOutTooLarge|DataBlockLengthInvalid|DataBlockTypeInvalid|ArgIDInvalid|ArgValueInvalid|ParmIDInvalid|ParmValueInvalid|NameInvalid|CmdIDInvalid|CmdValueInvalid|CmdArgInvalid|ArgValBlockMissing|SubIDInvalid|SubIDValueInvalid|CmdFailed|" + std::string (236 * 3, '?'));
}

// Each template is sent whole, and its frame passes the gate whatever its variable bytes hold.
// What each request asks for is checked where it is sent: the application tests.
TEST (RequestTemplates, EachIsSentWholeAndItsFramePassesTheGate)
{
#define TEMPLATE(name) std::make_tuple (#name, name, sizeof (name), name##_Length)
    for (const auto& [name, bytes, size, length] : { TEMPLATE (SXMessage_DeviceDiscovery), TEMPLATE (SXMessage_GetProductName), TEMPLATE (SXMessage_SavePreset), TEMPLATE (SXMessage_LoadPreset), TEMPLATE (SXMessage_GetSettingsAI), TEMPLATE (SXMessage_GetSettingsDI), TEMPLATE (SXMessage_GetSettingsDF), TEMPLATE (SXMessage_GetSettingsPresetName), TEMPLATE (SXMessage_GetSettingsAudioPortInfo), TEMPLATE (SXMessage_GetSettingsFailover), TEMPLATE (SXMessage_GetRuntime), TEMPLATE (SXMessage_SendRegistration) })
        EXPECT_TRUE (length == size && zun::DeviceContainer {}.IsValidMidiMessage (zun::SysexMessage {}.CreateMessage (bytes, length))) << name;
#undef TEMPLATE
}
