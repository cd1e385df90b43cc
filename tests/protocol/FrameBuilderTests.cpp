#include "FrameTestHelpers.h"
#include "RequestTemplates.h"
#include <set>

using frames::Bytes;

namespace
{
const Bytes productNameBody { 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 };

juce::MidiMessage Build (zun::SysexMessage& builder, const Bytes& body)
{
    return builder.CreateMessage (body.empty() ? nullptr : body.data(), (unsigned short) body.size());
}

Bytes Slice (const Bytes& frame, int from, int count)
{
    return Bytes (frame.begin() + from, frame.begin() + from + count);
}
} // namespace

TEST (FrameBuilder, StartsWithTheHeaderAndAllNumbersZero)
{
    zun::SysexMessage builder;

    EXPECT_EQ (Bytes (builder.frameBuffer, builder.frameBuffer + 5), (Bytes { 0xF0, 0x00, 0x2E, 0x5A, 0x7D }));
    EXPECT_EQ (builder.sessionId, 0u);
    EXPECT_EQ (builder.sequenceNumber, 0u);
    EXPECT_EQ (builder.serialNumber, 0u);
    EXPECT_EQ (builder.productId, 0);
    EXPECT_EQ (builder.bodyLength, 0);
}

TEST (FrameBuilder, GetProductNameWithAllIdsZero)
{
    zun::SysexMessage builder;
    const auto message = builder.CreateMessage (SXMessage_GetProductName, SXMessage_GetProductName_Length);

    Bytes expected { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
    expected.insert (expected.end(), 15, 0x00);
    expected.insert (expected.end(), { 0x00, 0x07, 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01, 0x6C, 0xF7 });

    EXPECT_EQ (frames::Of (message), expected);
    EXPECT_EQ (message.getRawDataSize(), 31);
    EXPECT_EQ (message.getTimeStamp(), 0.0);
    EXPECT_EQ (builder.bodyLength, 7);
    EXPECT_EQ (builder.sequenceNumber, 1u);
    EXPECT_EQ (Bytes (builder.frameBuffer, builder.frameBuffer + 31), expected);
}

TEST (FrameBuilder, GetProductNameAddressedToOneInterface)
{
    zun::SysexMessage builder;
    builder.productId = 0x1234;
    builder.serialNumber = 0x12345678;
    builder.sequenceNumber = 133;

    const Bytes expected { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x24, 0x34, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x05, 0x00, 0x07, 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01, 0x07, 0xF7 };

    EXPECT_EQ (frames::Of (Build (builder, productNameBody)), expected);
    EXPECT_EQ (builder.sequenceNumber, 134u);
}

TEST (FrameBuilder, PingIsTheTwentyFourByteEmptyBodyFrame)
{
    zun::SysexMessage builder;
    builder.bodyLength = 99;

    Bytes expected { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
    expected.insert (expected.end(), 18, 0x00);
    expected.push_back (0xF7);

    EXPECT_EQ (frames::Of (builder.CreateMessage (nullptr, 0)), expected);
    EXPECT_EQ (builder.bodyLength, 0);
    EXPECT_EQ (builder.sequenceNumber, 1u);
}

TEST (FrameBuilder, NumbersAreWrittenInSevenBitGroupsAndLoseBitsAboveTheirWidth)
{
    zun::SysexMessage builder;
    builder.productId = 0xC123; // 16 bits: the top two are dropped
    builder.serialNumber = 0xFFFFFFFF;
    builder.sessionId = 0x0ABCDEF1;
    builder.sequenceNumber = 0x0FFFFFFF;

    const auto first = frames::Of (builder.CreateMessage (nullptr, 0));
    EXPECT_EQ (Slice (first, 5, 2), (Bytes { 0x02, 0x23 }));
    EXPECT_EQ (Slice (first, 7, 5), (Bytes { 0x0F, 0x7F, 0x7F, 0x7F, 0x7F }));
    EXPECT_EQ (Slice (first, 12, 4), (Bytes { 0x55, 0x73, 0x3D, 0x71 }));
    EXPECT_EQ (Slice (first, 16, 4), (Bytes { 0x7F, 0x7F, 0x7F, 0x7F }));

    // The sequence number wraps to 0 after 0x0FFFFFFF.
    EXPECT_EQ (builder.sequenceNumber, 0u);
    const auto second = frames::Of (builder.CreateMessage (nullptr, 0));
    EXPECT_EQ (Slice (second, 16, 4), (Bytes { 0x00, 0x00, 0x00, 0x00 }));
    EXPECT_EQ (builder.sequenceNumber, 1u);
}

TEST (FrameBuilder, ConsecutiveFramesOfOneBodyDifferOnlyInSequenceAndChecksum)
{
    zun::SysexMessage builder;
    builder.productId = 0x0042;
    builder.serialNumber = 0x00C0FFEE;
    builder.sessionId = 0x0123456;
    builder.sequenceNumber = 0x7F; // the next one carries into the second-lowest group

    const auto first = frames::Of (Build (builder, productNameBody));
    const auto second = frames::Of (Build (builder, productNameBody));
    ASSERT_EQ (first.size(), second.size());

    const auto checksumPos = first.size() - 2;

    for (size_t i = 0; i < first.size(); ++i)
    {
        if ((i < 16 || i > 19) && i != checksumPos)
        {
            EXPECT_EQ (first[i], second[i]) << "byte " << i;
        }
    }

    EXPECT_EQ (zun::FrameView (first.data(), (int) first.size()).SequenceNumber(), 0x7Fu);
    EXPECT_EQ (zun::FrameView (second.data(), (int) second.size()).SequenceNumber(), 0x80u);
    EXPECT_NE (first[checksumPos], second[checksumPos]);
}

TEST (FrameBuilder, LargestBodyFillsTheWholeBuffer)
{
    zun::SysexMessage builder;
    const Bytes body (zun::Frame::maxBodyLength, 0x11);
    const auto frame = frames::Of (Build (builder, body));

    ASSERT_EQ ((int) frame.size(), zun::Frame::capacity);
    EXPECT_EQ (Slice (frame, 20, 2), (Bytes { 0x03, 0x68 })); // 488
    EXPECT_EQ (frame.back(), 0xF7);
    EXPECT_EQ (builder.frameBuffer[zun::Frame::capacity - 1], 0xF7);
}

// A body that does not fit, or a null body that claims bytes, builds nothing: the result is
// JUCE's default message (the empty SysEx F0 F7) and the builder is left exactly as it was.
TEST (FrameBuilder, BodyThatDoesNotFitIsRefusedWithoutAnyChange)
{
    zun::SysexMessage builder;
    builder.sequenceNumber = 41;
    Build (builder, productNameBody);

    for (int i = 31; i < zun::Frame::capacity; ++i)
        builder.frameBuffer[i] = (juce::uint8) (0xA5 ^ i);

    const Bytes before (builder.frameBuffer, builder.frameBuffer + zun::Frame::capacity);
    const Bytes huge (65535, 0x22);

    struct Case
    {
        const juce::uint8* body;
        int length;
    };

    for (const auto& c : { Case { huge.data(), zun::Frame::maxBodyLength + 1 },
                           Case { huge.data(), 1000 },
                           Case { huge.data(), 65535 },
                           Case { nullptr, 5 } })
    {
        SCOPED_TRACE (c.length);
        const auto message = builder.CreateMessage (c.body, (unsigned short) c.length);

        EXPECT_EQ (frames::Of (message), (Bytes { 0xF0, 0xF7 }));
        EXPECT_EQ (message.getTimeStamp(), 0.0);
        EXPECT_EQ (Bytes (builder.frameBuffer, builder.frameBuffer + zun::Frame::capacity), before);
        EXPECT_EQ (builder.sequenceNumber, 42u);
        EXPECT_EQ (builder.bodyLength, 7);
    }
}

TEST (FrameBuilder, SessionIdsAreDrawnAsTwentyEightBitNumbers)
{
    zun::SysexMessage builder;
    juce::uint32 allBits = 0;
    std::set<juce::uint32> seen;

    for (int i = 0; i < 1000; ++i)
    {
        builder.DrawSessionId();
        EXPECT_LE (builder.sessionId, 0x0FFFFFFFu);
        allBits |= builder.sessionId;
        seen.insert (builder.sessionId);
    }

    EXPECT_EQ (allBits, 0x0FFFFFFFu);
    EXPECT_GT (seen.size(), 990u);
}

TEST (WireNumbers, WriteAndReadAtTheBoundariesOfEachWidth)
{
    struct Case
    {
        int width;
        juce::uint32 value;
        Bytes bytes;
        juce::uint32 readBack;
    };

    const Case cases[] = {
        { 14, 0, { 0x00, 0x00 }, 0 },
        { 14, 0x3FFF, { 0x7F, 0x7F }, 0x3FFF },
        { 14, 0x4000, { 0x00, 0x00 }, 0 },
        { 14, 0xFFFFFFFF, { 0x7F, 0x7F }, 0x3FFF },
        { 14, 0x0080, { 0x01, 0x00 }, 0x0080 },
        { 28, 0, { 0x00, 0x00, 0x00, 0x00 }, 0 },
        { 28, 0x0FFFFFFF, { 0x7F, 0x7F, 0x7F, 0x7F }, 0x0FFFFFFF },
        { 28, 0x10000000, { 0x00, 0x00, 0x00, 0x00 }, 0 },
        { 28, 0x00204081, { 0x01, 0x01, 0x01, 0x01 }, 0x00204081 },
        { 32, 0, { 0x00, 0x00, 0x00, 0x00, 0x00 }, 0 },
        { 32, 0xFFFFFFFF, { 0x0F, 0x7F, 0x7F, 0x7F, 0x7F }, 0xFFFFFFFF },
        { 32, 0x80000000, { 0x08, 0x00, 0x00, 0x00, 0x00 }, 0x80000000 },
        { 32, 0x10000000, { 0x01, 0x00, 0x00, 0x00, 0x00 }, 0x10000000 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::formatted ("width %d value %08X", c.width, c.value).toStdString());
        Bytes written (c.bytes.size(), 0xEE);

        if (c.width == 14)
            zun::Wire::Write14 (written.data(), c.value);
        else if (c.width == 28)
            zun::Wire::Write28 (written.data(), c.value);
        else
            zun::Wire::Write32 (written.data(), c.value);

        EXPECT_EQ (written, c.bytes);

        const auto read = c.width == 14   ? zun::Wire::Read14 (written.data())
                          : c.width == 28 ? zun::Wire::Read28 (written.data())
                                          : zun::Wire::Read32 (written.data());
        EXPECT_EQ (read, c.readBack);
    }
}

TEST (WireNumbers, ReadingMasksTheTopBitOfEveryByte)
{
    const Bytes ones (5, 0xFF);

    EXPECT_EQ (zun::Wire::Read14 (ones.data()), 0x3FFFu);
    EXPECT_EQ (zun::Wire::Read28 (ones.data()), 0x0FFFFFFFu);
    EXPECT_EQ (zun::Wire::Read32 (ones.data()), 0xFFFFFFFFu);
}

TEST (FrameView, ReadsOutsideTheFrameGiveZero)
{
    const Bytes frame { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x24, 0x34, 0x01 };
    const zun::FrameView view (frame.data(), (int) frame.size());

    EXPECT_EQ (view.ProductId(), 0x1234);
    EXPECT_EQ (view.Byte (7), 0x01);
    EXPECT_EQ (view.Byte (8), 0);
    EXPECT_EQ (view.Byte (-1), 0);
    EXPECT_EQ (view.SerialNumber(), 0u); // needs bytes 7 to 11
    EXPECT_EQ (view.Read14 (6), (0x34u << 7) | 0x01u);
    EXPECT_EQ (view.Read14 (7), 0u);
    EXPECT_FALSE (view.Has (4, -1));
    EXPECT_EQ (zun::FrameView (nullptr, 30).Byte (0), 0);
}
