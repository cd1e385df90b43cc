#include "AppFixture.h"

// What becomes of a received message: the monitor sees it first, the gate drops what is not
// a frame of this protocol, and the handler of the awaited reply judges the rest.

namespace
{
using Kind = InterfaceEmulator::RequestKind;

const std::vector<juce::uint8> acknowledgement { 0x40, 0x00, 0x10, 0x03, 0x00 };
} // namespace

class ReceivePath : public AppFixture
{
protected:
    // Alpha found, named and selected: its two ports are open.
    void connectAlpha()
    {
        InterfaceEmulator::Config config;
        config.productName = "Alpha";
        alpha = &addInterface (config);
        ASSERT_TRUE (searchAndWait());
        ASSERT_EQ (numRows(), 1);
        selectRow (0);
        ASSERT_EQ (virtualPorts.getNumOpenPorts(), 2);
    }

    juce::String alphaInput() { return probe->midiInputs()[0]->deviceInfo.identifier; }

    InterfaceEmulator* alpha = nullptr;
};

//==============================================================================
TEST_F (ReceivePath, ChannelMessagesAreLoggedAndChangeNothingElse)
{
    connectAlpha();
    showMidiMessages();
    probe->setRequestState (MainComponent::settingParameter);
    probe->awaitReply();
    const auto sequenceBefore = probe->deviceContainer().sysexMessage.sequenceNumber;
    const auto framesBefore = alpha->receivedFrames().size();

    virtualPorts.sendToInput (alphaInput(), juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
    virtualPorts.sendToInput (alphaInput(), juce::MidiMessage::controllerEvent (1, 7, 64));
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 2; }));

    EXPECT_EQ (countLogLinesContaining (" R Note on C3"), 1);
    EXPECT_EQ (countLogLinesContaining (" R Controller Volume (coarse): 64"), 1);

    EXPECT_EQ (probe->requestState(), MainComponent::settingParameter);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequenceBefore);
    EXPECT_EQ (alpha->receivedFrames().size(), framesBefore);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 2);
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (alerts.empty());
}

TEST_F (ReceivePath, AFrameThatFailsTheGateIsLoggedAndOtherwiseIgnored)
{
    connectAlpha();
    showMidiMessages();
    probe->setRequestState (MainComponent::settingParameter);
    probe->awaitReply();

    auto frame = alpha->makeFrame (acknowledgement, 0, 0);
    auto* bytes = const_cast<juce::uint8*> (frame.getRawData());
    bytes[frame.getRawDataSize() - 2] ^= 0x01; // the checksum no longer adds up

    alpha->sendToApp (frame);
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 1; }));

    EXPECT_EQ (countLogLinesContaining (" R f0 00 2e 5a 7d"), 1) << "shown as plain bytes";
    EXPECT_EQ (probe->requestState(), MainComponent::settingParameter);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));

    // The same frame with its checksum intact is the awaited reply.
    alpha->sendToApp (alpha->makeFrame (acknowledgement, 0, 0));
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; }));
    EXPECT_FALSE (probe->isTimerRunning (MainComponent::replyTimeout));
}

TEST_F (ReceivePath, AMessageStillQueuedFromAnInputThatHasClosedIsHandledWithoutTouchingIt)
{
    connectAlpha();
    showMidiMessages();
    probe->setRequestState (MainComponent::settingParameter);

    alpha->sendToApp (alpha->makeFrame (acknowledgement, 0, 0));
    ASSERT_TRUE (virtualPorts.waitUntilDelivered());

    // Posted but not yet handled: the input goes away under it.
    probe->deviceListBox().deselectRow (0);
    ASSERT_FALSE (virtualPorts.isInputOpen (alphaInput()));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->midiLog().getNumLines() == 1; }));
    EXPECT_EQ (countLogLinesContaining (" R Ack None"), 1);
    EXPECT_EQ (probe->requestState(), MainComponent::idle) << "the reply still passed the tests of its state";
}

TEST_F (ReceivePath, ADiscoveryReplyFromAnInputClosedSinceIsNotPaired)
{
    auto& beta = addInterface();
    beta.configure ([] (auto& c)
                    { c.ignoredRequests = { Kind::discovery }; });
    clickSearch();

    const auto sequence = probe->midiOutputs()[0]->discoverySequence;
    beta.sendToApp (beta.makeFrame (beta.discoveryReplyBody(), 0, sequence));
    ASSERT_TRUE (virtualPorts.waitUntilDelivered());

    app->closeDevice (true, 0);
    ui::pump (20);
    EXPECT_EQ (probe->discoveredInterfaces().size(), 0);

    // Reopened, the entry holds a new port object; the old pointer still names nothing.
    app->openDevice (true, 0);
    ASSERT_NE (openInputAt (0), nullptr);
    probe->receive (openInputAt (0), beta.makeFrame (beta.discoveryReplyBody(), 0, sequence));
    EXPECT_EQ (probe->discoveredInterfaces().size(), 1);
}

//==============================================================================
// Frames of every length from 0 to 64 bytes, with a good envelope and, where there is room,
// the right length and checksum, and random bodies that often begin like the awaited reply,
// in every request state. Each outcome is checked against what the frame holds.
TEST_F (ReceivePath, NoFrameMakesAHandlerReadPastItsEnd)
{
    const auto pair = addPortPair ("Bare");
    virtualPorts.setOutputListener (pair.output, [] (const juce::MidiMessage&) {});
    showMidiMessages();
    clickSearch(); // opens the pair and sends one discovery request on it

    auto* const input = openInputAt (0);
    ASSERT_NE (input, nullptr);
    const auto sequence = probe->midiOutputs()[0]->discoverySequence;

    juce::Random random (0x5eed);
    auto& container = probe->deviceContainer();
    int acceptedReplies = 0, acceptedNames = 0, acceptedAcks = 0;

    auto makeCandidate = [&] (int size, juce::uint8 state) -> juce::MidiMessage
    {
        // Never empty, so even the 0-byte message is made from a real address.
        std::vector<juce::uint8> bytes ((size_t) juce::jmax (size, 1));
        const bool highBytes = random.nextInt (4) == 0;

        for (auto& b : bytes)
            b = (juce::uint8) random.nextInt (highBytes ? 256 : 128);

        const juce::uint8 header[] = { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
        for (int i = 0; i < juce::jmax (1, juce::jmin (size, 5)); ++i)
            bytes[(size_t) i] = header[i];

        auto put = [&] (int position, juce::uint8 value)
        {
            if (position < size - 2)
                bytes[(size_t) position] = value;
        };

        if (size >= 24)
        {
            const int length = size - 24;
            zun::Wire::Write14 (bytes.data() + 20, random.nextInt (8) == 0 ? (juce::uint32) random.nextInt (128) : (juce::uint32) length);
            zun::Wire::Write28 (bytes.data() + 12, 0);

            if (random.nextBool())
                zun::Wire::Write28 (bytes.data() + 16, sequence);

            if (random.nextInt (3) != 0)
            {
                switch (state)
                {
                    case MainComponent::discovering:
                        put (22, 0x41), put (23, 0x01), put (38, 0x01), put (42, 0x02), put (44, 0x05);
                        break;
                    case MainComponent::probingNames:
                        put (22, 0x43), put (23, 0x02), put (26, 0x03), put (29, 0x01);
                        put (28, (juce::uint8) random.nextInt (random.nextBool() ? 8 : 128));
                        break;
                    default:
                        put (22, 0x40), put (23, 0x00);
                        break;
                }
            }

            unsigned sum = 0;
            for (int i = 5; i < size - 2; ++i)
                sum += bytes[(size_t) i];

            bytes[(size_t) (size - 2)] = (juce::uint8) ((0u - sum) & 0x7F);
        }

        if (size > 0 && random.nextInt (8) != 0)
            bytes[(size_t) (size - 1)] = 0xF7;

        return juce::MidiMessage (bytes.data(), size);
    };

    // Every state, discovering first while the bare pair's ports are still open.
    for (int state : { 1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 })
    {
        for (int size = 0; size <= 64; ++size)
        {
            // The one length a discovery reply can have gets more tries.
            const int trials = state == MainComponent::discovering && size == 24 + 23 ? 400 : 40;

            for (int trial = 0; trial < trials; ++trial)
            {
                probe->setRequestState ((juce::uint8) state);
                const auto candidate = makeCandidate (size, (juce::uint8) state);
                const zun::FrameView frame (candidate);
                const bool valid = container.IsValidMidiMessage (candidate);
                const auto itemsBefore = probe->discoveredInterfaces().size();
                const auto cursorBefore = probe->probeCursor();
                bool knownBefore = false;
                for (auto* item : probe->discoveredInterfaces())
                    knownBefore = knownBefore || (item->productId == frame.ProductId() && item->serialNumber == frame.SerialNumber());

                probe->receive (input, candidate);

                SCOPED_TRACE ("state " + std::to_string (state) + ", size " + std::to_string (size)
                              + ": " + juce::String::toHexString (candidate.getRawData(), candidate.getRawDataSize()).toStdString());

                const int length = frame.BodyLength();
                const auto b = [&] (int i)
                { return frame.Byte (i); };

                if (state == MainComponent::discovering)
                {
                    const bool isReply = valid && frame.SequenceNumber() == sequence && length == 23 && b (22) == 0x41
                                         && b (23) == 0x01 && b (38) == 0x01 && b (42) == 0x02 && b (44) == 0x05;
                    const bool expectNew = isReply && ! knownBefore;
                    EXPECT_EQ (probe->discoveredInterfaces().size(), itemsBefore + (expectNew ? 1 : 0));
                    EXPECT_EQ (probe->requestState(), MainComponent::discovering);
                    acceptedReplies += expectNew ? 1 : 0;
                }
                else if (state == MainComponent::probingNames)
                {
                    const bool isName = valid && length >= 8 && b (22) == 0x43 && b (23) == 0x02 && b (26) == 0x03 && b (29) == 0x01;
                    EXPECT_EQ (probe->probeCursor(), cursorBefore + (isName ? 1 : 0));

                    if (isName)
                    {
                        // Only bytes of the body, from frame byte 30 on, as many as the item claims.
                        juce::String expected;
                        const int end = juce::jmin (30 + (int) b (28) - 2, 22 + length);
                        for (int i = 30; i < end; ++i)
                            if (b (i) != 0)
                                expected += juce::String::charToString ((juce::juce_wchar) b (i));

                        EXPECT_EQ (container.productName, expected);
                        ++acceptedNames;
                    }
                }
                else if (state >= MainComponent::loadingPreset)
                {
                    const bool isAck = valid && length == 5 && b (22) == 0x40 && b (23) == 0x00;
                    EXPECT_EQ (probe->requestState(), isAck ? MainComponent::idle : state);
                    acceptedAcks += isAck ? 1 : 0;
                }
                else
                {
                    EXPECT_EQ (probe->requestState(), state);
                    EXPECT_EQ (probe->discoveredInterfaces().size(), itemsBefore);
                }
            }
        }
    }

    // The candidates did reach the handlers, not only the gate.
    EXPECT_GT (acceptedReplies, 10);
    EXPECT_GT (acceptedNames, 10);
    EXPECT_GT (acceptedAcks, 10);
}
