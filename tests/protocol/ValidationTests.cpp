#include "FrameRules.h"
#include <gtest/gtest.h>

using frames::Bytes;

namespace
{
constexpr juce::uint32 session = 0x0ABCDEF;
const Bytes productNameBody { 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 };

// Both forms of the gate, which must agree.
bool IsValid (const zun::DeviceContainer& container, const Bytes& frame)
{
    const bool valid = container.IsValidMidiMessage (frame.data(), (int) frame.size());
    EXPECT_EQ (container.IsValidMidiMessage (juce::MidiMessage (frame.data(), (int) frame.size())), valid);
    return valid;
}
} // namespace

// Each case breaks one test of the gate (numbered as in the gate) and leaves the others passing.
// The classes one by one are CodeTables' matter; the protocol fuzzer holds every frame to the rules.
TEST (Validation, EachTestRejectsOnItsOwn)
{
    zun::DeviceContainer container;
    container.sysexMessage.sessionId = session;

    // From another interface, with any sequence number: neither is looked at.
    const auto good = frames::Frame (productNameBody, session, 0x3FFF, 0xDEADBEEF, 0x0FEDCBA);
    auto with = [&good] (size_t pos, int value)
    { auto frame = good; frame[pos] = (juce::uint8) value; return frame; };
    auto tooShort = frames::Frame ({}, session), tooLong = good;
    tooShort.erase (tooShort.begin() + 21);
    tooLong.insert (tooLong.begin() + 29, 0x00); // the sum stays right

    const std::pair<const char*, Bytes> rejections[] = {
        { "1: 23 bytes", tooShort },
        { "2: start byte not F0", with (0, 0xF1) },
        { "2: other manufacturer id", with (2, 0x2F) },
        { "2: byte 4 not 7D", with (4, 0x7E) },
        { "3: other session id", frames::Frame (productNameBody, session + 1) },
        { "3: session id 0 once one is drawn", frames::Frame (productNameBody, 0) },
        { "4: length 1 with matching size and checksum", frames::Frame ({ 0x43 }, session) },
        { "5: length 7 in 32 bytes", tooLong },
        { "6: last byte not F7", with (30, 0x77) },
        { "7: checksum one too high", with (29, good[29] + 1) },
        { "9: message class 05", frames::Frame ({ 0x05, 0x02, 0x01 }, session) },
        { "10: data class 0B", frames::Frame ({ 0x43, 0x0B, 0x01 }, session) },
    };

    // The good frames pass, and so does a frame of any session while none is drawn.
    EXPECT_TRUE (IsValid (container, good) && IsValid (container, frames::Frame ({}, session)) && IsValid ({}, frames::Frame (productNameBody, 0x0123456)));

    for (const auto& [story, frame] : rejections)
        EXPECT_FALSE (IsValid (container, frame)) << story;

    for (const auto& message : { juce::MidiMessage (0xF8), juce::MidiMessage::programChange (1, 5), juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) })
        EXPECT_FALSE (container.IsValidMidiMessage (message)) << message.getDescription();

    // What a received frame's numbers are read from: seven bits of each byte, whatever it holds.
    const Bytes ones (24, 0xFF);
    EXPECT_TRUE (zun::FrameView (ones.data(), 24).BodyLength() == 0x3FFF && zun::FrameView (ones.data(), 24).SessionId() == 0x0FFFFFFF);
}
