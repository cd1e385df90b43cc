#include "DeviceContainer.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

// Holds the protocol layer to a second, plain statement of the frame rules, written from the
// frame layout and sharing no code with what it checks: validation must agree with it on every
// input and session, the frame reader at every index in and around the frame, and the builder
// must make the frame the rules make of its numbers and body, and make again every valid frame.

namespace
{
using Bytes = std::vector<uint8_t>;

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

    // Bytes 5 to the checksum, the checksum included.
    unsigned sum (const uint8_t* frame, size_t end)
    {
        unsigned total = 0;

        for (size_t i = 5; i < end; ++i)
            total += frame[i];

        return total;
    }

    bool areClasses (uint8_t messageClass, uint8_t dataClass)
    {
        static const std::set<uint8_t> messageClasses { 0x00, 0x01, 0x02, 0x03, 0x04, 0x10, 0x11, 0x40, 0x41, 0x42, 0x43, 0x44, 0x50, 0x70, 0x7F };
        return messageClasses.count (messageClass) == 1 && (dataClass <= 0x0A || dataClass == 0x70 || (dataClass >= 0x7D && dataClass <= 0x7F));
    }

    bool isValid (const uint8_t* frame, size_t size, uint32_t sessionId)
    {
        if (size < 24 || std::memcmp (frame, "\xF0\x00\x2E\x5A\x7D", 5) != 0 || (sessionId != 0 && number (frame + 12, 4) != sessionId))
            return false;

        const auto bodyLength = number (frame + 20, 2);
        return bodyLength != 1 && size == bodyLength + 24 && frame[size - 1] == 0xF7 && sum (frame, size - 1) % 128 == 0
               && (bodyLength == 0 || areClasses (frame[22], frame[23]));
    }

    // Each number in as many 7-bit groups as its field has bytes, the higher bits dropped.
    Bytes frame (uint32_t productId, uint32_t serialNumber, uint32_t sessionId, uint32_t sequenceNumber, const Bytes& body)
    {
        Bytes frame { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };

        for (auto [value, bytes] : { std::pair { productId, 2 }, { serialNumber, 5 }, { sessionId, 4 }, { sequenceNumber, 4 }, { (uint32_t) body.size(), 2 } })
            for (int i = bytes - 1; i >= 0; --i)
                frame.push_back ((uint8_t) ((value >> (7 * i)) & 0x7F));

        frame.insert (frame.end(), body.begin(), body.end());
        frame.push_back ((uint8_t) (-sum (frame.data(), frame.size()) & 0x7F));
        frame.push_back (0xF7);
        return frame;
    }
} // namespace Rules

// One container for all inputs, as the application has one; every field the checks depend
// on is set from the input, so a finding replays alike.
zun::DeviceContainer container;

void checkValidation (const uint8_t* data, size_t size)
{
    const auto ownSession = size >= 16 ? Rules::number (data + 12, 4) : 0u;

    for (auto sessionId : { 0u, ownSession, (ownSession + 1) & 0x0FFFFFFFu, ownSession | 0x10000000u })
    {
        container.sysexMessage.sessionId = sessionId;
        const auto expected = Rules::isValid (data, size, sessionId);
        FUZZ_CHECK (container.IsValidMidiMessage (data, (int) size) == expected);
        FUZZ_CHECK (container.IsValidMidiMessage (juce::MidiMessage (data, (int) size)) == expected);
    }

    FUZZ_CHECK (! container.IsValidMidiMessage (nullptr, (int) size));
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

    FUZZ_CHECK (view.ProductId() == view.Read14 (5) && view.SerialNumber() == view.Read32 (7) && view.SessionId() == view.Read28 (12));
    FUZZ_CHECK (view.SequenceNumber() == view.Read28 (16) && view.BodyLength() == (int) view.Read14 (20));

    const zun::FrameView empty (nullptr, n);
    FUZZ_CHECK (empty.Size() == 0 && empty.Byte (0) == 0 && empty.Read32 (0) == 0);
}

void checkBuilder (const uint8_t* data, size_t size)
{
    auto& builder = container.sysexMessage;
    FuzzedDataProvider input (data, size);
    builder.productId = input.ConsumeIntegral<uint16_t>();
    builder.serialNumber = input.ConsumeIntegral<uint32_t>();
    builder.sessionId = input.ConsumeIntegral<uint32_t>();
    builder.sequenceNumber = input.ConsumeIntegral<uint32_t>();
    const auto nullBody = input.ConsumeBool();
    const auto body = input.ConsumeRemainingBytes<uint8_t>();

    const auto length = (unsigned short) body.size();
    const juce::uint32 sequenceBefore = builder.sequenceNumber, bodyLengthBefore = builder.bodyLength;
    const Bytes bufferBefore (std::begin (builder.frameBuffer), std::end (builder.frameBuffer));
    const auto message = builder.CreateMessage (nullBody ? nullptr : body.data(), length);
    const Bytes frame (message.getRawData(), message.getRawData() + message.getRawDataSize());

    // Refused: the empty SysEx F0 F7 comes back and the builder is as it was.
    if (length > 488 || (nullBody && length != 0))
    {
        FUZZ_CHECK (frame == (Bytes { 0xF0, 0xF7 }) && std::equal (bufferBefore.begin(), bufferBefore.end(), builder.frameBuffer));
        FUZZ_CHECK (builder.sequenceNumber == sequenceBefore && builder.bodyLength == bodyLengthBefore);
        return;
    }

    FUZZ_CHECK (frame == Rules::frame (builder.productId, builder.serialNumber, builder.sessionId, sequenceBefore, body));
    FUZZ_CHECK (message.getTimeStamp() == 0.0 && std::equal (frame.begin(), frame.end(), builder.frameBuffer));
    FUZZ_CHECK (builder.sequenceNumber == ((sequenceBefore + 1) & 0x0FFFFFFFu) && builder.bodyLength == length);

    // Validation judges the builder's own frame by the rules; for a session id the builder
    // can carry, that is: no one-byte body, and known classes.
    const auto accepted = container.IsValidMidiMessage (message);
    FUZZ_CHECK (accepted == Rules::isValid (frame.data(), frame.size(), builder.sessionId));
    FUZZ_CHECK (builder.sessionId > 0x0FFFFFFFu || accepted == (length != 1 && (length == 0 || Rules::areClasses (body[0], body[1]))));
}

// A valid frame whose bytes are all 7-bit (and whose serial number fits 32 bits) is exactly
// what the builder makes of its body and numbers.
void checkRebuild (const uint8_t* data, size_t size)
{
    if (! Rules::isValid (data, size, 0) || data[7] > 0x0F || *std::max_element (data + 5, data + size - 1) >= 0x80)
        return;

    auto& builder = container.sysexMessage;
    builder.productId = (uint16_t) Rules::number (data + 5, 2);
    builder.serialNumber = Rules::number (data + 7, 5);
    builder.sessionId = Rules::number (data + 12, 4);
    builder.sequenceNumber = Rules::number (data + 16, 4);
    const auto rebuilt = builder.CreateMessage (size > 24 ? data + 22 : nullptr, (unsigned short) (size - 24));
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
