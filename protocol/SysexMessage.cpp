#include "SysexMessage.h"

namespace zun
{
namespace
{
    constexpr juce::uint8 frameHeader[] = { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
    constexpr juce::uint8 endOfExclusive = 0xF7;
    constexpr juce::uint32 sequenceMask = 0x0FFFFFFF;
} // namespace

SysexMessage::SysexMessage()
    : frameBuffer()
{
    random.setSeedRandomly();
    std::copy (std::begin (frameHeader), std::end (frameHeader), frameBuffer);
}

juce::MidiMessage SysexMessage::CreateMessage (const unsigned char* body, unsigned short length)
{
    // Refused before anything is written, so a refusal leaves the builder as it was.
    if (length > Frame::maxBodyLength || (body == nullptr && length != 0))
        return {};

    if (length != 0)
        std::copy (body, body + length, frameBuffer + Frame::bodyPos);

    bodyLength = length;

    Wire::Write14 (frameBuffer + Frame::productIdPos, productId);
    Wire::Write32 (frameBuffer + Frame::serialNumberPos, serialNumber);
    Wire::Write28 (frameBuffer + Frame::sessionIdPos, sessionId);
    Wire::Write28 (frameBuffer + Frame::sequenceNumberPos, sequenceNumber);
    Wire::Write14 (frameBuffer + Frame::bodyLengthPos, length);

    const int checksumPos = Frame::bodyPos + length;
    juce::uint8 sum = 0;

    for (int i = Frame::productIdPos; i < checksumPos; ++i)
        sum = (juce::uint8) (sum + frameBuffer[i]);

    frameBuffer[checksumPos] = (juce::uint8) (-sum & 0x7F);
    frameBuffer[checksumPos + 1] = endOfExclusive;

    sequenceNumber = (sequenceNumber + 1) & sequenceMask;

    return juce::MidiMessage (frameBuffer, length + Frame::overhead, 0.0);
}

void SysexMessage::DrawSessionId()
{
    sessionId = (juce::uint32) random.nextInt() & 0x0FFFFFFF;
}
} // namespace zun
