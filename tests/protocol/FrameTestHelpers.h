#pragma once

#include "DeviceContainer.h"
#include <gtest/gtest.h>
#include <vector>

namespace frames
{
using Bytes = std::vector<juce::uint8>;

inline Bytes Of (const juce::MidiMessage& message) { return Bytes (message.getRawData(), message.getRawData() + message.getRawDataSize()); }

inline juce::MidiMessage Build (zun::SysexMessage& builder, const Bytes& body) { return builder.CreateMessage (body.empty() ? nullptr : body.data(), (unsigned short) body.size()); }

// Rewrites the checksum byte (the one before 0xF7) so that the frame sums correctly.
inline void FixChecksum (Bytes& frame)
{
    unsigned int sum = 0;
    for (size_t i = zun::Frame::productIdPos; i < frame.size() - 2; ++i)
        sum += frame[i];
    frame[frame.size() - 2] = (juce::uint8) (-sum & 0x7F);
}

// A frame assembled by hand, independent of the builder: ids 0 but the session.
inline Bytes Assemble (const Bytes& body, juce::uint32 sessionId = 0)
{
    Bytes frame { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
    frame.resize (zun::Frame::bodyPos, 0);
    zun::Wire::Write28 (frame.data() + zun::Frame::sessionIdPos, sessionId);
    zun::Wire::Write14 (frame.data() + zun::Frame::bodyLengthPos, (juce::uint32) body.size());
    frame.insert (frame.end(), body.begin(), body.end());
    frame.insert (frame.end(), { 0, 0xF7 });
    FixChecksum (frame);
    return frame;
}

} // namespace frames
