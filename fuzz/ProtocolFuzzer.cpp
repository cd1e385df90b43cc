#include "FrameRules.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

// Holds the protocol layer to the plain statement of the frame rules the protocol tests build
// their frames with (tests/protocol/FrameRules.h): validation must agree with it on every
// input and session, the frame reader at every index in and around the frame, and the builder
// must make the frame the rules make of its numbers and body.

namespace
{
using frames::Bytes;

// One container for all inputs, as the application has one; every field the checks depend
// on is set from the input, so a finding replays alike.
zun::DeviceContainer container;

void checkValidation (const uint8_t* data, size_t size)
{
    const auto ownSession = size >= 16 ? frames::Number (data + 12, 4) : 0u;

    for (auto sessionId : { 0u, ownSession, (ownSession + 1) & 0x0FFFFFFFu, ownSession | 0x10000000u })
    {
        container.sysexMessage.sessionId = sessionId;
        const auto expected = frames::IsValid (data, size, sessionId);
        FUZZ_CHECK (container.IsValidMidiMessage (data, (int) size) == expected && container.IsValidMidiMessage (juce::MidiMessage (data, (int) size)) == expected);
    }

    FUZZ_CHECK (! container.IsValidMidiMessage (nullptr, (int) size));
}

// Whether count bytes from index lie within a frame of n bytes.
bool fits (int index, int count, int n) { return index >= 0 && count >= 0 && index + count <= n; }

void checkFrameView (const uint8_t* data, size_t size)
{
    const auto n = (int) size;
    const zun::FrameView view (data, n);
    FUZZ_CHECK (view.Size() == n);

    for (int i = -6; i <= n + 6; ++i)
    {
        FUZZ_CHECK (view.Byte (i) == (fits (i, 1, n) ? data[i] : 0));

        for (auto [read, count] : { std::pair { &zun::FrameView::Read14, 2 }, { &zun::FrameView::Read28, 4 }, { &zun::FrameView::Read32, 5 } })
            FUZZ_CHECK ((view.*read) (i) == (fits (i, count, n) ? frames::Number (data + i, count) : 0));

        for (int count = -1; count <= 6; ++count)
            FUZZ_CHECK (view.Has (i, count) == fits (i, count, n));
    }

    FUZZ_CHECK (view.ProductId() == view.Read14 (5) && view.SerialNumber() == view.Read32 (7) && view.SessionId() == view.Read28 (12));
    FUZZ_CHECK (view.SequenceNumber() == view.Read28 (16) && view.BodyLength() == (int) view.Read14 (20));

    FUZZ_CHECK (zun::FrameView (nullptr, n).Size() == 0 && zun::FrameView (nullptr, n).Read32 (0) == 0);
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
    const auto sequenceBefore = builder.sequenceNumber;
    const auto message = builder.CreateMessage (nullBody ? nullptr : body.data(), length);
    const Bytes frame (message.getRawData(), message.getRawData() + message.getRawDataSize());

    // Refused: the empty SysEx F0 F7 comes back and the sequence number is not used up (that
    // nothing else changes is the builder tests' matter).
    if (length > 488 || (nullBody && length != 0))
    {
        FUZZ_CHECK (frame == (Bytes { 0xF0, 0xF7 }) && builder.sequenceNumber == sequenceBefore);
        return;
    }

    FUZZ_CHECK (frame == frames::Frame (body, builder.sessionId, builder.productId, builder.serialNumber, sequenceBefore));
    FUZZ_CHECK (builder.sequenceNumber == ((sequenceBefore + 1) & 0x0FFFFFFFu) && builder.bodyLength == length && message.getTimeStamp() == 0.0);

    // Validation judges the builder's own frame by the rules.
    FUZZ_CHECK (container.IsValidMidiMessage (message) == frames::IsValid (frame.data(), frame.size(), builder.sessionId));
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
    return 0;
}
