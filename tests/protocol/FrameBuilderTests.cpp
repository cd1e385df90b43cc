#include "FrameTestHelpers.h"
#include "RequestTemplates.h"

using frames::Bytes;

namespace
{
Bytes Slice (const Bytes& frame, int from, int count)
{
    return Bytes (frame.begin() + from, frame.begin() + from + count);
}
} // namespace

// GetProductName with all ids 0 (checksum 6C = (-20) & 7F), the same body addressed to one
// interface, and the 24-byte empty-body frame.
TEST (FrameBuilder, WorkedExamplesByteForByte)
{
    const Bytes productName (std::begin (SXMessage_GetProductName), std::end (SXMessage_GetProductName));
    const std::tuple<juce::uint16, juce::uint32, juce::uint32, Bytes, Bytes> examples[] = {
        { 0, 0, 0, productName, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01, 0x6C, 0xF7 } },
        { 0x1234, 0x12345678, 133, productName, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x24, 0x34, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x05, 0x00, 0x07, 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01, 0x07, 0xF7 } },
        { 0, 0, 0, {}, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7 } },
    };

    for (const auto& [productId, serialNumber, sequence, body, expected] : examples)
    {
        zun::SysexMessage builder;
        builder.productId = productId;
        builder.serialNumber = serialNumber;
        builder.sequenceNumber = sequence;
        builder.bodyLength = 99;

        const auto message = frames::Build (builder, body);
        EXPECT_EQ (frames::Of (message), expected);
        EXPECT_EQ (Bytes (builder.frameBuffer, builder.frameBuffer + expected.size()), expected);
        EXPECT_TRUE (message.getTimeStamp() == 0.0 && builder.bodyLength == body.size() && builder.sequenceNumber == sequence + 1);
    }
}

TEST (FrameBuilder, NumbersAreWrittenInSevenBitGroupsAndTheSequenceNumberWraps)
{
    zun::SysexMessage builder;
    builder.productId = 0xC123; // 16 bits: the top two are dropped
    builder.serialNumber = 0xFFFFFFFF;
    builder.sessionId = 0x0ABCDEF1;
    builder.sequenceNumber = 0x0FFFFFFF;

    const auto first = frames::Of (builder.CreateMessage (nullptr, 0));
    EXPECT_EQ (Slice (first, 5, 15), (Bytes { 0x02, 0x23, 0x0F, 0x7F, 0x7F, 0x7F, 0x7F, 0x55, 0x73, 0x3D, 0x71, 0x7F, 0x7F, 0x7F, 0x7F }));
    EXPECT_EQ (Slice (frames::Of (builder.CreateMessage (nullptr, 0)), 16, 4), (Bytes { 0x00, 0x00, 0x00, 0x00 }));
    EXPECT_EQ (builder.sequenceNumber, 1u);
}

// A body that does not fit, or a null body that claims bytes, builds nothing: the result is
// JUCE's default message (F0 F7) and the builder is left exactly as it was.
TEST (FrameBuilder, A488ByteBodyFillsTheBufferAndALongerOneIsRefusedWithoutAnyChange)
{
    zun::SysexMessage builder;
    const Bytes largest ((size_t) zun::Frame::maxBodyLength, 0x11), huge (65535, 0x22);

    const auto full = frames::Of (frames::Build (builder, largest));
    ASSERT_EQ ((int) full.size(), zun::Frame::capacity);
    EXPECT_TRUE (Slice (full, 20, 2) == (Bytes { 0x03, 0x68 }) && full.back() == 0xF7);

    using Case = std::pair<const juce::uint8*, int>;

    for (auto [body, length] : { Case { huge.data(), zun::Frame::maxBodyLength + 1 }, Case { huge.data(), 65535 }, Case { nullptr, 5 } })
    {
        SCOPED_TRACE (length);
        EXPECT_EQ (frames::Of (builder.CreateMessage (body, (unsigned short) length)), (Bytes { 0xF0, 0xF7 }));
        EXPECT_EQ (Bytes (builder.frameBuffer, builder.frameBuffer + zun::Frame::capacity), full);
        EXPECT_TRUE (builder.sequenceNumber == 1 && builder.bodyLength == zun::Frame::maxBodyLength);
    }
}

TEST (FrameBuilder, SessionIdsAreDrawnAsTwentyEightBitNumbers)
{
    zun::SysexMessage builder;
    juce::uint32 allBits = 0;

    for (int i = 0; i < 1000; ++i, allBits |= builder.sessionId)
        builder.DrawSessionId();

    EXPECT_EQ (allBits, 0x0FFFFFFFu); // every one of the 28 bits drawn, none above
}

TEST (FrameView, ReadsOutsideTheFrameGiveZeroAndNumbersMaskEachByteToSevenBits)
{
    Bytes frame { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0xA4, 0xB4 };
    frame.resize (16, 0xFF);
    const zun::FrameView view (frame.data(), (int) frame.size());

    EXPECT_EQ (view.ProductId(), 0x1234);
    EXPECT_TRUE (view.SerialNumber() == 0xFFFFFFFF && view.SessionId() == 0x0FFFFFFF && view.Read14 (14) == 0x3FFF); // up to the last byte
    EXPECT_TRUE (view.Byte (16) == 0 && view.Byte (-1) == 0 && view.SequenceNumber() == 0); // bytes 16 to 19 lie outside
    EXPECT_EQ (zun::FrameView (nullptr, 30).Byte (0), 0);
}
