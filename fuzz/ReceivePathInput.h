#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The input of the receive-path fuzzer, shared with the seed corpus writer: a fixed header that
// sets the component up, then records, each one MIDI message handed to the receive path.
namespace ReceivePathInput
{
// Header bytes, missing ones read as 0: requestState (modulo 12); setup flags (bit 0: settings
// loaded first, bits 1-2: runtime mode, 3 reads as Manual); the record's preset and port
// counts, current preset, the preset or port asked for last (within what the state can have
// asked), failover mode, trigger mode, audio and MIDI triggers, USBD 1 and 2 port slots (modulo
// 9); the number of discovered interfaces (modulo 4) and the probe cursor (modulo that number).
constexpr std::size_t state = 0, setupFlags = 1, presetCount = 2, audioPortCount = 3, currentPreset = 4, queryIndex = 5, failoverMode = 6, triggerMode = 7;
constexpr std::size_t audioTrigger = 8, midiTrigger = 9, usbd1PortSlot = 10, usbd2PortSlot = 11, discoveredCount = 12, probeCursor = 13, headerSize = 14;

// A record: kind, two length bytes, then that many bytes. Kind bits 0-1: a frame (3 reads as
// frame) whose body is the bytes, with a good envelope, length and checksum; F0, the bytes and
// F7 unless kind bit 7 is set; or a channel or system message of the length its first byte
// calls for. Bits 2-3 the source: 0 the input the state listens on, 1 the other input, 2 none
// (3 as 0). Bits 4-5 the frame's ids: 0 the addressed interface, 1 the second discovered one,
// 2 one never discovered, 3 zeros. Bit 6: the sequence number echoes a discovery request.
// Second length byte: bit 0 the length's bit 8; bit 1 a wrong session id; bit 2 echo the
// second output's discovery request instead of the first's.
constexpr std::uint8_t frame = 0, rawSysex = 1, shortMessage = 2, neverDiscovered = 2 << 4, echoDiscovery = 1 << 6;
constexpr std::uint8_t wrongSession = 1 << 1, echoSecondOutput = 1 << 2;

inline void addRecord (std::vector<std::uint8_t>& input, std::uint8_t kind, const std::vector<std::uint8_t>& bytes)
{
    input.insert (input.end(), { kind, (std::uint8_t) (bytes.size() & 0xFF), (std::uint8_t) ((bytes.size() >> 8) & 1) });
    input.insert (input.end(), bytes.begin(), bytes.end());
}
} // namespace ReceivePathInput
