#pragma once

#include "FrameView.h"

namespace zun
{
    // The frame builder: keeps the numbers stamped into every request and builds each
    // frame in its own buffer. There is one per connection state (see DeviceContainer).
    class SysexMessage
    {
    public:
        SysexMessage();

        // Builds the frame of a body (a null body with length 0 gives the empty-bodied
        // Ping), advances the sequence number and returns a copy with time stamp 0.
        // A body that does not fit the buffer gives an empty message and changes nothing.
        juce::MidiMessage CreateMessage (const unsigned char* body, unsigned short length);

        // Draws a new 28-bit session id from the generator.
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
