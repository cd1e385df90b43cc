#pragma once

#include "FrameView.h"

namespace zun
{
// The frame builder: keeps the numbers stamped into every request and builds each
// frame in its own buffer. Bytes 0 to 4 of the buffer hold the fixed header from
// construction on; bytes after the last frame built keep older content.
// Message thread only: it holds no lock.
class SysexMessage final
{
public:
    SysexMessage();

    // Builds the frame of a body (a null body with length 0 gives the empty-bodied
    // Ping), advances the sequence number and returns a copy with time stamp 0.
    //
    // A body longer than Frame::maxBodyLength (488 bytes), or a null body with a
    // non-zero length, is refused: the result is a default juce::MidiMessage, which in
    // JUCE 7.0.5 is the two-byte empty SysEx F0 F7 with time stamp 0 (it fails
    // DeviceContainer::IsValidMidiMessage), and nothing changes: no byte of the buffer
    // is written, bodyLength keeps its value and the sequence number does not advance.
    juce::MidiMessage CreateMessage (const unsigned char* body, unsigned short length);

    // Draws a new 28-bit session id from the generator, which is seeded once at
    // construction and never reseeded.
    void DrawSessionId();

    juce::Random random;
    juce::uint8 frameBuffer[Frame::capacity];
    juce::uint32 sessionId = 0;
    juce::uint32 sequenceNumber = 0;
    juce::uint32 serialNumber = 0;
    juce::uint16 productId = 0;
    juce::uint16 bodyLength = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SysexMessage)
};
} // namespace zun
