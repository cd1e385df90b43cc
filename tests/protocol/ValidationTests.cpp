#include "CodeTables.h"
#include "FrameTestHelpers.h"
#include <set>

using frames::Bytes;

namespace
{
const std::set<int> acceptedMessageClasses { 0x00, 0x01, 0x02, 0x03, 0x04, 0x10, 0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x50, 0x70, 0x7F };
const std::set<int> acceptedDataClasses { 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x70, 0x7D, 0x7E, 0x7F };

constexpr juce::uint32 session = 0x0ABCDEF;
const Bytes productNameBody { 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 };

class Validation : public ::testing::Test
{
protected:
    void SetUp() override { container.sysexMessage.sessionId = session; }

    // Both forms of the gate, which must agree.
    bool IsValid (const Bytes& frame) const
    {
        const bool valid = container.IsValidMidiMessage (frame.data(), (int) frame.size());
        EXPECT_EQ (container.IsValidMidiMessage (juce::MidiMessage (frame.data(), (int) frame.size())), valid);
        return valid;
    }

    zun::DeviceContainer container;
};
} // namespace

// Each case breaks one test of the gate (numbered as in the gate) and leaves the others passing.
// Steps 8 and 11 accept: the protocol fuzzer holds them to a plain statement of the rules.
TEST_F (Validation, EachTestRejectsOnItsOwn)
{
    // From another interface, with any sequence number: neither is looked at.
    auto good = frames::Assemble (productNameBody, session);
    zun::Wire::Write14 (good.data() + 5, 0x3FFF);
    zun::Wire::Write32 (good.data() + 7, 0xDEADBEEF);
    zun::Wire::Write28 (good.data() + 16, 0x0FEDCBA);
    frames::FixChecksum (good);
    auto with = [&good] (size_t pos, int value)
    { auto frame = good; frame[pos] = (juce::uint8) value; return frame; };
    auto tooShort = frames::Assemble ({}, session), tooLong = good;
    tooShort.erase (tooShort.begin() + 21);
    tooLong.insert (tooLong.begin() + 29, 0x00); // the sum stays right

    const std::pair<const char*, Bytes> rejections[] = {
        { "1: 23 bytes", tooShort },
        { "2: start byte not F0", with (0, 0xF1) },
        { "2: other manufacturer id", with (2, 0x2F) },
        { "2: byte 4 not 7D", with (4, 0x7E) },
        { "3: other session id", frames::Assemble (productNameBody, session + 1) },
        { "4: length 1 with matching size and checksum", frames::Assemble ({ 0x43 }, session) },
        { "5: length 7 in 32 bytes", tooLong },
        { "6: last byte not F7", with (30, 0x77) },
        { "7: checksum one too high", with (29, good[29] + 1) },
        { "9: message class 05", frames::Assemble ({ 0x05, 0x02, 0x01 }, session) },
        { "10: data class 0B", frames::Assemble ({ 0x43, 0x0B, 0x01 }, session) },
    };

    EXPECT_TRUE (IsValid (good));
    for (const auto& [story, frame] : rejections)
        EXPECT_FALSE (IsValid (frame)) << story;

    for (const auto& message : { juce::MidiMessage (0xF8), juce::MidiMessage::programChange (1, 5), juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) })
        EXPECT_FALSE (container.IsValidMidiMessage (message)) << message.getDescription();
}

TEST_F (Validation, SessionIdIsIgnoredUntilOneIsDrawn)
{
    const auto foreign = frames::Assemble (productNameBody, 0x0123456);
    const auto unset = frames::Assemble (productNameBody, 0); // the 31-byte GetProductName frame

    container.sysexMessage.sessionId = 0;
    EXPECT_TRUE (IsValid (foreign) && IsValid (unset));

    container.sysexMessage.sessionId = 0x0654321; // as "Get Settings" draws one
    EXPECT_FALSE (IsValid (foreign) || IsValid (unset));
    EXPECT_TRUE (IsValid (frames::Assemble (productNameBody, 0x0654321)));
}

TEST_F (Validation, ExactlyFifteenMessageClassesAndFifteenDataClassesPass)
{
    for (int code = 0; code < 256; ++code)
    {
        SCOPED_TRACE (code);
        const bool messageClassOk = IsValid (frames::Assemble ({ (juce::uint8) code, 0x02 }, session));
        const bool dataClassOk = IsValid (frames::Assemble ({ 0x43, (juce::uint8) code }, session));

        EXPECT_EQ (messageClassOk, acceptedMessageClasses.count (code) == 1);
        EXPECT_EQ (dataClassOk, acceptedDataClasses.count (code) == 1);
        EXPECT_EQ (zun::IsAcceptedMessageClass ((juce::uint8) code), messageClassOk);
        EXPECT_EQ (zun::IsAcceptedDataClass ((juce::uint8) code), dataClassOk);
    }
}
