#pragma once

#include <juce_core/juce_core.h>

namespace zun
{
namespace MessageClass
{
    constexpr juce::uint8 None = 0x00, HstSesnVal = 0x01, GetParmDef = 0x02, GetParmVal = 0x03,
                          GetCmdDef = 0x04, SetParmVal = 0x10, SetCmdVal = 0x11, Ack = 0x40,
                          DevSesnVal = 0x41, RetParmDef = 0x42, RetParmVal = 0x43, RetCmdDef = 0x44,
                          NotParmVal = 0x50, BulkTransfer = 0x70, Private = 0x7F;
}

namespace DataClass
{
    constexpr juce::uint8 None = 0x00, SessionInfo = 0x01, DeviceInfo = 0x02, DeviceFeature = 0x03,
                          HardwareInfo = 0x04, MIDIInfo = 0x05, MIDIPortInfo = 0x06, MIDIFeature = 0x07,
                          AudioInfo = 0x08, AudioPortInfo = 0x09, AudioChannelInfo = 0x0A,
                          BulkData = 0x70, SelfTest = 0x7D, License = 0x7E, FirmwareUpdate = 0x7F;
}

namespace BlockType
{
    constexpr juce::uint8 IdList = 1, ParmValList = 3, ArgValList = 4, CmdValList = 6;
}

// The classes a received frame may carry.
bool IsAcceptedMessageClass (juce::uint8 code) noexcept;
bool IsAcceptedDataClass (juce::uint8 code) noexcept;

// The monitor's words. Message-class words carry their trailing blank ("GetParmVal ",
// "NotParmVal, "); both give nullptr for a code that is not accepted.
const char* MessageClassMonitorWord (juce::uint8 code) noexcept;
const char* DataClassName (juce::uint8 code) noexcept;
// Names of acknowledgement error codes; "???" from 20 up.
const char* AckErrorName (juce::uint8 code) noexcept;
} // namespace zun
