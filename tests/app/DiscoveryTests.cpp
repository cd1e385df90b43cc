#include "AppFixture.h"

// "Search": every port opens, each output gets its own discovery request, replies are paired
// with their ports for 500 ms, then each interface found is asked for its name over its own
// two ports, and the list shows one row per interface.

namespace
{
using Kind = InterfaceEmulator::RequestKind;

juce::uint32 sequenceOf (const std::optional<InterfaceEmulator::ReceivedFrame>& frame)
{
    return frame ? zun::FrameView (frame->message).SequenceNumber() : 0xFFFFFFFF;
}
} // namespace

class Discovery : public AppFixture
{
protected:
    juce::uint32 nextSequence() { return probe->deviceContainer().sysexMessage.sequenceNumber; }
    juce::uint32 sequenceSentOn (int output) { return probe->midiOutputs()[output]->discoverySequence; }
};

//==============================================================================
TEST_F (Discovery, WithNoPortsSearchSendsNothingFindsNothingAndShowsNoAlert)
{
    showMidiMessages();
    const auto sequenceBefore = nextSequence();

    ASSERT_TRUE (searchAndWait());
    EXPECT_EQ (nextSequence(), sequenceBefore) << "no frame was built";
    EXPECT_TRUE (probe->midiLog().getNumLines() == 0 && numRows() == 0 && alerts.empty() && ! probe->anyTimerRunning());
}

// Between them an output that refuses to open: it keeps its index and gets no request. The
// window, begun after an idle loop, lasts its full 500 ms: the name request, which follows its
// end and a 400 ms pause, goes out no sooner than 900 ms after the discovery request.
TEST_F (Discovery, TwoInterfacesGetConsecutiveRequestsAndAreNamedAndListedInTheOrderOfTheirReplies)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    auto& refused = addInterface (interfaceNamed ("Refused", 0x0777, 0x00000777));
    auto& beta = addInterface (interfaceNamed ("Beta", 0x0005, 0x0000ABCD));
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::discovery }; }); // on the first pair, but answers last
    const auto refusedOutput = virtualPorts.getAvailableOutputs()[1].identifier;
    virtualPorts.setRefuseToOpen (refusedOutput, true);
    const auto first = nextSequence();
    ui::pump (300);

    clickSearch();
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->discoveredInterfaces().size() == 1; }));
    probe->receive (openInputAt (0), alpha.makeFrame (alpha.discoveryReplyBody(), 0, first));
    ASSERT_TRUE (waitUntilIdle());

    // Each open output got one request of its own; each interface was asked its name once.
    EXPECT_EQ (kindsReceived (alpha), "discovery getProductName");
    EXPECT_EQ (kindsReceived (beta), "discovery getProductName");
    EXPECT_TRUE (refused.receivedFrames().empty());
    EXPECT_EQ (sequenceOf (alpha.lastOf (Kind::discovery)), first);
    EXPECT_EQ (sequenceOf (beta.lastOf (Kind::discovery)), first + 1) << "no frame was built for the refused output";
    const auto sentMs = [&beta] (Kind kind)
    { return beta.lastOf (kind)->message.getTimeStamp() * 1000.0; };
    EXPECT_GE (sentMs (Kind::getProductName) - sentMs (Kind::discovery), 900.0);
    ASSERT_EQ (probe->midiOutputs().size(), 3);
    EXPECT_EQ (probe->midiOutputs()[1]->deviceInfo.identifier, refusedOutput);

    ASSERT_EQ (numRows(), 2);
    EXPECT_EQ (rowText (0), "Beta SN: 0000ABCD");
    EXPECT_EQ (rowText (1), "Alpha SN: 12345678");
    EXPECT_TRUE (probe->discoveredInterfaces()[0]->inputIndex == 2 && probe->discoveredInterfaces()[0]->outputIndex == 2);
    EXPECT_TRUE (virtualPorts.getNumOpenPorts() == 0 && alerts.empty());
}

// Replies handed straight to the receive path while the window is open, each after the one
// before, so each case shows the one test it fails.
TEST_F (Discovery, AReplyIsPairedWithTheOutputWhoseNumberItEchoesAndRepliesFailingATestAreIgnored)
{
    const auto pair0 = addPortPair(), pair1 = addPortPair();
    auto& alpha = addInterfaceOn ({ pair0, pair1 }, interfaceNamed ("Alpha", 0x1234, 0x12345678));
    auto& sameSerial = addInterfaceOn ({}, interfaceNamed ("Other", 0x0777, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::discovery }; });
    clickSearch();

    auto *const input0 = openInputAt (0), *const input1 = openInputAt (1);
    ASSERT_TRUE (input0 != nullptr && input1 != nullptr);
    const auto s0 = sequenceSentOn (0), s1 = sequenceSentOn (1);

    const auto valid = alpha.discoveryReplyBody();
    auto changed = [&] (int framePosition, juce::uint8 value)
    {
        auto body = valid;
        body[(size_t) (framePosition - zun::Frame::bodyPos)] = value;
        return body;
    };
    auto longer = valid;
    longer.push_back (0);

    struct ForeignInput final : MidiInputPort
    {
        void start() override {}
        void stop() override {}
    } foreign;

    const struct
    {
        const char* what;
        MidiInputPort* input;
        std::vector<juce::uint8> body;
        juce::uint32 sequence;
    } ignored[] = {
        { "an unknown sequence number", input0, valid, s1 + 5 },
        { "an input outside the list", &foreign, valid, s0 },
        { "L = 22", input0, { valid.begin(), valid.end() - 1 }, s0 },
        { "L = 24", input0, longer, s0 },
        { "message class RetParmVal", input0, changed (22, 0x43), s0 },
        { "data class DeviceInfo", input0, changed (23, 0x02), s0 },
        { "byte 38 = 0", input0, changed (38, 0x00), s0 },
        { "byte 42 = 3", input0, changed (42, 0x03), s0 },
        { "byte 44 = 4", input0, changed (44, 0x04), s0 },
    };

    for (const auto& c : ignored)
    {
        probe->receive (c.input, alpha.makeFrame (c.body, 0, c.sequence));
        EXPECT_EQ (probe->discoveredInterfaces().size(), 0) << c.what;
    }

    // The first output's number, in on the second input: paired with output 0 and input 1.
    probe->receive (input1, alpha.makeFrame (valid, 0, s0));
    ASSERT_EQ (probe->discoveredInterfaces().size(), 1);
    EXPECT_TRUE (probe->discoveredInterfaces()[0]->inputIndex == 1 && probe->discoveredInterfaces()[0]->outputIndex == 0);
    EXPECT_EQ (rowText (0), "Product ID: 1234 SN: 12345678");

    // Its duplicate over the other pair is ignored; another product id with the same serial
    // number is another interface.
    probe->receive (input0, alpha.makeFrame (valid, 0, s1));
    EXPECT_EQ (probe->discoveredInterfaces().size(), 1) << "the first reply of an interface wins";
    probe->receive (input0, sameSerial.makeFrame (sameSerial.discoveryReplyBody(), 0, s1));
    ASSERT_EQ (probe->discoveredInterfaces().size(), 2);
    EXPECT_EQ (probe->discoveredInterfaces()[1]->outputIndex, 1);
}

TEST_F (Discovery, ASecondSearchWithinTheWindowStartsAfresh)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::discovery] = 100.0; });

    const auto firstClick = juce::Time::getMillisecondCounterHiRes();
    clickSearch();
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->discoveredInterfaces().size() == 1; }));
    const MidiDeviceListEntry::Ptr oldInput = probe->midiInputs()[0];

    ui::pump (juce::jmax (0, (int) (firstClick + 300.0 - juce::Time::getMillisecondCounterHiRes())));
    clickSearch();
    EXPECT_EQ (probe->discoveredInterfaces().size(), 0) << "the list was emptied";
    EXPECT_NE (probe->midiInputs()[0].get(), oldInput.get()) << "the port lists were rebuilt";

    // The first window would have ended by now; the second still runs.
    ui::pump (juce::jmax (0, (int) (firstClick + 550.0 - juce::Time::getMillisecondCounterHiRes())));
    EXPECT_EQ (probe->requestState(), MainComponent::discovering);

    ASSERT_TRUE (waitUntilIdle());
    ASSERT_EQ (numRows(), 1);
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678");
    EXPECT_EQ (kindsReceived (alpha), "discovery discovery getProductName");
}

TEST_F (Discovery, ANameReplyMissingItsTwoSecondsGivesOneTimeOutAndStillFinishesTheProbingWhenItComes)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::getProductName] = 3500.0; }); // well after the time-out

    clickSearch();
    ASSERT_TRUE (waitForAlert());
    ASSERT_EQ (alpha.countOf (Kind::getProductName), 1);
    const auto requestSentMs = alpha.lastOf (Kind::getProductName)->message.getTimeStamp() * 1000.0;
    EXPECT_EQ (alerts[0].title + ": " + alerts[0].message, "Time Out Error: Something went wrong, was expecting a message from interface but did not receive one.");
    EXPECT_TRUE (alerts[0].timeMs - requestSentMs >= 2000.0 && alerts[0].timeMs - requestSentMs <= 3400.0) << alerts[0].timeMs - requestSentMs << " ms, never before the two seconds";
    EXPECT_EQ (probe->requestState(), MainComponent::probingNames);
    EXPECT_EQ (rowText (0), "Product ID: 1234 SN: 12345678") << "the first label until the name arrives";

    ASSERT_TRUE (waitUntilIdle());
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678");
    EXPECT_TRUE (virtualPorts.getNumOpenPorts() == 0 && alerts.size() == 1u);
}

// One interface per case, told apart by serial number, all found in one search. Each answers
// twice, its name late: the copy of one interface's name, queued while its ports closed,
// reaches the component while the next is asked and must not name it.
TEST_F (Discovery, TheNameReplyBecomesTheRowAndNeverReadsPastTheFrame)
{
    const struct
    {
        std::string name;
        std::optional<juce::uint8> itemLength; // in place of the item's own length byte
        juce::String expectedName;
    } cases[] = {
        { "Failover One", {}, "Failover One" },
        { "", {}, "" },
        { std::string ("Ab\0cd", 5), {}, "Abcd" }, // a zero byte is left out
        { "Xyz", juce::uint8 (0x7F), "Xyz" }, // cut at the body's end
        { "Xyz", juce::uint8 (6), "Xyz" }, // one byte beyond the body
        { "Xyz", juce::uint8 (3), "X" },
        { "Xyz", juce::uint8 (2), "" },
        { "Xyz", juce::uint8 (1), "" },
        { "Xyz", juce::uint8 (0), "" },
    };

    for (juce::uint32 i = 0; i < std::size (cases); ++i)
        addInterface (interfaceNamed (cases[i].name, 0x1234, 0x100 + i)).configure ([&] (auto& c)
                                                                                    {
                                                                                        c.productNameItemLength = cases[i].itemLength;
                                                                                        c.duplicateReplies = true;
                                                                                        c.replyDelayMsFor[Kind::getProductName] = 100.0; });

    ASSERT_TRUE (searchAndWait());
    ASSERT_EQ (numRows(), (int) std::size (cases));
    EXPECT_TRUE (alerts.empty());

    for (auto* item : probe->discoveredInterfaces())
    {
        ASSERT_LT (item->serialNumber - 0x100, std::size (cases));
        const auto& c = cases[item->serialNumber - 0x100];
        EXPECT_EQ (item->label, c.expectedName + " SN: " + juce::String::toHexString ((int) item->serialNumber).paddedLeft ('0', 8));
    }
}
