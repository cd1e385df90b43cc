#pragma once

#include "WireNumbers.h"
#include <initializer_list>
#include <utility>
#include <juce_audio_basics/juce_audio_basics.h>

namespace zun
{
// Frame positions: byte 0 is the 0xF0 that opens the message. Body byte k is frame byte 22 + k.
namespace Frame
{
    constexpr int productIdPos = 5;
    constexpr int serialNumberPos = 7;
    constexpr int sessionIdPos = 12;
    constexpr int sequenceNumberPos = 16;
    constexpr int bodyLengthPos = 20;
    constexpr int bodyPos = 22;
    constexpr int overhead = 24; // a frame is this much longer than its body
    constexpr int capacity = 512; // the builder's buffer
    constexpr int maxBodyLength = capacity - overhead;
} // namespace Frame

// Read-only, bounds-checked view of a received frame. Every read outside the frame
// gives 0, so a reply handler can never read past the bytes it was given.
class FrameView
{
public:
    FrameView (const juce::uint8* frameData, int frameSize) noexcept
        : data (frameData)
        , size (frameData != nullptr && frameSize > 0 ? frameSize : 0)
    {
    }

    explicit FrameView (const juce::MidiMessage& message) noexcept
        : FrameView (message.getRawData(), message.getRawDataSize())
    {
    }

    int Size() const noexcept { return size; }

    bool Has (int index, int count = 1) const noexcept
    {
        return index >= 0 && count >= 0 && index <= size - count;
    }

    juce::uint8 Byte (int index) const noexcept { return Has (index) ? data[index] : 0; }

    // True when each listed frame position holds its value: a reply test reads like its
    // table, { { 22, 0x43 }, { 23, 8 }, ... }. A position outside the frame never matches.
    bool HasBytes (std::initializer_list<std::pair<int, juce::uint8>> expected) const noexcept
    {
        for (const auto& [index, value] : expected)
            if (! Has (index) || data[index] != value)
                return false;

        return true;
    }

    juce::uint32 Read14 (int index) const noexcept { return Has (index, 2) ? Wire::Read14 (data + index) : 0; }
    juce::uint32 Read28 (int index) const noexcept { return Has (index, 4) ? Wire::Read28 (data + index) : 0; }
    juce::uint32 Read32 (int index) const noexcept { return Has (index, 5) ? Wire::Read32 (data + index) : 0; }

    juce::uint16 ProductId() const noexcept { return (juce::uint16) Read14 (Frame::productIdPos); }
    juce::uint32 SerialNumber() const noexcept { return Read32 (Frame::serialNumberPos); }
    juce::uint32 SessionId() const noexcept { return Read28 (Frame::sessionIdPos); }
    juce::uint32 SequenceNumber() const noexcept { return Read28 (Frame::sequenceNumberPos); }
    int BodyLength() const noexcept { return (int) Read14 (Frame::bodyLengthPos); }

    const juce::uint8* Data() const noexcept { return data; }

private:
    const juce::uint8* data;
    int size;
};
} // namespace zun
