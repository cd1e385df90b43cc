#include "CodeTables.h"
#include "FrameTestHelpers.h"
#include "RequestTemplates.h"

using frames::Bytes;

namespace
{
// Every code that has a word, as "code=word|", in code order: a missing, extra or
// misspelt word shows in one comparison.
std::string Listed (const char* (*lookup) (juce::uint8) noexcept, int codes = 256)
{
    std::string all;

    for (int code = 0; code < codes; ++code)
        if (const auto* word = lookup ((juce::uint8) code))
            all += juce::String::toHexString (code).paddedLeft ('0', 2).toStdString() + "=" + word + "|";

    return all;
}

std::string Hex (const unsigned char* bytes, int size) { return juce::String::toHexString (bytes, size).toStdString(); }

std::string BodyOf (const juce::MidiMessage& message)
{
    return Hex (message.getRawData() + zun::Frame::bodyPos, message.getRawDataSize() - zun::Frame::overhead);
}
} // namespace

TEST (CodeTables, MonitorWordsAndNamesOfEveryCode)
{
    EXPECT_EQ (Listed (zun::MessageClassMonitorWord), "00=None |01=HstSesnVal |02=GetParmDef |03=GetParmVal |04=GetCmdDef |10=SetParmVal |11=SetCmdVal |40=Ack |41=DevSesnVal |42=RetParmDef |43=RetParmVal |44=RetCmdDef |50=NotParmVal, |70=BulkTransfer |7f=Private |");
    EXPECT_EQ (Listed (zun::DataClassName), "00=None|01=SessionInfo|02=DeviceInfo|03=DeviceFeature|04=HardwareInfo|05=MIDIInfo|06=MIDIPortInfo|07=MIDIFeature|08=AudioInfo|09=AudioPortInfo|0a=AudioChannelInfo|70=BulkData|7d=SelfTest|7e=License|7f=FirmwareUpdate|");

    EXPECT_EQ (Listed (zun::AckErrorName, 20), "00=None|01=MalformedMessage|02=MClassNotSupported|03=DClassNotSupported|04=MessageInTooLarge|05=MessageOutTooLarge|06=DataBlockLengthInvalid|07=DataBlockTypeInvalid|08=ArgIDInvalid|09=ArgValueInvalid|0a=ParmIDInvalid|0b=ParmValueInvalid|0c=NameInvalid|0d=CmdIDInvalid|0e=CmdValueInvalid|0f=CmdArgInvalid|10=ArgValBlockMissing|11=SubIDInvalid|12=SubIDValueInvalid|13=CmdFailed|");
    for (int code = 20; code < 256; ++code)
        EXPECT_STREQ (zun::AckErrorName ((juce::uint8) code), "???") << code;
}

// Every template as it stands at start, sent with its length, and its frame passes the gate.
TEST (RequestTemplates, InitialBytesAndLengths)
{
#define TEMPLATE(name, bytes) std::make_tuple (name, (int) sizeof (name), (int) name##_Length, std::string (bytes))
    const std::tuple<const unsigned char*, int, int, std::string> templates[] = {
        TEMPLATE (SXMessage_DeviceDiscovery, "01 01 01 07 03 01 04 01 04 00"),
        TEMPLATE (SXMessage_GetProductName, "03 02 01 04 01 01 01"),
        TEMPLATE (SXMessage_SavePreset, "11 00 01 08 06 01 05 02 03 00 ff"),
        TEMPLATE (SXMessage_LoadPreset, "11 00 01 08 06 01 05 02 43 00 ff"),
        TEMPLATE (SXMessage_GetSettingsAI, "03 08 01 04 01 01 01"),
        TEMPLATE (SXMessage_GetSettingsDI, "03 02 01 06 01 03 14 17 19"),
        TEMPLATE (SXMessage_GetSettingsDF, "03 03 01 05 01 02 01 04"),
        TEMPLATE (SXMessage_GetSettingsPresetName, "03 03 02 05 04 01 09 ff 04 01 01 02"),
        TEMPLATE (SXMessage_GetSettingsAudioPortInfo, "03 09 02 05 04 01 10 ff 07 01 04 01 02 03 10"),
        TEMPLATE (SXMessage_GetSettingsFailover, "03 03 01 09 01 06 13 14 15 16 17 18"),
        TEMPLATE (SXMessage_GetRuntime, "03 03 01 07 01 04 04 10 11 12"),
        TEMPLATE (SXMessage_SendRegistration, "11 00 01 07 06 01 04 05 ff 06"),
    };
#undef TEMPLATE
    zun::DeviceContainer container;

    for (const auto& [bytes, size, length, expected] : templates)
    {
        EXPECT_EQ (Hex (bytes, size), expected);
        EXPECT_EQ (length, size);
        EXPECT_TRUE (container.IsValidMidiMessage (container.sysexMessage.CreateMessage (bytes, (unsigned short) length)));
    }

    EXPECT_EQ (Hex (SXMessage_SetFailover, sizeof (SXMessage_SetFailover)), "10 03 01 ff 03 01 ff ff ff ff ff");
}

TEST (RequestTemplates, SetFailoverAndSendRegistrationWrittenAsTheirSendersDo)
{
    zun::SysexMessage builder;

    // n = 3: one value byte; n = 5: three. Byte 3 = n + 3, byte 6 = n, byte 7 the parameter id.
    for (const auto& [n, value, expected] : { std::make_tuple (3, Bytes { 0x13, 0x02 }, "10 03 01 06 03 01 03 13 02"),
                                              std::make_tuple (5, Bytes { 0x18, 0x7F, 0x7E, 0x00 }, "10 03 01 08 03 01 05 18 7f 7e 00") })
    {
        SXMessage_SetFailover[3] = (unsigned char) (n + 3);
        SXMessage_SetFailover[6] = (unsigned char) n;
        std::copy (value.begin(), value.end(), SXMessage_SetFailover + 7);
        EXPECT_EQ (BodyOf (builder.CreateMessage (SXMessage_SetFailover, (unsigned short) (n + 6))), expected);
    }

    SXMessage_SendRegistration[8] = 2;
    EXPECT_EQ (BodyOf (builder.CreateMessage (SXMessage_SendRegistration, SXMessage_SendRegistration_Length)), "11 00 01 07 06 01 04 05 02 06");

    // Back to the initial bytes for any test that runs later.
    std::fill_n (SXMessage_SetFailover + 6, 5, 0xFF);
    SXMessage_SetFailover[3] = SXMessage_SendRegistration[8] = 0xFF;
}
