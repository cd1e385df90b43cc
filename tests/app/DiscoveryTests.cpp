#include "AppFixture.h"
#include "RequestTemplates.h"

// "Search": every port opens, each output gets its own discovery request, replies are paired
// with their ports for 500 ms, then each interface found is asked for its name over its own
// two ports, and the list shows one row per interface.

namespace
{
using Kind = InterfaceEmulator::RequestKind;

InterfaceEmulator::Config interfaceNamed (const std::string& name, juce::uint16 productId, juce::uint32 serialNumber)
{
    InterfaceEmulator::Config config;
    config.productName = name;
    config.productId = productId;
    config.serialNumber = serialNumber;
    return config;
}

juce::uint32 sequenceOf (const juce::MidiMessage& frame) { return zun::FrameView (frame).SequenceNumber(); }

bool headerIdsAreZero (const juce::MidiMessage& frame)
{
    const zun::FrameView view (frame);
    return view.ProductId() == 0 && view.SerialNumber() == 0 && view.SessionId() == 0;
}
} // namespace

class Discovery : public AppFixture
{
protected:
    // A discovery reply of the given interface echoing the given sequence number.
    static juce::MidiMessage replyFrom (const InterfaceEmulator& emulator, juce::uint32 sequence)
    {
        return emulator.makeFrame (emulator.discoveryReplyBody(), 0, sequence);
    }

    juce::uint32 sequenceSentOn (int outputIndex)
    {
        return probe->midiOutputs()[outputIndex]->discoverySequence;
    }

    bool windowHasEnded()
    {
        return ui::pumpUntil ([this]
                              { return ! probe->isTimerRunning (MainComponent::discoveryWindow); });
    }
};

//==============================================================================
TEST_F (Discovery, WithNoPortsSearchSendsNothingFindsNothingAndShowsNoAlert)
{
    showMidiMessages();
    const auto sequenceBefore = probe->deviceContainer().sysexMessage.sequenceNumber;

    clickSearch();
    EXPECT_EQ (probe->requestState(), MainComponent::discovering);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::discoveryWindow));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; }));

    EXPECT_EQ (probe->deviceContainer().sysexMessage.sequenceNumber, sequenceBefore) << "no frame was built";
    EXPECT_TRUE (logLines().empty());
    EXPECT_EQ (numRows(), 0);
    EXPECT_TRUE (alerts.empty());
    EXPECT_FALSE (probe->anyTimerRunning());
}

TEST_F (Discovery, TwoInterfacesAreFoundNamedAndListedInTheOrderOfTheirReplies)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    auto& beta = addInterface (interfaceNamed ("Beta", 0x0005, 0x0000ABCD));

    // Alpha sits on the first port pair but answers later.
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::discovery] = 150.0; });

    ASSERT_TRUE (searchAndWait());

    ASSERT_EQ (numRows(), 2);
    EXPECT_EQ (rowText (0), "Beta SN: 0000ABCD");
    EXPECT_EQ (rowText (1), "Alpha SN: 12345678");

    const auto& items = probe->discoveredInterfaces();
    EXPECT_EQ (items[0]->inputIndex, 1);
    EXPECT_EQ (items[0]->outputIndex, 1);
    EXPECT_EQ (items[1]->inputIndex, 0);
    EXPECT_EQ (items[1]->outputIndex, 0);

    // Each was asked for its name once, over its own ports, with zeros in the header.
    for (auto* emulator : { &alpha, &beta })
    {
        ASSERT_EQ (emulator->countOf (Kind::getProductName), 1);
        EXPECT_TRUE (headerIdsAreZero (emulator->lastOf (Kind::getProductName)->message));
        EXPECT_EQ (emulator->countOf (Kind::discovery), 1);
    }

    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 0);
    EXPECT_EQ (probe->deviceListBox().getSelectedRow(), -1);
    EXPECT_EQ (probe->deviceContainer().productName, "Alpha") << "the name asked for last";
    EXPECT_TRUE (alerts.empty());
    EXPECT_FALSE (probe->anyTimerRunning());
}

TEST_F (Discovery, TheListTakesInTheInterfacesOnlyWhenTheLastNameHasArrived)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::getProductName] = 300.0; });

    clickSearch();
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::probingNames; }));

    EXPECT_EQ (probe->discoveredInterfaces().size(), 1);
    EXPECT_EQ (rowText (0), "Product ID: 1234 SN: 12345678") << "the first label until the name arrives";
    EXPECT_TRUE (virtualPorts.isInputOpen (probe->midiInputs()[0]->deviceInfo.identifier));
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; }));
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678");
    EXPECT_FALSE (probe->isTimerRunning (MainComponent::replyTimeout));
}

TEST_F (Discovery, EachOutputGetsItsOwnRequestWithTheNextSequenceNumber)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    auto& beta = addInterface (interfaceNamed ("Beta", 0x0005, 0x0000ABCD));
    showMidiMessages();

    const auto first = probe->deviceContainer().sysexMessage.sequenceNumber;
    ASSERT_TRUE (searchAndWait());

    ASSERT_EQ (alpha.countOf (Kind::discovery), 1);
    ASSERT_EQ (beta.countOf (Kind::discovery), 1);

    const auto toAlpha = alpha.lastOf (Kind::discovery)->message;
    const auto toBeta = beta.lastOf (Kind::discovery)->message;

    EXPECT_EQ (sequenceOf (toAlpha), first);
    EXPECT_EQ (sequenceOf (toBeta), first + 1);
    EXPECT_EQ (probe->midiOutputs()[0]->discoverySequence, first);
    EXPECT_EQ (probe->midiOutputs()[1]->discoverySequence, first + 1);
    EXPECT_TRUE (headerIdsAreZero (toAlpha));
    EXPECT_TRUE (headerIdsAreZero (toBeta));

    // The body is the discovery template, as it stands.
    const zun::FrameView view (toAlpha);
    ASSERT_EQ (view.BodyLength(), SXMessage_DeviceDiscovery_Length);
    for (int i = 0; i < SXMessage_DeviceDiscovery_Length; ++i)
        EXPECT_EQ (view.Byte (zun::Frame::bodyPos + i), SXMessage_DeviceDiscovery[i]);

    // Two discovery frames logged as sent, then the two name requests.
    EXPECT_EQ (countLogLinesContaining (" S HstSesnVal SessionInfo"), 2);
    EXPECT_EQ (countLogLinesContaining (" S GetParmVal DeviceInfo"), 2);
}

TEST_F (Discovery, AReplyIsPairedWithTheOutputWhoseNumberItEchoesWhateverInputItCameIn)
{
    const auto pair0 = addPortPair ("Pair 0");
    const auto pair1 = addPortPair ("Pair 1");

    // Crossed wiring: each interface hears one pair's output and answers on the other's input.
    auto& alpha = addInterfaceOn ({ { pair1.input, pair0.output } }, interfaceNamed ("Alpha", 0x1234, 0x12345678));
    auto& beta = addInterfaceOn ({ { pair0.input, pair1.output } }, interfaceNamed ("Beta", 0x0005, 0x0000ABCD));

    ASSERT_TRUE (searchAndWait());
    ASSERT_EQ (probe->discoveredInterfaces().size(), 2);

    for (auto* item : probe->discoveredInterfaces())
    {
        if (item->productId == 0x1234)
        {
            EXPECT_EQ (item->inputIndex, 1);
            EXPECT_EQ (item->outputIndex, 0);
            EXPECT_EQ (item->label, "Alpha SN: 12345678");
        }
        else
        {
            EXPECT_EQ (item->inputIndex, 0);
            EXPECT_EQ (item->outputIndex, 1);
            EXPECT_EQ (item->label, "Beta SN: 0000ABCD");
        }
    }

    EXPECT_EQ (alpha.countOf (Kind::getProductName), 1);
    EXPECT_EQ (beta.countOf (Kind::getProductName), 1);
}

TEST_F (Discovery, RepliesThatFailAnyTestAreIgnored)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::discovery }; });

    clickSearch();
    auto* input = openInputAt (0);
    ASSERT_NE (input, nullptr);
    const auto sequence = sequenceSentOn (0);
    const auto validBody = alpha.discoveryReplyBody();

    struct Case
    {
        const char* what;
        std::vector<juce::uint8> body;
        juce::uint32 sequence;
    };

    auto changed = [&] (int framePosition, juce::uint8 value)
    {
        auto body = validBody;
        body[(size_t) (framePosition - zun::Frame::bodyPos)] = value;
        return body;
    };
    const std::vector<juce::uint8> shortened (validBody.begin(), validBody.begin() + 22);
    auto lengthened = validBody;
    lengthened.push_back (0);

    const std::vector<Case> cases {
        { "an unknown sequence number", validBody, sequence + 7 },
        { "L = 22", shortened, sequence },
        { "L = 24", lengthened, sequence },
        { "message class RetParmVal", changed (22, 0x43), sequence },
        { "data class DeviceInfo", changed (23, 0x02), sequence },
        { "byte 38 = 0", changed (38, 0x00), sequence },
        { "byte 42 = 3", changed (42, 0x03), sequence },
        { "byte 44 = 4", changed (44, 0x04), sequence },
    };

    for (const auto& c : cases)
    {
        probe->receive (input, alpha.makeFrame (c.body, 0, c.sequence));
        EXPECT_EQ (probe->discoveredInterfaces().size(), 0) << c.what;
    }

    // An input that is not in the list.
    struct ForeignInput final : MidiInputPort
    {
        void start() override {}
        void stop() override {}
    } foreign;

    probe->receive (&foreign, replyFrom (alpha, sequence));
    probe->receive (nullptr, replyFrom (alpha, sequence));
    EXPECT_EQ (probe->discoveredInterfaces().size(), 0) << "an input outside the list";

    // The same reply on the paired input is taken: the cases above failed only their own test.
    probe->receive (input, replyFrom (alpha, sequence));
    ASSERT_EQ (probe->discoveredInterfaces().size(), 1);
    EXPECT_EQ (probe->discoveredInterfaces()[0]->label, "Product ID: 1234 SN: 12345678");
}

TEST_F (Discovery, AReplyWithByte44Of4IsIgnoredAndTheWindowEndsWithNothingFound)
{
    addInterface().configure ([] (auto& c)
                              { c.discoveryByte44 = 0x04; });

    ASSERT_TRUE (searchAndWait());
    EXPECT_EQ (numRows(), 0);
    EXPECT_EQ (emulators[0]->countOf (Kind::getProductName), 0);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 0);
    EXPECT_TRUE (alerts.empty());
}

TEST_F (Discovery, AnInterfaceAnsweringTwiceOrOverTwoPairsIsListedOnceWithThePortsOfItsFirstReply)
{
    const auto pair0 = addPortPair ("Pair 0");
    const auto pair1 = addPortPair ("Pair 1");
    auto& alpha = addInterfaceOn ({ pair0, pair1 }, interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::discovery }; c.duplicateReplies = true; });

    clickSearch();

    // The reply over the second pair comes first.
    alpha.sendToApp (replyFrom (alpha, sequenceSentOn (1)), 1);
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->discoveredInterfaces().size() == 1; }));
    alpha.sendToApp (replyFrom (alpha, sequenceSentOn (0)), 0);
    alpha.sendToApp (replyFrom (alpha, sequenceSentOn (1)), 1);
    ASSERT_TRUE (virtualPorts.waitUntilDelivered());

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; },
                                6000));
    ASSERT_EQ (probe->discoveredInterfaces().size(), 1);
    EXPECT_EQ (probe->discoveredInterfaces()[0]->inputIndex, 1);
    EXPECT_EQ (probe->discoveredInterfaces()[0]->outputIndex, 1);
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678") << "its duplicated name reply is taken once";
    EXPECT_EQ (alpha.countOf (Kind::getProductName), 1);
    EXPECT_TRUE (alerts.empty());
}

TEST_F (Discovery, TheSameSerialNumberWithAnotherProductIdIsAnotherInterface)
{
    addInterface (interfaceNamed ("One", 0x0001, 0x00000042));
    addInterface (interfaceNamed ("Two", 0x0002, 0x00000042)).configure ([] (auto& c)
                                                                         { c.replyDelayMsFor[Kind::discovery] = 100.0; });
    addInterface (interfaceNamed ("Three", 0x0001, 0x00000043)).configure ([] (auto& c)
                                                                           { c.replyDelayMsFor[Kind::discovery] = 200.0; });

    ASSERT_TRUE (searchAndWait());
    ASSERT_EQ (numRows(), 3);
    EXPECT_EQ (rowText (0), "One SN: 00000042");
    EXPECT_EQ (rowText (1), "Two SN: 00000042");
    EXPECT_EQ (rowText (2), "Three SN: 00000043");
}

TEST_F (Discovery, AnOutputThatRefusesToOpenKeepsItsPlaceAndGetsNoRequest)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    auto& refused = addInterface (interfaceNamed ("Refused", 0x0777, 0x00000777));
    auto& gamma = addInterface (interfaceNamed ("Gamma", 0x0005, 0x0000ABCD));
    gamma.configure ([] (auto& c)
                     { c.replyDelayMsFor[Kind::discovery] = 100.0; });

    const auto refusedOutput = virtualPorts.getAvailableOutputs()[1].identifier;
    virtualPorts.setRefuseToOpen (refusedOutput, true);

    const auto first = probe->deviceContainer().sysexMessage.sequenceNumber;
    ASSERT_TRUE (searchAndWait());

    ASSERT_EQ (probe->midiOutputs().size(), 3);
    EXPECT_EQ (probe->midiOutputs()[1]->deviceInfo.identifier, refusedOutput);
    EXPECT_EQ (virtualPorts.getOpenCount (refusedOutput), 0);
    EXPECT_EQ (refused.countOf (Kind::discovery), 0);

    ASSERT_EQ (gamma.countOf (Kind::discovery), 1);
    EXPECT_EQ (sequenceOf (alpha.lastOf (Kind::discovery)->message), first);
    EXPECT_EQ (sequenceOf (gamma.lastOf (Kind::discovery)->message), first + 1) << "no frame was built for the refused output";

    ASSERT_EQ (numRows(), 2);
    EXPECT_EQ (rowText (1), "Gamma SN: 0000ABCD");
    EXPECT_EQ (probe->discoveredInterfaces()[1]->inputIndex, 2);
    EXPECT_EQ (probe->discoveredInterfaces()[1]->outputIndex, 2);
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
    EXPECT_EQ (alpha.countOf (Kind::discovery), 2);

    // The first window would have ended by now; the second still runs.
    ui::pump (juce::jmax (0, (int) (firstClick + 550.0 - juce::Time::getMillisecondCounterHiRes())));
    EXPECT_EQ (probe->requestState(), MainComponent::discovering);

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; },
                                6000));
    ASSERT_EQ (numRows(), 1);
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678");
    EXPECT_EQ (alpha.countOf (Kind::getProductName), 1);
}

//==============================================================================
TEST_F (Discovery, ANameReplyThatNeverComesGivesOneTimeOutAndALateOneStillFinishesTheProbing)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::getProductName }; });

    clickSearch();
    ASSERT_TRUE (ui::pumpUntil ([&]
                                { return alpha.countOf (Kind::getProductName) == 1; }));
    const auto requestSentMs = alpha.lastOf (Kind::getProductName)->message.getTimeStamp() * 1000.0;

    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return ! alerts.empty(); },
                                5000));
    EXPECT_EQ (alerts[0].title, "Time Out Error");
    EXPECT_EQ (alerts[0].message, "Something went wrong, was expecting a message from interface but did not receive one.");
    // JUCE's timer thread counts from its own last tick, up to 100 ms before the start.
    EXPECT_GE (alerts[0].timeMs - requestSentMs, 1890.0);
    EXPECT_LE (alerts[0].timeMs - requestSentMs, 3500.0);

    // Still waiting for the name, over the probed interface's ports.
    EXPECT_EQ (probe->requestState(), MainComponent::probingNames);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 2);
    EXPECT_EQ (rowText (0), "Product ID: 1234 SN: 12345678");

    ui::pump (300);
    EXPECT_EQ (alerts.size(), 1u) << "the time-out fires once per request";

    alpha.sendToApp (alpha.makeFrame (productNameBody ("Alpha"), 0, 0));
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return probe->requestState() == MainComponent::idle; }));
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678");
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 0);
    EXPECT_EQ (alerts.size(), 1u);
}

TEST_F (Discovery, ASearchAfterANameTimeOutStartsAfresh)
{
    auto& alpha = addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
    alpha.configure ([] (auto& c)
                     { c.ignoredRequests = { Kind::getProductName }; });

    clickSearch();
    ASSERT_TRUE (ui::pumpUntil ([this]
                                { return ! alerts.empty(); },
                                5000));

    alpha.configure ([] (auto& c)
                     { c.ignoredRequests.clear(); });
    ASSERT_TRUE (searchAndWait());
    EXPECT_EQ (rowText (0), "Alpha SN: 12345678");
    EXPECT_EQ (alerts.size(), 1u);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 0);
}

//==============================================================================
struct NameCase
{
    const char* title;
    std::string name;
    std::optional<juce::uint8> itemLength; // in place of the item's own length byte
    juce::String expectedRow;
};

void PrintTo (const NameCase& c, std::ostream* os)
{
    *os << c.title;
}

class ProductNames : public AppFixture,
                     public ::testing::WithParamInterface<NameCase>
{
};

TEST_P (ProductNames, TheNameReplyBecomesTheRowAndNeverReadsPastTheFrame)
{
    const auto& param = GetParam();
    auto config = interfaceNamed (param.name, 0x1234, 0x12345678);
    config.productNameItemLength = param.itemLength;
    auto& alpha = addInterface (config);

    ASSERT_TRUE (searchAndWait());
    ASSERT_EQ (numRows(), 1);
    EXPECT_EQ (rowText (0), param.expectedRow);
    EXPECT_TRUE (alerts.empty());

    // The reply really was the one under test.
    const auto sent = alpha.sentFrames();
    ASSERT_FALSE (sent.empty());
    if (param.itemLength)
    {
        EXPECT_EQ (zun::FrameView (sent.back()).Byte (28), *param.itemLength);
    }
}

INSTANTIATE_TEST_SUITE_P (
    Discovery,
    ProductNames,
    ::testing::Values (
        NameCase { "Plain", "Failover One", {}, "Failover One SN: 12345678" },
        NameCase { "Empty", "", {}, " SN: 12345678" },
        NameCase { "ZeroByte", std::string ("Ab\0cd", 5), {}, "Abcd SN: 12345678" },
        NameCase { "ItemLengthFarBeyondTheFrame", "Xyz", juce::uint8 (0x7F), "Xyz SN: 12345678" }, // cut at the body's end
        NameCase { "ItemLengthOneBeyondTheBody", "Xyz", juce::uint8 (6), "Xyz SN: 12345678" }, // one byte beyond the body
        NameCase { "ItemLength3", "Xyz", juce::uint8 (3), "X SN: 12345678" },
        NameCase { "ItemLength2", "Xyz", juce::uint8 (2), " SN: 12345678" },
        NameCase { "ItemLength1", "Xyz", juce::uint8 (1), " SN: 12345678" },
        NameCase { "ItemLength0", "Xyz", juce::uint8 (0), " SN: 12345678" }),
    [] (const ::testing::TestParamInfo<NameCase>& caseInfo)
    { return std::string (caseInfo.param.title); });
