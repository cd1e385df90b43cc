#include "AppFixture.h"

// What becomes of a received message: the monitor sees it first, the gate drops what is not
// a frame of this protocol, and the handler of the awaited reply judges the rest.

class ReceivePath : public AppFixture
{
};

//==============================================================================
TEST_F (ReceivePath, ANoteOnlyReachesTheMonitorAndAReplyQueuedFromAnInputClosedSinceIsStillHandled)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (searchAndWait());
    selectRow (0);
    ASSERT_EQ (virtualPorts.getNumOpenPorts(), 2);
    const auto alphaInput = probe->midiInputs()[0]->deviceInfo.identifier;
    showMidiMessages();
    probe->setRequestState (MainComponent::settingParameter);
    probe->awaitReply();
    const auto sequenceBefore = probe->deviceContainer().sysexMessage.sequenceNumber;
    const auto framesBefore = alpha.receivedFrames().size();

    virtualPorts.sendToInput (alphaInput, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 1; }));
    EXPECT_EQ (countLogLinesContaining (" R Note on C3"), 1);
    EXPECT_EQ (probe->requestState(), MainComponent::settingParameter);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequenceBefore);
    EXPECT_EQ (alpha.receivedFrames().size(), framesBefore);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 2);
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (alerts.empty());

    // An acknowledgement posted but not yet handled when its input goes away.
    alpha.sendToApp (alpha.makeFrame ({ 0x40, 0x00, 0x10, 0x03, 0x00 }, 0, 0));
    ASSERT_TRUE (virtualPorts.waitUntilDelivered());
    probe->deviceListBox().deselectRow (0);
    ASSERT_FALSE (virtualPorts.isInputOpen (alphaInput));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 2; }));
    EXPECT_EQ (countLogLinesContaining (" R Ack None"), 1);
    EXPECT_EQ (probe->requestState(), MainComponent::idle) << "the reply still passed the tests of its state";
}

//==============================================================================
// Frames of every length from 0 to 64 bytes in every request state, with a good envelope,
// mostly the right length and checksum, and random bodies that often carry the fields the
// awaited reply is tested on. Each outcome is checked against what the frame holds.
TEST_F (ReceivePath, NoFrameOfAnyLengthMakesAHandlerReadPastItsEnd)
{
    addPortPair();
    showMidiMessages(); // the monitor reads every frame first
    clickSearch(); // opens the pair and sends one discovery request on it
    auto* const input = openInputAt (0);
    ASSERT_NE (input, nullptr);
    const auto sequence = probe->midiOutputs()[0]->discoverySequence;
    auto& container = probe->deviceContainer();
    juce::Random random (0x5eed);
    int accepted[12] = {}; // by request state

    using Fields = std::vector<std::pair<int, juce::uint8>>; // frame position, value
    const Fields discoveryReply { { 22, 0x41 }, { 23, 0x01 }, { 38, 0x01 }, { 42, 0x02 }, { 44, 0x05 } };
    const Fields nameReply { { 22, 0x43 }, { 23, 0x02 }, { 26, 0x03 }, { 29, 0x01 } };
    const Fields acknowledgement { { 22, 0x40 }, { 23, 0x00 } };

    for (int state : { 1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 }) // discovering first, while the pair is open
    {
        const auto& fields = state == MainComponent::discovering ? discoveryReply : state == MainComponent::probingNames ? nameReply
                                                                                                                         : acknowledgement;

        for (int size = 0; size <= 64; ++size)
        {
            // The one length a discovery reply can have gets more tries.
            for (int trial = 0; trial < (state == MainComponent::discovering && size == 24 + 23 ? 400 : 40); ++trial)
            {
                std::vector<juce::uint8> bytes ((size_t) juce::jmax (size, 1)); // never empty: a real address even for 0 bytes
                const int range = random.nextInt (4) == 0 ? 256 : 128;
                for (auto& b : bytes)
                    b = (juce::uint8) random.nextInt (range);

                const juce::uint8 header[] = { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
                std::copy (header, header + juce::jlimit (1, 5, size), bytes.begin());

                if (size >= 24)
                {
                    zun::Wire::Write14 (&bytes[20], (juce::uint32) (random.nextInt (8) == 0 ? random.nextInt (128) : size - 24));
                    zun::Wire::Write28 (&bytes[12], 0);
                    if (random.nextBool())
                        zun::Wire::Write28 (&bytes[16], sequence);
                    if (random.nextInt (3) != 0)
                        for (auto [position, value] : fields)
                            if (position < size - 2)
                                bytes[(size_t) position] = value;
                    if (state == MainComponent::probingNames && size > 30)
                        bytes[28] = (juce::uint8) random.nextInt (random.nextBool() ? 8 : 128); // the name item's length

                    unsigned sum = 0;
                    for (int i = 5; i < size - 2; ++i)
                        sum += bytes[(size_t) i];
                    bytes[(size_t) (size - 2)] = (juce::uint8) ((0u - sum) & 0x7F);
                }

                if (size > 0 && random.nextInt (8) != 0)
                    bytes[(size_t) (size - 1)] = 0xF7;

                const juce::MidiMessage candidate (bytes.data(), size);
                const zun::FrameView frame (candidate);
                const int length = frame.BodyLength();
                const auto itemsBefore = probe->discoveredInterfaces().size();
                const auto cursorBefore = probe->probeCursor();
                const bool known = std::any_of (probe->discoveredInterfaces().begin(), probe->discoveredInterfaces().end(), [&] (auto* item)
                                                { return item->productId == frame.ProductId() && item->serialNumber == frame.SerialNumber(); });
                const bool fits = container.IsValidMidiMessage (candidate)
                                  && std::all_of (fields.begin(), fields.end(), [&] (auto f)
                                                  { return frame.Byte (f.first) == f.second; });
                // A name counts only from the probed interface's input, which probing reopens.
                const auto* probed = probe->discoveredInterfaces()[probe->probeCursor()];
                auto* const source = state == MainComponent::probingNames ? openInputAt (0) : input;
                const bool fromProbed = source != nullptr && probed != nullptr && openInputAt (probed->inputIndex) == source;
                const bool accept = fits && (state == MainComponent::discovering ? length == 23 && frame.SequenceNumber() == sequence && ! known : state == MainComponent::probingNames ? length >= 8 && fromProbed
                                                                                                                                                                                        : state >= MainComponent::loadingPreset && length == 5);

                // A name is only bytes of the body, from frame byte 30 on, as many as the item claims.
                juce::String name;
                for (int i = 30; i < juce::jmin (28 + (int) frame.Byte (28), 22 + length); ++i)
                    name += frame.Byte (i) != 0 ? juce::String::charToString ((juce::juce_wchar) frame.Byte (i)) : juce::String();

                probe->setRequestState ((juce::uint8) state);
                probe->receive (source, candidate);
                SCOPED_TRACE ("state " + std::to_string (state) + ": " + juce::String::toHexString (candidate.getRawData(), size).toStdString());

                const bool naming = state == MainComponent::probingNames;
                EXPECT_EQ (probe->discoveredInterfaces().size(), itemsBefore + (state == MainComponent::discovering && accept ? 1 : 0));
                EXPECT_EQ (probe->probeCursor(), cursorBefore + (naming && accept ? 1 : 0));
                EXPECT_TRUE (! naming || ! accept || container.productName == name) << container.productName << " instead of " << name;
                EXPECT_TRUE (naming || probe->requestState() == (state >= MainComponent::loadingPreset && accept ? 0 : state));
                accepted[state] += accept ? 1 : 0;
            }
        }
    }

    // The candidates did reach the handlers, not only the gate.
    for (int state : { 1, 2, 9, 10, 11 })
        EXPECT_GT (accepted[state], 5) << state;
}
