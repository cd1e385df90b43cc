#include "DeviceContainer.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// Holds the protocol layer to a second, plain statement of the frame rules, written from the
// frame layout and sharing no code with what it checks: validation must agree with it on every
// input and session, the frame reader at every index in and around the frame, and the builder
// must make frames that read back as built and that validation judges as the rules say.

namespace
{
namespace Rules
{
    // Big-endian groups of 7 bits; only the low 32 bits of the joined value count.
    uint32_t number (const uint8_t* bytes, int count)
    {
        uint64_t value = 0;

        for (int i = 0; i < count; ++i)
            value = (value << 7) | (bytes[i] & 0x7Fu);

        return (uint32_t) value;
    }

    bool isMessageClass (uint8_t code)
    {
        static const uint8_t classes[] = { 0x00, 0x01, 0x02, 0x03, 0x04, 0x10, 0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x50, 0x70, 0x7F };
        return std::find (std::begin (classes), std::end (classes), code) != std::end (classes);
    }

    bool isDataClass (uint8_t code)
    {
        return code <= 0x0A || code == 0x70 || (code >= 0x7D && code <= 0x7F);
    }

    bool isValid (const uint8_t* frame, size_t size, uint32_t sessionId)
    {
        static const uint8_t header[] = { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };

        if (size < 24 || std::memcmp (frame, header, sizeof (header)) != 0)
            return false;

        if (sessionId != 0 && number (frame + 12, 4) != sessionId)
            return false;

        const auto bodyLength = number (frame + 20, 2);

        if (bodyLength == 1 || size != bodyLength + 24 || frame[size - 1] != 0xF7)
            return false;

        unsigned sum = 0;

        for (size_t i = 5; i + 1 < size; ++i)
            sum += frame[i];

        if (sum % 128 != 0)
            return false;

        return bodyLength == 0 || (isMessageClass (frame[22]) && isDataClass (frame[23]));
    }
} // namespace Rules

// One container for all inputs, as the application has one; every field the checks depend
// on is set from the input, so a finding replays alike.
zun::DeviceContainer& container()
{
    static zun::DeviceContainer instance;
    return instance;
}

void checkValidation (const uint8_t* data, size_t size)
{
    auto& gate = container();
    const auto ownSession = size >= 16 ? Rules::number (data + 12, 4) : 0u;
    const juce::MidiMessage message (data, (int) size);

    for (auto sessionId : { 0u, ownSession, (ownSession + 1) & 0x0FFFFFFFu, ownSession | 0x10000000u })
    {
        gate.sysexMessage.sessionId = sessionId;
        const auto expected = Rules::isValid (data, size, sessionId);
        FUZZ_CHECK (gate.IsValidMidiMessage (data, (int) size) == expected);
        FUZZ_CHECK (gate.IsValidMidiMessage (message) == expected);
    }

    FUZZ_CHECK (! gate.IsValidMidiMessage (nullptr, (int) size));
}

void checkFrameView (const uint8_t* data, size_t size)
{
    const auto n = (int) size;
    const zun::FrameView view (data, n);
    FUZZ_CHECK (view.Size() == n);

    auto fits = [n] (int index, int count)
    { return index >= 0 && count >= 0 && index + count <= n; };

    for (int i = -6; i <= n + 6; ++i)
    {
        FUZZ_CHECK (view.Byte (i) == (fits (i, 1) ? data[i] : 0));
        FUZZ_CHECK (view.Read14 (i) == (fits (i, 2) ? Rules::number (data + i, 2) : 0));
        FUZZ_CHECK (view.Read28 (i) == (fits (i, 4) ? Rules::number (data + i, 4) : 0));
        FUZZ_CHECK (view.Read32 (i) == (fits (i, 5) ? Rules::number (data + i, 5) : 0));

        for (int count = -1; count <= 6; ++count)
            FUZZ_CHECK (view.Has (i, count) == fits (i, count));
    }

    FUZZ_CHECK (view.ProductId() == view.Read14 (5));
    FUZZ_CHECK (view.SerialNumber() == view.Read32 (7));
    FUZZ_CHECK (view.SessionId() == view.Read28 (12));
    FUZZ_CHECK (view.SequenceNumber() == view.Read28 (16));
    FUZZ_CHECK (view.BodyLength() == (int) view.Read14 (20));

    const zun::FrameView empty (nullptr, n);
    FUZZ_CHECK (empty.Size() == 0 && empty.Byte (0) == 0 && empty.Read32 (0) == 0);
}

void checkBuilder (const uint8_t* data, size_t size)
{
    auto& gate = container();
    auto& builder = gate.sysexMessage;
    FuzzedDataProvider input (data, size);

    builder.productId = input.ConsumeIntegral<uint16_t>();
    builder.serialNumber = input.ConsumeIntegral<uint32_t>();
    builder.sessionId = input.ConsumeIntegral<uint32_t>();
    builder.sequenceNumber = input.ConsumeIntegral<uint32_t>();
    const auto nullBody = input.ConsumeBool();
    const auto body = input.ConsumeRemainingBytes<uint8_t>();

    const auto length = (unsigned short) body.size();
    const auto* bodyData = nullBody ? nullptr : body.data();
    const auto sequenceBefore = builder.sequenceNumber;
    const auto bodyLengthBefore = builder.bodyLength;
    std::vector<uint8_t> bufferBefore (std::begin (builder.frameBuffer), std::end (builder.frameBuffer));

    const auto message = builder.CreateMessage (bodyData, length);
    const auto* frame = message.getRawData();
    const auto n = (size_t) message.getRawDataSize();

    if (length > 488 || (bodyData == nullptr && length != 0))
    {
        // Refused: the empty SysEx F0 F7 comes back and the builder is as it was.
        FUZZ_CHECK (n == 2 && frame[0] == 0xF0 && frame[1] == 0xF7);
        FUZZ_CHECK (std::equal (bufferBefore.begin(), bufferBefore.end(), builder.frameBuffer));
        FUZZ_CHECK (builder.sequenceNumber == sequenceBefore && builder.bodyLength == bodyLengthBefore);
        return;
    }

    FUZZ_CHECK (n == length + 24u);
    FUZZ_CHECK (message.getTimeStamp() == 0.0);
    FUZZ_CHECK (std::memcmp (frame, "\xF0\x00\x2E\x5A\x7D", 5) == 0);
    FUZZ_CHECK (Rules::number (frame + 5, 2) == (builder.productId & 0x3FFFu));
    FUZZ_CHECK (Rules::number (frame + 7, 5) == builder.serialNumber);
    FUZZ_CHECK (Rules::number (frame + 12, 4) == (builder.sessionId & 0x0FFFFFFFu));
    FUZZ_CHECK (Rules::number (frame + 16, 4) == (sequenceBefore & 0x0FFFFFFFu));
    FUZZ_CHECK (Rules::number (frame + 20, 2) == length);
    FUZZ_CHECK (length == 0 || std::memcmp (frame + 22, body.data(), length) == 0);

    // Every byte but the body's is a 7-bit data byte, between F0 and F7.
    for (size_t i = 1; i < 22; ++i)
        FUZZ_CHECK (frame[i] < 0x80);

    FUZZ_CHECK (frame[n - 2] < 0x80 && frame[n - 1] == 0xF7);

    unsigned sum = 0;

    for (size_t i = 5; i + 1 < n; ++i)
        sum += frame[i];

    FUZZ_CHECK (sum % 128 == 0);
    FUZZ_CHECK (builder.sequenceNumber == ((sequenceBefore + 1) & 0x0FFFFFFFu));
    FUZZ_CHECK (builder.bodyLength == length);
    FUZZ_CHECK (std::memcmp (builder.frameBuffer, frame, n) == 0);

    // Validation judges the builder's own frame by the rules; for a session id the builder
    // can carry, that is: no one-byte body, and known classes.
    const auto accepted = gate.IsValidMidiMessage (message);
    FUZZ_CHECK (accepted == Rules::isValid (frame, n, builder.sessionId));

    if (builder.sessionId <= 0x0FFFFFFFu)
        FUZZ_CHECK (accepted == (length != 1 && (length == 0 || (Rules::isMessageClass (body[0]) && Rules::isDataClass (body[1])))));
}

// A valid frame whose bytes are all 7-bit (and whose serial number fits 32 bits) is exactly
// what the builder makes of its body and numbers.
void checkRebuild (const uint8_t* data, size_t size)
{
    auto& builder = container().sysexMessage;

    if (! Rules::isValid (data, size, 0) || data[7] > 0x0F)
        return;

    for (size_t i = 5; i + 1 < size; ++i)
        if (data[i] >= 0x80)
            return;

    builder.productId = (uint16_t) Rules::number (data + 5, 2);
    builder.serialNumber = Rules::number (data + 7, 5);
    builder.sessionId = Rules::number (data + 12, 4);
    builder.sequenceNumber = Rules::number (data + 16, 4);

    const auto length = (unsigned short) (size - 24);
    const auto rebuilt = builder.CreateMessage (length != 0 ? data + 22 : nullptr, length);
    FUZZ_CHECK ((size_t) rebuilt.getRawDataSize() == size && std::memcmp (rebuilt.getRawData(), data, size) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Nothing on the wire is longer than the builder's 512-byte frame; a little more reaches
    // every refusal.
    if (size > 1024)
        return -1;

    checkValidation (data, size);
    checkFrameView (data, size);
    checkBuilder (data, size);
    checkRebuild (data, size);
    return 0;
}
