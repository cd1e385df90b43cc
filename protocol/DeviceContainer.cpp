#include "DeviceContainer.h"
#include "CodeTables.h"

namespace zun
{
bool DeviceContainer::IsValidMidiMessage (const juce::MidiMessage& message) const noexcept
{
    return IsValidMidiMessage (message.getRawData(), message.getRawDataSize());
}

// The tests run in this order so that no byte is read outside the message: bytes 0 to
// 23 only once the size is at least 24, the classes only when the body has two bytes.
bool DeviceContainer::IsValidMidiMessage (const juce::uint8* data, int size) const noexcept
{
    if (data == nullptr || size < Frame::overhead)
        return false;

    for (int i = 0; i < Frame::productIdPos; ++i)
        if (data[i] != sysexMessage.frameBuffer[i])
            return false;

    // A session id of 0 means no session yet: the session bytes are not looked at.
    if (sysexMessage.sessionId != 0 && Wire::Read28 (data + Frame::sessionIdPos) != sysexMessage.sessionId)
        return false;

    const auto length = (int) Wire::Read14 (data + Frame::bodyLengthPos);

    // A one-byte body is never valid: it would have a message class but no data class.
    if (length == 1)
        return false;

    if (size - Frame::overhead != length)
        return false;

    if (data[size - 1] != 0xF7)
        return false;

    // The checksum byte is included, so a good frame sums to a multiple of 128.
    juce::uint32 sum = 0;

    for (int i = Frame::productIdPos; i < size - 1; ++i)
        sum += data[i];

    if ((sum & 0x7F) != 0)
        return false;

    if (length == 0)
        return true;

    const auto messageClass = data[Frame::bodyPos];
    const auto dataClass = data[Frame::bodyPos + 1];

    return messageClass < 0x80 && IsAcceptedMessageClass (messageClass) && IsAcceptedDataClass (dataClass);
}
} // namespace zun
