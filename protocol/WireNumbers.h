#pragma once

#include <juce_core/juce_core.h>

namespace zun
{
// Numbers on the wire are big-endian groups of 7 bits, one group per byte with the
// top bit clear. Writing drops the bits above the field's width; reading masks every
// byte with 0x7F. The 32-bit form spends its first byte on the top 4 bits.
namespace Wire
{
    inline void Write14 (juce::uint8* dest, juce::uint32 value) noexcept
    {
        dest[0] = (juce::uint8) ((value >> 7) & 0x7F);
        dest[1] = (juce::uint8) (value & 0x7F);
    }

    inline void Write28 (juce::uint8* dest, juce::uint32 value) noexcept
    {
        dest[0] = (juce::uint8) ((value >> 21) & 0x7F);
        dest[1] = (juce::uint8) ((value >> 14) & 0x7F);
        dest[2] = (juce::uint8) ((value >> 7) & 0x7F);
        dest[3] = (juce::uint8) (value & 0x7F);
    }

    inline void Write32 (juce::uint8* dest, juce::uint32 value) noexcept
    {
        dest[0] = (juce::uint8) (value >> 28);
        Write28 (dest + 1, value);
    }

    inline juce::uint32 Read14 (const juce::uint8* src) noexcept
    {
        return ((juce::uint32) (src[0] & 0x7F) << 7) | (juce::uint32) (src[1] & 0x7F);
    }

    inline juce::uint32 Read28 (const juce::uint8* src) noexcept
    {
        return ((juce::uint32) (src[0] & 0x7F) << 21)
               | ((juce::uint32) (src[1] & 0x7F) << 14)
               | ((juce::uint32) (src[2] & 0x7F) << 7)
               | (juce::uint32) (src[3] & 0x7F);
    }

    inline juce::uint32 Read32 (const juce::uint8* src) noexcept
    {
        return ((juce::uint32) (src[0] & 0x7F) << 28) | Read28 (src + 1);
    }
} // namespace Wire
} // namespace zun
