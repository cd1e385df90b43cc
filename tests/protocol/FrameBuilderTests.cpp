#include "FrameRules.h"
#include "RequestTemplates.h"
#include <gtest/gtest.h>

using frames::Bytes;

// GetProductName with all ids 0 (checksum 6C = (-20) & 7F), the same body addressed to one
// interface, the 24-byte empty-body frame, and every number at its widest: the product id loses
// its top two bits, the serial number's first byte carries its top four, and the sequence
// number wraps to 0 after the frame that carries 7F 7F 7F 7F.
TEST (FrameBuilder, WorkedExamplesByteForByte)
{
    const Bytes productName (std::begin (SXMessage_GetProductName), std::end (SXMessage_GetProductName));
    const std::tuple<juce::uint16, juce::uint32, juce::uint32, juce::uint32, Bytes, Bytes> examples[] = {
        { 0, 0, 0, 0, productName, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01, 0x6C, 0xF7 } },
        { 0x1234, 0x12345678, 0, 133, productName, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x24, 0x34, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x05, 0x00, 0x07, 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01, 0x07, 0xF7 } },
        { 0, 0, 0, 0, {}, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7 } },
        { 0xC123, 0xFFFFFFFF, 0x0ABCDEF1, 0x0FFFFFFF, {}, { 0xF0, 0x00, 0x2E, 0x5A, 0x7D, 0x02, 0x23, 0x0F, 0x7F, 0x7F, 0x7F, 0x7F, 0x55, 0x73, 0x3D, 0x71, 0x7F, 0x7F, 0x7F, 0x7F, 0x00, 0x00, 0x5E, 0xF7 } },
    };

    for (const auto& [productId, serialNumber, sessionId, sequence, body, expected] : examples)
    {
        zun::SysexMessage builder;
        builder.productId = productId;
        builder.serialNumber = serialNumber;
        builder.sessionId = sessionId;
        builder.sequenceNumber = sequence;
        builder.bodyLength = 99;

        const auto message = builder.CreateMessage (body.data(), (unsigned short) body.size());
        EXPECT_EQ (frames::Of (message), expected);
        EXPECT_EQ (Bytes (builder.frameBuffer, builder.frameBuffer + expected.size()), expected);
        EXPECT_TRUE (message.getTimeStamp() == 0.0 && builder.bodyLength == body.size() && builder.sequenceNumber == (sequence == 0x0FFFFFFF ? 0 : sequence + 1));
    }
}

// A body that does not fit, or a null body that claims bytes, builds nothing: the result is
// JUCE's default message (F0 F7) and the builder is left exactly as it was.
TEST (FrameBuilder, A488ByteBodyFillsTheBufferAndALongerOneIsRefusedWithoutAnyChange)
{
    zun::SysexMessage builder;
    const Bytes largest ((size_t) zun::Frame::maxBodyLength, 0x11), huge (65535, 0x22);

    const auto full = frames::Of (builder.CreateMessage (largest.data(), (unsigned short) largest.size()));
    ASSERT_EQ ((int) full.size(), zun::Frame::capacity);
    EXPECT_TRUE (full[20] == 0x03 && full[21] == 0x68 && full.back() == 0xF7);

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
