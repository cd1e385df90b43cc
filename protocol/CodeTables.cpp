#include "CodeTables.h"
#include <iterator>

namespace zun
{
namespace
{
    struct NamedCode
    {
        juce::uint8 code;
        const char* name;
    };

    constexpr NamedCode messageClassWords[] = {
        { MessageClass::None, "None " },
        { MessageClass::HstSesnVal, "HstSesnVal " },
        { MessageClass::GetParmDef, "GetParmDef " },
        { MessageClass::GetParmVal, "GetParmVal " },
        { MessageClass::GetCmdDef, "GetCmdDef " },
        { MessageClass::SetParmVal, "SetParmVal " },
        { MessageClass::SetCmdVal, "SetCmdVal " },
        { MessageClass::Ack, "Ack " },
        { MessageClass::DevSesnVal, "DevSesnVal " },
        { MessageClass::RetParmDef, "RetParmDef " },
        { MessageClass::RetParmVal, "RetParmVal " },
        { MessageClass::RetCmdDef, "RetCmdDef " },
        { MessageClass::NotParmVal, "NotParmVal, " },
        { MessageClass::BulkTransfer, "BulkTransfer " },
        { MessageClass::Private, "Private " },
    };

    constexpr NamedCode dataClassNames[] = {
        { DataClass::None, "None" },
        { DataClass::SessionInfo, "SessionInfo" },
        { DataClass::DeviceInfo, "DeviceInfo" },
        { DataClass::DeviceFeature, "DeviceFeature" },
        { DataClass::HardwareInfo, "HardwareInfo" },
        { DataClass::MIDIInfo, "MIDIInfo" },
        { DataClass::MIDIPortInfo, "MIDIPortInfo" },
        { DataClass::MIDIFeature, "MIDIFeature" },
        { DataClass::AudioInfo, "AudioInfo" },
        { DataClass::AudioPortInfo, "AudioPortInfo" },
        { DataClass::AudioChannelInfo, "AudioChannelInfo" },
        { DataClass::BulkData, "BulkData" },
        { DataClass::SelfTest, "SelfTest" },
        { DataClass::License, "License" },
        { DataClass::FirmwareUpdate, "FirmwareUpdate" },
    };

    constexpr const char* ackErrorNames[] = {
        "None",
        "MalformedMessage",
        "MClassNotSupported",
        "DClassNotSupported",
        "MessageInTooLarge",
        "MessageOutTooLarge",
        "DataBlockLengthInvalid",
        "DataBlockTypeInvalid",
        "ArgIDInvalid",
        "ArgValueInvalid",
        "ParmIDInvalid",
        "ParmValueInvalid",
        "NameInvalid",
        "CmdIDInvalid",
        "CmdValueInvalid",
        "CmdArgInvalid",
        "ArgValBlockMissing",
        "SubIDInvalid",
        "SubIDValueInvalid",
        "CmdFailed"
    };

    template <size_t N>
    const char* findName (const NamedCode (&table)[N], juce::uint8 code) noexcept
    {
        for (const auto& entry : table)
            if (entry.code == code)
                return entry.name;

        return nullptr;
    }
} // namespace

bool IsAcceptedMessageClass (juce::uint8 code) noexcept { return findName (messageClassWords, code) != nullptr; }
bool IsAcceptedDataClass (juce::uint8 code) noexcept { return findName (dataClassNames, code) != nullptr; }

const char* MessageClassMonitorWord (juce::uint8 code) noexcept { return findName (messageClassWords, code); }
const char* DataClassName (juce::uint8 code) noexcept { return findName (dataClassNames, code); }

const char* AckErrorName (juce::uint8 code) noexcept
{
    return code < std::size (ackErrorNames) ? ackErrorNames[code] : "???";
}
} // namespace zun
