#include "CodeTables.h"
#include "MainComponent.h"

// The MIDI monitor: one line per message sent or received while "Show MIDI Messages" is on.

namespace
{
// The whole part of a non-negative time value; anything else (negative, not finite, or
// 2^63 and above, which a 64-bit integer cannot hold) reads as 0, so every field below stays
// in its range.
juce::int64 wholePart (double value) noexcept
{
    return value >= 0.0 && value < 9223372036854775808.0 ? (juce::int64) value : 0;
}

// The clock reading as hh:mm:ss.mmm, wrapped at 24 hours.
juce::String formatTimeStamp (double seconds)
{
    const auto hours = (int) (wholePart (seconds / 3600.0) % 24);
    const auto minutes = (int) (wholePart (seconds / 60.0) % 60);
    const auto wholeSeconds = (int) (wholePart (seconds) % 60);
    const auto milliseconds = (int) (wholePart (seconds * 1000.0) % 1000);

    return juce::String::formatted ("%02d:%02d:%02d.%03d", hours, minutes, wholeSeconds, milliseconds);
}

juce::String noteName (int noteNumber)
{
    return juce::MidiMessage::getMidiNoteName (noteNumber, true, true, 3);
}

juce::String controllerName (int controllerNumber)
{
    const auto* name = juce::MidiMessage::getControllerName (controllerNumber);
    return name != nullptr && *name != 0 ? juce::String (name) : "[" + juce::String (controllerNumber) + "]";
}

juce::String describeFrame (const zun::FrameView& frame)
{
    constexpr int firstShownByte = zun::Frame::productIdPos; // everything after the 0x7D
    constexpr int ackErrorPos = zun::Frame::bodyPos + 4;
    constexpr int shortestAckBody = 5;

    const auto bodyLength = frame.BodyLength();
    const auto messageClass = frame.Byte (zun::Frame::bodyPos);
    juce::String head;

    if (bodyLength == 0)
    {
        head = "Ping";
    }
    else if (messageClass == zun::MessageClass::Ack)
    {
        // A short acknowledgement has no error code: the byte where it would be is the
        // checksum or beyond, so it is shown as unknown rather than misread.
        head = juce::String ("Ack ")
               + (bodyLength >= shortestAckBody ? zun::AckErrorName (frame.Byte (ackErrorPos)) : "???");
    }
    else
    {
        const auto* word = zun::MessageClassMonitorWord (messageClass);
        const auto* name = zun::DataClassName (frame.Byte (zun::Frame::bodyPos + 1));
        head = juce::String (word != nullptr ? word : "") + (name != nullptr ? name : "");
    }

    // Up to and including the checksum; the closing 0xF7 is left out.
    return head + ": "
           + juce::String::toHexString (frame.Data() + firstShownByte, frame.Size() - firstShownByte - 1);
}

juce::String describeOrdinaryMessage (const juce::uint8* data, int size)
{
    if (size <= 0)
        return {};

    const int status = data[0];
    const int kind = status & 0xF0;
    const bool hasD1 = size >= 2, hasD2 = size >= 3;
    const int d1 = hasD1 ? data[1] : 0;
    const int d2 = hasD2 ? data[2] : 0;

    // A channel message is described only when it holds the data bytes its row reads;
    // a truncated one falls through to the bytes.
    if (kind == 0x90 && hasD2 && d2 != 0)
        return "Note on " + noteName (d1);
    if ((kind == 0x80 && hasD1) || (kind == 0x90 && hasD2 && d2 == 0))
        return "Note off " + noteName (d1);
    if (kind == 0xC0 && hasD1)
        return "Program change " + juce::String (d1);
    if (kind == 0xE0 && hasD2)
        return "Pitch wheel " + juce::String (d1 + 128 * d2);
    if (kind == 0xA0 && hasD2)
        return "After touch " + noteName (d1) + ": " + juce::String (d2);
    if (kind == 0xD0 && hasD1)
        return "Channel pressure " + juce::String (d1);
    if (kind == 0xB0 && hasD1 && d1 == 123)
        return "All notes off";
    if (kind == 0xB0 && hasD1 && d1 == 120)
        return "All sound off";
    if (status == 0xFF)
        return "Meta event";
    if (kind == 0xB0 && hasD2)
        return "Controller " + controllerName (d1) + ": " + juce::String (d2);

    return juce::String::toHexString (data, size);
}
} // namespace

//==============================================================================
void MainComponent::addMessageToList (const juce::MidiMessage& message, bool isOutgoing)
{
    // Off costs one read of the toggle: nothing is formatted or described.
    if (! showMidiMessagesToggle.getToggleState())
        return;

    const auto timeStamp = message.getTimeStamp();
    const auto number = juce::String::formatted ("%d", logLineCounter);
    ++logLineCounter;

    const auto time = formatTimeStamp (timeStamp);
    const auto line = number + " - " + time + (isOutgoing ? " S " : " R ") + getMidiMessageDescription (message);

    // The view ends each line itself (getText gives "\r\n"), drops any selection and
    // scrolls to the new line at its next frame.
    midiLog.appendLine (line);
}

juce::String MainComponent::getMidiMessageDescription (const juce::MidiMessage& message)
{
    const zun::FrameView frame (message);

    if (deviceContainer.IsValidMidiMessage (message))
        return describeFrame (frame);

    return describeOrdinaryMessage (frame.Data(), frame.Size());
}

void MainComponent::clearLog()
{
    midiLog.clear();
    logLineCounter = 1;
}
