#pragma once

#include "DeviceContainer.h"
#include <cstring>
#include <numeric>
#include <set>
#include <vector>

// The frame rules stated plainly from the frame layout, with nothing of the protocol library:
// the protocol tests make their frames with them, the protocol fuzzer holds the library to them.
namespace frames
{
using Bytes = std::vector<uint8_t>;

// Big-endian groups of 7 bits; only the low 32 bits of the joined value count.
inline uint32_t Number (const uint8_t* bytes, int count)
{
    uint64_t value = 0;

    for (int i = 0; i < count; ++i)
        value = (value << 7) | (bytes[i] & 0x7Fu);

    return (uint32_t) value;
}

// A frame: the envelope, the session id once one is drawn, a length that is not 1 and fits the
// size, the end byte, a sum of 0 from byte 5 up to and with the checksum, and known classes.
inline bool IsValid (const uint8_t* frame, size_t size, uint32_t sessionId)
{
    static const std::set<uint8_t> messageClasses { 0x00, 0x01, 0x02, 0x03, 0x04, 0x10, 0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x50, 0x70, 0x7F };

    if (size < 24 || std::memcmp (frame, "\xF0\x00\x2E\x5A\x7D", 5) != 0 || (sessionId != 0 && Number (frame + 12, 4) != sessionId))
        return false;

    const auto bodyLength = Number (frame + 20, 2), dataClass = (uint32_t) frame[23];
    return bodyLength != 1 && size == bodyLength + 24 && frame[size - 1] == 0xF7 && std::accumulate (frame + 5, frame + size - 1, 0u) % 128 == 0
           && (bodyLength == 0 || (messageClasses.count (frame[22]) == 1 && (dataClass <= 0x0A || dataClass == 0x70 || (dataClass >= 0x7D && dataClass <= 0x7F))));
}

// The frame of a body: each number in as many 7-bit groups as its field has bytes, the higher
// bits dropped, then the body, the checksum and F7.
inline Bytes Frame (const Bytes& body, uint32_t sessionId = 0, uint32_t productId = 0, uint32_t serialNumber = 0, uint32_t sequenceNumber = 0)
{
    Bytes frame { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };

    for (auto [value, bytes] : { std::pair { productId, 2 }, { serialNumber, 5 }, { sessionId, 4 }, { sequenceNumber, 4 }, { (uint32_t) body.size(), 2 } })
        for (int i = bytes - 1; i >= 0; --i)
            frame.push_back ((uint8_t) ((value >> (7 * i)) & 0x7F));

    frame.insert (frame.end(), body.begin(), body.end());
    frame.push_back ((uint8_t) (-std::accumulate (frame.begin() + 5, frame.end(), 0u) & 0x7F)); // the sum from byte 5 to the checksum is 0
    frame.push_back (0xF7);
    return frame;
}

inline Bytes Of (const juce::MidiMessage& message) { return Bytes (message.getRawData(), message.getRawData() + message.getRawDataSize()); }
} // namespace frames
