#include "DeviceContainer.h"
#include "InterfaceEmulator.h"
#include "RequestTemplates.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using Kind = InterfaceEmulator::RequestKind;
using Bytes = std::vector<juce::uint8>;

namespace
{
// The application's end of one port pair: what arrives on its input is collected.
class Collector final : public MidiInputPortCallback
{
public:
    void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> guard (lock);
        messages.push_back (message);
    }

    std::vector<juce::MidiMessage> all() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return messages;
    }

    bool waitFor (size_t n, int timeoutMs = 2000) const
    {
        const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

        while (all().size() < n)
        {
            if (juce::Time::getMillisecondCounterHiRes() > end)
                return false;
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
        return true;
    }

private:
    mutable std::mutex lock;
    std::vector<juce::MidiMessage> messages;
};

struct AppEnd
{
    AppEnd (VirtualMidiPortSystem& ports, const juce::String& name)
        : inputId (ports.addInput (name + " In"))
        , outputId (ports.addOutput (name + " Out"))
    {
    }

    void open (VirtualMidiPortSystem& ports)
    {
        input = ports.openInput (inputId, collector);
        input->start();
        output = ports.openOutput (outputId);
    }

    juce::String inputId, outputId;
    Collector collector;
    std::unique_ptr<MidiInputPort> input;
    std::unique_ptr<MidiOutputPort> output;
};

Bytes bytesOf (const juce::MidiMessage& m) { return Bytes (m.getRawData(), m.getRawData() + m.getRawDataSize()); }

Bytes slice (const juce::MidiMessage& m, int from, int count)
{
    const auto all = bytesOf (m);
    return Bytes (all.begin() + from, all.begin() + from + count);
}

// Writes SetFailover's variable bytes as the application does: n = 2 + value bytes.
unsigned short writeSetFailover (juce::uint8 id, const Bytes& value)
{
    const auto n = (juce::uint8) (2 + value.size());
    SXMessage_SetFailover[3] = (unsigned char) (n + 3);
    SXMessage_SetFailover[6] = n;
    SXMessage_SetFailover[7] = id;

    for (size_t i = 0; i < value.size(); ++i)
        SXMessage_SetFailover[8 + i] = value[i];

    return (unsigned short) (n + 6);
}
} // namespace

//==============================================================================
// One interface on one port pair, and the application's side of that pair: requests are
// built from the real templates by a zun::SysexMessage, and replies are checked by the same
// gate the application uses.
class InterfaceEmulatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        emulator.attach (app.inputId, app.outputId);
        app.open (ports);
    }

    // Sends a body with the builder's present ids and returns what came back at once.
    std::vector<juce::MidiMessage> exchange (const unsigned char* body, unsigned short length)
    {
        return exchangeFrame (container.sysexMessage.CreateMessage (body, length));
    }

    std::vector<juce::MidiMessage> exchangeFrame (const juce::MidiMessage& frame)
    {
        const auto before = app.collector.all().size();
        app.output->sendMessageNow (frame);
        EXPECT_TRUE (ports.waitUntilDelivered());
        const auto all = app.collector.all();
        return std::vector<juce::MidiMessage> (all.begin() + (long) before, all.end());
    }

    // The single reply to a request, or an empty message (and a failure) when not exactly one.
    juce::MidiMessage reply (const unsigned char* body, unsigned short length)
    {
        const auto replies = exchange (body, length);
        EXPECT_EQ (replies.size(), 1u);
        return replies.empty() ? juce::MidiMessage() : replies.front();
    }

    // Addresses the emulated interface as "Get Settings" does.
    void connect (juce::uint32 sessionId = 0x0123456)
    {
        container.sysexMessage.sessionId = sessionId;
        container.sysexMessage.productId = emulator.getConfig().productId;
        container.sysexMessage.serialNumber = emulator.getConfig().serialNumber;
    }

    // What every reply of the settings read shares: size, class, data class, own ids, the
    // request's session id, and acceptance by the application's gate.
    void expectReply (const juce::MidiMessage& m, int bodyLength, juce::uint8 messageClass, juce::uint8 dataClass)
    {
        const zun::FrameView frame (m);
        EXPECT_EQ (frame.Size(), bodyLength + 24);
        EXPECT_EQ (frame.BodyLength(), bodyLength);
        EXPECT_EQ (frame.Byte (22), messageClass);
        EXPECT_EQ (frame.Byte (23), dataClass);
        EXPECT_EQ (frame.ProductId(), emulator.getConfig().productId);
        EXPECT_EQ (frame.SerialNumber(), emulator.getConfig().serialNumber);
        EXPECT_EQ (frame.SessionId(), container.sysexMessage.sessionId);
        EXPECT_TRUE (container.IsValidMidiMessage (m));
    }

    VirtualMidiPortSystem ports;
    InterfaceEmulator emulator { ports };
    AppEnd app { ports, "Failover Interface" };
    zun::DeviceContainer container;
};

//==============================================================================
TEST_F (InterfaceEmulatorTest, DiscoveryReplyEchoesTheSequenceNumberAndCarriesItsOwnIds)
{
    emulator.configure ([] (auto& c)
                        {
        c.productId = 0x0ABC;
        c.serialNumber = 0xF0012345; });
    container.sysexMessage.sequenceNumber = 0x0ABCDEF;

    const auto m = reply (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length);
    const zun::FrameView frame (m);
    EXPECT_EQ (frame.Size(), 47);
    EXPECT_EQ (frame.BodyLength(), 23);
    EXPECT_EQ (frame.Byte (22), 0x41);
    EXPECT_EQ (frame.Byte (23), 0x01);
    EXPECT_EQ (frame.Byte (38), 0x01);
    EXPECT_EQ (frame.Byte (42), 0x02);
    EXPECT_EQ (frame.Byte (44), 0x05);
    EXPECT_EQ (slice (m, 5, 7), (Bytes { 0x15, 0x3C, 0x0F, 0x00, 0x04, 0x46, 0x45 }));
    EXPECT_EQ (frame.SequenceNumber(), 0x0ABCDEFu);
    EXPECT_EQ (frame.SessionId(), 0u);
    EXPECT_TRUE (container.IsValidMidiMessage (m));

    // The next request on another output carries the next number, and so does its reply.
    const auto next = reply (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length);
    EXPECT_EQ (zun::FrameView (next).SequenceNumber(), 0x0ABCDF0u);

    // The body helper gives exactly the reply's body.
    EXPECT_EQ (emulator.discoveryReplyBody(), slice (m, 22, 23));
}

TEST_F (InterfaceEmulatorTest, ProductNameReplyHoldsTheNameAfterItsItemLength)
{
    emulator.configure ([] (auto& c)
                        { c.productName = "Box A"; });

    auto m = reply (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    expectReply (m, 13, 0x43, 0x02);
    const zun::FrameView frame (m);
    EXPECT_EQ (frame.Byte (26), 3);
    EXPECT_EQ (frame.Byte (28), 7);
    EXPECT_EQ (frame.Byte (29), 0x01);
    EXPECT_EQ (slice (m, 30, 5), (Bytes { 'B', 'o', 'x', ' ', 'A' }));
    EXPECT_EQ (frame.Byte (25), 10); // block length: header and the item

    // Empty name: item length 2 and the shortest body the application accepts.
    emulator.configure ([] (auto& c)
                        { c.productName.clear(); });
    m = reply (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    expectReply (m, 8, 0x43, 0x02);
    EXPECT_EQ (zun::FrameView (m).Byte (28), 2);

    // A zero byte inside the name goes out as it is.
    emulator.configure ([] (auto& c)
                        { c.productName = std::string ("A\0B", 3); });
    m = reply (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    EXPECT_EQ (slice (m, 28, 5), (Bytes { 5, 0x01, 'A', 0x00, 'B' }));
    EXPECT_TRUE (container.IsValidMidiMessage (m));
}

TEST_F (InterfaceEmulatorTest, NameItemLengthCanBeForgedBelowTwoOrBeyondTheFrame)
{
    emulator.configure ([] (auto& c)
                        {
        c.productName = "Name";
        c.productNameItemLength = (juce::uint8) 1; });
    auto m = reply (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    EXPECT_EQ (zun::FrameView (m).Byte (28), 1);
    EXPECT_EQ (zun::FrameView (m).BodyLength(), 12);
    EXPECT_TRUE (container.IsValidMidiMessage (m)); // still a valid frame: only the item lies

    emulator.configure ([] (auto& c)
                        { c.productNameItemLength = (juce::uint8) 0x7F; });
    m = reply (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    EXPECT_EQ (zun::FrameView (m).Byte (28), 0x7F);
    EXPECT_LT (zun::FrameView (m).Size(), 28 + 0x7F);
    EXPECT_TRUE (container.IsValidMidiMessage (m));

    connect();
    emulator.configure ([] (auto& c)
                        { c.presetNameItemLength = (juce::uint8) 0x60; });
    SXMessage_GetSettingsPresetName[7] = 1;
    m = reply (SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length);
    EXPECT_EQ (zun::FrameView (m).Byte (33), 0x60);
    EXPECT_EQ (slice (m, 35, 8), (Bytes { 'P', 'r', 'e', 's', 'e', 't', ' ', '1' }));
    EXPECT_TRUE (container.IsValidMidiMessage (m));
}

//==============================================================================
TEST_F (InterfaceEmulatorTest, SettingsReadRepliesHaveTheLayoutsTheReadExpects)
{
    emulator.configure ([] (auto& c)
                        {
        c.setAudioPorts (5);
        c.setPresets (7);
        c.deviceInfo17 = 0x2A;
        c.keepAlivePeriod = 9;
        c.currentPreset = 6;
        c.currentScene = 2; });
    connect();

    auto m = reply (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length);
    expectReply (m, 9, 0x43, 0x08);
    EXPECT_EQ (slice (m, 24, 7), (Bytes { 1, 6, 3, 1, 3, 0x01, 5 }));

    m = reply (SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length);
    expectReply (m, 15, 0x43, 0x02);
    EXPECT_EQ (slice (m, 26, 11), (Bytes { 3, 3, 3, 0x14, 7, 3, 0x17, 0x2A, 3, 0x19, 9 }));

    m = reply (SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length);
    expectReply (m, 12, 0x43, 0x03);
    EXPECT_EQ (slice (m, 26, 8), (Bytes { 3, 2, 3, 0x01, 6, 3, 0x04, 2 }));
}

TEST_F (InterfaceEmulatorTest, PresetNameReplyNamesThePresetAskedFor)
{
    emulator.configure ([] (auto& c)
                        { c.presetNames = { "Show", "" }; });
    connect();

    SXMessage_GetSettingsPresetName[7] = 1;
    auto m = reply (SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length);
    expectReply (m, 17, 0x43, 0x03);
    EXPECT_EQ (slice (m, 24, 15), (Bytes { 2, 5, 4, 1, 0x09, 1, 9, 3, 1, 6, 0x02, 'S', 'h', 'o', 'w' }));

    // An empty name and a preset beyond the configured names both give item length 2.
    for (unsigned char p : { 2, 40 })
    {
        SXMessage_GetSettingsPresetName[7] = p;
        m = reply (SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length);
        expectReply (m, 13, 0x43, 0x03);
        EXPECT_EQ (zun::FrameView (m).Byte (29), p);
        EXPECT_EQ (zun::FrameView (m).Byte (33), 2);
        EXPECT_EQ (zun::FrameView (m).Byte (34), 0x02);
    }
}

TEST_F (InterfaceEmulatorTest, AudioPortReplyDescribesThePortAskedFor)
{
    emulator.configure ([] (auto& c)
                        {
        c.audioPorts = { { 1, 1, 1, 2, 8 }, { 4, 3, 0, 1, 2 } };
        c.audioPortCount = 2; });
    connect();

    SXMessage_GetSettingsAudioPortInfo[7] = 2;
    auto m = reply (SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length);
    expectReply (m, 24, 0x43, 0x09);
    const zun::FrameView frame (m);
    EXPECT_EQ (frame.Byte (26), 4);
    EXPECT_EQ (frame.Byte (28), 0x10);
    EXPECT_EQ (frame.Byte (29), 2);
    EXPECT_EQ (frame.Byte (31), 3);
    EXPECT_EQ (slice (m, 34, 12), (Bytes { 0x01, 4, 3, 0x02, 3, 3, 0x03, 0, 4, 0x10, 1, 2 }));

    // A port beyond the configured ones is still answered, with zeros.
    SXMessage_GetSettingsAudioPortInfo[7] = 9;
    m = reply (SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length);
    expectReply (m, 24, 0x43, 0x09);
    EXPECT_EQ (zun::FrameView (m).Byte (29), 9);
    EXPECT_EQ (zun::FrameView (m).Byte (35), 0);
    EXPECT_EQ (zun::FrameView (m).Byte (45), 0);
}

TEST_F (InterfaceEmulatorTest, FailoverReplyFollowsTheSettingsTable)
{
    emulator.configure ([] (auto& c)
                        {
        c.failoverMode = 2;
        c.options = 0x15;
        c.triggerMode = 4;
        c.audioTrigger = 3;
        c.audioChannel = 7;
        c.audioTimeout = 16000;
        c.midiTrigger = 2;
        c.midiPort = 16;
        c.midiTimeout = 12;
        c.maxVolume = -1536; });
    connect();

    auto m = reply (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
    expectReply (m, 38, 0x43, 0x03);
    EXPECT_EQ (slice (m, 24, 36), (Bytes { 1, 35, 3, 6, 3, 0x13, 2, 3, 0x14, 0x15, 3, 0x15, 4, 9, 0x16, 1, 3, 2, 7, 3, 0x7D, 0x00, 9, 0x17, 1, 2, 2, 16, 3, 0x00, 0x0C, 5, 0x18, 0x03, 0x74, 0x00 }));

    // The volume's top bits: -64 dB goes out as 03 00 00, 0 dB as 00 00 00.
    emulator.configure ([] (auto& c)
                        { c.maxVolume = -16384; });
    m = reply (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
    EXPECT_EQ (slice (m, 57, 3), (Bytes { 0x03, 0x00, 0x00 }));
    emulator.configure ([] (auto& c)
                        { c.maxVolume = 0; });
    m = reply (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
    EXPECT_EQ (slice (m, 57, 3), (Bytes { 0x00, 0x00, 0x00 }));
}

TEST_F (InterfaceEmulatorTest, RuntimeStatusReplyIsThe45ByteStatusFrame)
{
    emulator.configure ([] (auto& c)
                        {
        c.currentScene = 2;
        c.armed = 1;
        c.alarm = 1;
        c.hostStatus[0] = 3;
        c.hostStatus[1] = 1;
        c.hostStatus[2] = 0;
        c.hostStatus[3] = 4; });
    connect();

    const auto m = reply (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    expectReply (m, 21, 0x43, 0x03);
    EXPECT_EQ (slice (m, 26, 17), (Bytes { 3, 4, 3, 0x04, 2, 3, 0x10, 1, 3, 0x11, 1, 6, 0x12, 3, 1, 0, 4 }));
    EXPECT_EQ (emulator.runtimeStatusBody(), slice (m, 22, 21));
}

//==============================================================================
TEST_F (InterfaceEmulatorTest, SubscriptionPushesStatusWithItsSessionUntilUnsubscribed)
{
    connect (0x0777777);
    EXPECT_FALSE (emulator.pushNotification());

    SXMessage_SendRegistration[8] = 1;
    EXPECT_TRUE (exchange (SXMessage_SendRegistration, SXMessage_SendRegistration_Length).empty());
    EXPECT_TRUE (emulator.isSubscribed());
    EXPECT_EQ (emulator.subscriptionSessionId(), 0x0777777u);

    // A later request of another session does not move the subscription's session.
    container.sysexMessage.sessionId = 0x0111111;
    reply (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);

    EXPECT_TRUE (emulator.pushNotification());
    ASSERT_TRUE (ports.waitUntilDelivered());
    const auto pushed = app.collector.all().back();
    EXPECT_EQ (zun::FrameView (pushed).Byte (22), 0x50);
    EXPECT_EQ (zun::FrameView (pushed).BodyLength(), 21);
    EXPECT_EQ (zun::FrameView (pushed).SessionId(), 0x0777777u);
    EXPECT_EQ (slice (pushed, 23, 20), slice (emulator.makeFrame (emulator.runtimeStatusBody (0x50), 0, 0), 23, 20));
    container.sysexMessage.sessionId = 0x0777777;
    EXPECT_TRUE (container.IsValidMidiMessage (pushed));

    // Pings and registrations are never answered.
    EXPECT_TRUE (exchange (nullptr, 0).empty());
    SXMessage_SendRegistration[8] = 2;
    EXPECT_TRUE (exchange (SXMessage_SendRegistration, SXMessage_SendRegistration_Length).empty());
    EXPECT_FALSE (emulator.isSubscribed());
    EXPECT_FALSE (emulator.pushNotification());
    EXPECT_EQ (emulator.countOf (Kind::ping), 1);
    EXPECT_EQ (emulator.countOf (Kind::subscribe), 1);
    EXPECT_EQ (emulator.countOf (Kind::unsubscribe), 1);
}

TEST_F (InterfaceEmulatorTest, AutoPushSendsNotificationsOnlyWhileSubscribed)
{
    emulator.configure ([] (auto& c)
                        { c.autoPushPeriodMs = 20.0; });
    connect();
    std::this_thread::sleep_for (std::chrono::milliseconds (80));
    EXPECT_TRUE (app.collector.all().empty());

    SXMessage_SendRegistration[8] = 1;
    exchange (SXMessage_SendRegistration, SXMessage_SendRegistration_Length);
    ASSERT_TRUE (app.collector.waitFor (3, 2000));

    SXMessage_SendRegistration[8] = 2;
    exchange (SXMessage_SendRegistration, SXMessage_SendRegistration_Length);
    ASSERT_TRUE (ports.waitUntilDelivered());
    const auto count = app.collector.all().size();
    std::this_thread::sleep_for (std::chrono::milliseconds (100));
    EXPECT_EQ (app.collector.all().size(), count);

    for (auto& m : app.collector.all())
        EXPECT_EQ (zun::FrameView (m).Byte (22), 0x50);
}

//==============================================================================
TEST_F (InterfaceEmulatorTest, SetFailoverIsAcknowledgedAndApplied)
{
    connect();

    auto m = reply (SXMessage_SetFailover, writeSetFailover (0x18, { 0x03, 0x02, 0x00 }));
    expectReply (m, 5, 0x40, 0x00);
    EXPECT_EQ (slice (m, 22, 5), (Bytes { 0x40, 0x00, 0x10, 0x03, 0x00 }));
    EXPECT_EQ (emulator.getConfig().maxVolume, -16128); // -63 dB

    reply (SXMessage_SetFailover, writeSetFailover (0x16, { 3, 0x7D, 0x00 }));
    reply (SXMessage_SetFailover, writeSetFailover (0x16, { 2, 5 }));
    reply (SXMessage_SetFailover, writeSetFailover (0x17, { 1, 3 }));
    reply (SXMessage_SetFailover, writeSetFailover (0x14, { 0x1F }));
    reply (SXMessage_SetFailover, writeSetFailover (0x04, { 2 }));
    reply (SXMessage_SetFailover, writeSetFailover (0x10, { 1 }));

    const auto c = emulator.getConfig();
    EXPECT_EQ (c.audioTimeout, 16000);
    EXPECT_EQ (c.audioChannel, 5);
    EXPECT_EQ (c.midiTrigger, 3);
    EXPECT_EQ (c.options, 0x1F);
    EXPECT_EQ (c.currentScene, 2);
    EXPECT_EQ (c.armed, 1);

    // What was applied is what the next reads report.
    m = reply (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length);
    EXPECT_EQ (slice (m, 44, 2), (Bytes { 0x7D, 0x00 }));
    EXPECT_EQ (zun::FrameView (m).Byte (42), 5);
    m = reply (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    EXPECT_EQ (zun::FrameView (m).Byte (30), 2);
    EXPECT_EQ (zun::FrameView (m).Byte (33), 1);
}

TEST_F (InterfaceEmulatorTest, RefusedSetFailoverCarriesTheCodeAndChangesNothing)
{
    connect();
    emulator.configure ([] (auto& c)
                        { c.ackErrorCode = 19; });

    auto m = reply (SXMessage_SetFailover, writeSetFailover (0x13, { 2 }));
    EXPECT_EQ (slice (m, 22, 5), (Bytes { 0x40, 0x00, 0x10, 0x03, 19 }));
    EXPECT_EQ (emulator.getConfig().failoverMode, 1);

    // Without a configured refusal, an unknown parameter is refused on its own.
    emulator.configure ([] (auto& c)
                        { c.ackErrorCode = 0; });
    m = reply (SXMessage_SetFailover, writeSetFailover (0x33, { 1 }));
    EXPECT_EQ (zun::FrameView (m).Byte (26), 10);
    m = reply (SXMessage_SetFailover, writeSetFailover (0x16, { 7, 1 }));
    EXPECT_EQ (zun::FrameView (m).Byte (26), 11);

    // The acknowledged classes can be forged.
    emulator.configure ([] (auto& c)
                        {
        c.ackMessageClass = (juce::uint8) 0x11;
        c.ackDataClass = (juce::uint8) 0x00; });
    m = reply (SXMessage_SetFailover, writeSetFailover (0x13, { 2 }));
    EXPECT_EQ (slice (m, 22, 5), (Bytes { 0x40, 0x00, 0x11, 0x00, 0x00 }));
    EXPECT_EQ (emulator.getConfig().failoverMode, 2);
}

TEST_F (InterfaceEmulatorTest, PresetLoadAndSaveAreAcknowledgedAndALoadMakesThePresetCurrent)
{
    connect();

    SXMessage_LoadPreset[10] = 3;
    auto m = reply (SXMessage_LoadPreset, SXMessage_LoadPreset_Length);
    expectReply (m, 5, 0x40, 0x00);
    EXPECT_EQ (slice (m, 22, 5), (Bytes { 0x40, 0x00, 0x11, 0x00, 0x00 }));
    EXPECT_EQ (emulator.getConfig().currentPreset, 3);

    SXMessage_SavePreset[10] = 2;
    m = reply (SXMessage_SavePreset, SXMessage_SavePreset_Length);
    EXPECT_EQ (slice (m, 22, 5), (Bytes { 0x40, 0x00, 0x11, 0x00, 0x00 }));
    EXPECT_EQ (emulator.getConfig().currentPreset, 3);
    EXPECT_EQ (emulator.countOf (Kind::savePreset), 1);

    // A preset the interface does not hold is refused.
    SXMessage_LoadPreset[10] = 5;
    m = reply (SXMessage_LoadPreset, SXMessage_LoadPreset_Length);
    EXPECT_EQ (zun::FrameView (m).Byte (26), 14);
    EXPECT_EQ (emulator.getConfig().currentPreset, 3);

    emulator.configure ([] (auto& c)
                        { c.ackErrorCode = 19; });
    SXMessage_LoadPreset[10] = 1;
    m = reply (SXMessage_LoadPreset, SXMessage_LoadPreset_Length);
    EXPECT_EQ (slice (m, 22, 5), (Bytes { 0x40, 0x00, 0x11, 0x00, 19 }));
    EXPECT_EQ (emulator.getConfig().currentPreset, 3);
}

//==============================================================================
TEST_F (InterfaceEmulatorTest, AnswersItsOwnIdsAndZerosButNotAnotherInterface)
{
    const auto own = emulator.getConfig();

    struct Case
    {
        juce::uint16 productId;
        juce::uint32 serialNumber;
        bool answered;
    };

    for (auto c : { Case { 0, 0, true },
                    Case { own.productId, own.serialNumber, true },
                    Case { (juce::uint16) (own.productId + 1), own.serialNumber, false },
                    Case { own.productId, own.serialNumber ^ 0x10000000u, false },
                    Case { own.productId, 0, false },
                    Case { 0, own.serialNumber, false } })
    {
        container.sysexMessage.productId = c.productId;
        container.sysexMessage.serialNumber = c.serialNumber;
        EXPECT_EQ (exchange (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length).size(), c.answered ? 1u : 0u)
            << "product id " << c.productId << " serial " << c.serialNumber;
        ASSERT_TRUE (emulator.lastOf (Kind::getSettingsAI).has_value());
        EXPECT_EQ (emulator.lastOf (Kind::getSettingsAI)->addressedToMe, c.answered);
        EXPECT_EQ (emulator.lastOf (Kind::getSettingsAI)->answered, c.answered);
    }

    // Another interface's settings change is not applied either.
    container.sysexMessage.productId = (juce::uint16) (own.productId + 1);
    exchange (SXMessage_SetFailover, writeSetFailover (0x13, { 2 }));
    EXPECT_EQ (emulator.getConfig().failoverMode, own.failoverMode);
    EXPECT_EQ (emulator.countOf (Kind::getSettingsAI), 6);
}

TEST_F (InterfaceEmulatorTest, MalformedFramesAreRecordedButNeverAnswered)
{
    const auto good = container.sysexMessage.CreateMessage (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    const auto base = bytesOf (good);

    auto variant = [&base] (std::function<void (Bytes&)> change)
    {
        auto b = base;
        change (b);
        return juce::MidiMessage (b.data(), (int) b.size());
    };

    const std::vector<juce::MidiMessage> bad {
        variant ([] (Bytes& b)
                 { b[b.size() - 2] = (juce::uint8) ((b[b.size() - 2] + 1) & 0x7F); }), // checksum
        variant ([] (Bytes& b)
                 { b[2] = 0x2F; }), // manufacturer
        variant ([] (Bytes& b)
                 { b[4] = 0x7C; }), // byte 4
        variant ([] (Bytes& b)
                 { b.erase (b.begin() + 24); }), // size != L + 24
        variant ([] (Bytes& b) { // L = 1 with a matching size and checksum
            b.resize (25);
            b[21] = 1;
            int sum = 0;
            for (int i = 5; i <= 22; ++i)
                sum += b[(size_t) i];
            b[23] = (juce::uint8) (-sum & 0x7F);
            b[24] = 0xF7;
        }),
        juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100),
    };

    for (auto& m : bad)
        EXPECT_TRUE (exchangeFrame (m).empty());

    EXPECT_EQ (emulator.countOf (Kind::malformed), (int) bad.size());
    for (auto& r : emulator.receivedFrames())
        EXPECT_FALSE (r.addressedToMe);

    EXPECT_EQ (exchangeFrame (good).size(), 1u);
    EXPECT_EQ (emulator.receivedFrames().size(), bad.size() + 1);
}

TEST_F (InterfaceEmulatorTest, RequestsItDoesNotKnowAreRecordedAsUnknownAndNotAnswered)
{
    const unsigned char getCmdDef[] = { 0x04, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 };
    const unsigned char brokenBlock[] = { 0x03, 0x08, 0x01, 0x09, 0x01, 0x01, 0x01 }; // block longer than the body
    EXPECT_TRUE (exchange (getCmdDef, sizeof (getCmdDef)).empty());
    EXPECT_TRUE (exchange (brokenBlock, sizeof (brokenBlock)).empty());
    EXPECT_EQ (emulator.countOf (Kind::unknown), 2);
}

//==============================================================================
TEST_F (InterfaceEmulatorTest, FaultsCorruptTheRepliesAsAsked)
{
    connect (0x0FFFFFFF);

    emulator.configure ([] (auto& c)
                        { c.wrongSessionId = true; });
    auto m = reply (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    EXPECT_EQ (zun::FrameView (m).SessionId(), 0u);
    EXPECT_FALSE (container.IsValidMidiMessage (m));

    emulator.configure ([] (auto& c)
                        {
        c.wrongSessionId = false;
        c.badChecksum = true; });
    m = reply (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    EXPECT_EQ (zun::FrameView (m).SessionId(), 0x0FFFFFFFu);
    EXPECT_FALSE (container.IsValidMidiMessage (m));
    EXPECT_EQ (zun::FrameView (m).Byte (43), (zun::FrameView (emulator.makeFrame (slice (m, 22, 21), 0x0FFFFFFF, zun::FrameView (m).SequenceNumber())).Byte (43) + 1) & 0x7F);

    emulator.configure ([] (auto& c)
                        {
        c.badChecksum = false;
        c.duplicateReplies = true; });
    const auto both = exchange (SXMessage_GetRuntime, SXMessage_GetRuntime_Length);
    ASSERT_EQ (both.size(), 2u);
    EXPECT_EQ (bytesOf (both[0]), bytesOf (both[1]));
    EXPECT_TRUE (container.IsValidMidiMessage (both[0]));

    emulator.configure ([] (auto& c)
                        {
        c.duplicateReplies = false;
        c.discoveryByte44 = (juce::uint8) 0x04; });
    m = reply (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length);
    EXPECT_EQ (zun::FrameView (m).Byte (44), 0x04);
    EXPECT_EQ (zun::FrameView (m).BodyLength(), 23);
    EXPECT_TRUE (container.IsValidMidiMessage (m));
}

TEST_F (InterfaceEmulatorTest, IgnoredRequestsAreRecordedButNeitherAnsweredNorActedOn)
{
    connect();
    emulator.configure ([] (auto& c)
                        {
        c.ignoredRequests = { Kind::getProductName };
        c.ignoreIf = [] (Kind kind, const juce::MidiMessage& m) { return kind == Kind::setFailover && zun::FrameView (m).Byte (29) == 0x13; }; });

    EXPECT_TRUE (exchange (SXMessage_GetProductName, SXMessage_GetProductName_Length).empty());
    EXPECT_TRUE (exchange (SXMessage_SetFailover, writeSetFailover (0x13, { 2 })).empty());
    EXPECT_EQ (emulator.getConfig().failoverMode, 1);
    EXPECT_EQ (exchange (SXMessage_SetFailover, writeSetFailover (0x15, { 2 })).size(), 1u);
    EXPECT_EQ (exchange (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length).size(), 1u);

    const auto names = emulator.lastOf (Kind::getProductName);
    ASSERT_TRUE (names.has_value());
    EXPECT_TRUE (names->addressedToMe);
    EXPECT_FALSE (names->answered);
}

TEST_F (InterfaceEmulatorTest, RepliesWaitForTheirDelay)
{
    connect();
    emulator.configure ([] (auto& c)
                        {
        c.replyDelayMs = 150.0;
        c.replyDelayMsFor[Kind::getSettingsAI] = 0.0; });

    const auto sentAt = juce::Time::getMillisecondCounterHiRes();
    EXPECT_TRUE (exchange (SXMessage_GetRuntime, SXMessage_GetRuntime_Length).empty());
    EXPECT_EQ (exchange (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length).size(), 1u);

    ASSERT_TRUE (app.collector.waitFor (2));
    const auto late = app.collector.all()[1];
    EXPECT_EQ (zun::FrameView (late).BodyLength(), 21);
    EXPECT_GE (late.getTimeStamp() * 1000.0 - sentAt, 149.0);
}

//==============================================================================
TEST_F (InterfaceEmulatorTest, PresetAndPortConfigurationsCoverTheCountsTheTestsNeed)
{
    InterfaceEmulator::Config c;
    EXPECT_EQ (c.presetCount, 4);
    EXPECT_EQ (c.audioPortCount, 4);

    for (int count : { 0, 32, 40 })
    {
        c.setPresets (count);
        EXPECT_EQ (c.presetCount, count);
        ASSERT_EQ ((int) c.presetNames.size(), count);
        if (count > 0)
        {
            EXPECT_EQ (c.presetNames.back(), "Preset " + std::to_string (count));
        }
    }

    c.setAudioPorts (0);
    EXPECT_EQ (c.audioPortCount, 0);
    EXPECT_TRUE (c.audioPorts.empty());

    c.setAudioPorts (12);
    ASSERT_EQ (c.audioPorts.size(), 12u);
    EXPECT_EQ (c.audioPorts[0].type, 1);
    EXPECT_EQ (c.audioPorts[0].number, 1);
    EXPECT_EQ (c.audioPorts[1].type, 1);
    EXPECT_EQ (c.audioPorts[1].number, 2);
    EXPECT_NE (c.audioPorts[0].channelCount, c.audioPorts[1].channelCount);

    c.setAudioPorts (8, true, false);
    ASSERT_EQ (c.audioPorts.size(), 8u);
    EXPECT_EQ (c.audioPorts[0].number, 1);
    for (size_t i = 1; i < 8; ++i)
        EXPECT_NE (c.audioPorts[i].type, 1);

    // Types after the USBD ports are numbered within their type: Analog 1, Mixer 1, Tone 1, Analog 2.
    EXPECT_EQ (c.audioPorts[1].type, 2);
    EXPECT_EQ (c.audioPorts[4].type, 2);
    EXPECT_EQ (c.audioPorts[4].number, 2);

    // The configured counts are what the replies report.
    emulator.setConfig (c);
    connect();
    EXPECT_EQ (zun::FrameView (reply (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length)).Byte (30), 8);
}

TEST_F (InterfaceEmulatorTest, EveryReplyPassesTheApplicationsGate)
{
    connect (0x0A5A5A5);
    SXMessage_GetSettingsPresetName[7] = 1;
    SXMessage_GetSettingsAudioPortInfo[7] = 1;
    SXMessage_LoadPreset[10] = 1;
    SXMessage_SavePreset[10] = 1;

    const std::vector<std::pair<const unsigned char*, unsigned short>> requests {
        { SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length },
        { SXMessage_GetProductName, SXMessage_GetProductName_Length },
        { SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length },
        { SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length },
        { SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length },
        { SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length },
        { SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length },
        { SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length },
        { SXMessage_GetRuntime, SXMessage_GetRuntime_Length },
        { SXMessage_LoadPreset, SXMessage_LoadPreset_Length },
        { SXMessage_SavePreset, SXMessage_SavePreset_Length },
    };

    for (auto& r : requests)
    {
        const auto m = reply (r.first, r.second);
        EXPECT_TRUE (container.IsValidMidiMessage (m)) << "reply to body class " << (int) r.first[0] << "/" << (int) r.first[1];
        EXPECT_EQ (zun::FrameView (m).SessionId(), 0x0A5A5A5u);
    }

    EXPECT_TRUE (container.IsValidMidiMessage (reply (SXMessage_SetFailover, writeSetFailover (0x11, { 0 }))));

    // Replies that echo nothing count on from the emulator's own sequence number.
    const auto sent = emulator.sentFrames();
    ASSERT_EQ (sent.size(), requests.size() + 1);
    EXPECT_EQ (zun::FrameView (sent[2]).SequenceNumber(), zun::FrameView (sent[1]).SequenceNumber() + 1);
}

//==============================================================================
TEST (InterfaceEmulatorPairs, OneInterfaceOnTwoPairsAnswersOnThePairTheRequestCameIn)
{
    VirtualMidiPortSystem ports;
    InterfaceEmulator emulator { ports };
    AppEnd first { ports, "Port 1" }, second { ports, "Port 2" };
    EXPECT_EQ (emulator.attach (first.inputId, first.outputId), 0);
    EXPECT_EQ (emulator.attach (second.inputId, second.outputId), 1);
    first.open (ports);
    second.open (ports);

    zun::SysexMessage builder;
    second.output->sendMessageNow (builder.CreateMessage (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length));
    ASSERT_TRUE (ports.waitUntilDelivered());
    EXPECT_TRUE (first.collector.all().empty());
    ASSERT_EQ (second.collector.all().size(), 1u);
    EXPECT_EQ (emulator.lastOf (Kind::discovery)->pairIndex, 1);

    first.output->sendMessageNow (builder.CreateMessage (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length));
    ASSERT_TRUE (ports.waitUntilDelivered());
    ASSERT_EQ (first.collector.all().size(), 1u);
    EXPECT_EQ (zun::FrameView (first.collector.all()[0]).SequenceNumber(), 1u);

    // A frame the test builds itself goes into the pair it names.
    emulator.sendToApp (emulator.makeFrame (emulator.runtimeStatusBody (0x50), 0, 0), 1);
    ASSERT_TRUE (ports.waitUntilDelivered());
    EXPECT_EQ (second.collector.all().size(), 2u);
    EXPECT_EQ (emulator.sentFrames().size(), 3u);

    emulator.clear();
    EXPECT_TRUE (emulator.receivedFrames().empty());
    EXPECT_TRUE (emulator.sentFrames().empty());
}

TEST (InterfaceEmulatorPairs, TwoInterfacesEachAnswerOnTheirOwnPairWithTheirOwnIds)
{
    VirtualMidiPortSystem ports;
    InterfaceEmulator::Config a, b;
    a.serialNumber = 0x0000000A;
    b.serialNumber = 0x0000000B;
    InterfaceEmulator first { ports, a }, second { ports, b };
    AppEnd endA { ports, "A" }, endB { ports, "B" };
    first.attach (endA.inputId, endA.outputId);
    second.attach (endB.inputId, endB.outputId);
    endA.open (ports);
    endB.open (ports);

    zun::SysexMessage builder;
    endA.output->sendMessageNow (builder.CreateMessage (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length));
    endB.output->sendMessageNow (builder.CreateMessage (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length));

    // A request addressed to A that reaches B's port is recorded by B and not answered.
    builder.serialNumber = 0x0000000A;
    builder.productId = a.productId;
    endB.output->sendMessageNow (builder.CreateMessage (SXMessage_GetProductName, SXMessage_GetProductName_Length));
    ASSERT_TRUE (ports.waitUntilDelivered());

    ASSERT_EQ (endA.collector.all().size(), 1u);
    ASSERT_EQ (endB.collector.all().size(), 1u);
    EXPECT_EQ (zun::FrameView (endA.collector.all()[0]).SerialNumber(), 0x0000000Au);
    EXPECT_EQ (zun::FrameView (endB.collector.all()[0]).SerialNumber(), 0x0000000Bu);
    EXPECT_EQ (first.receivedFrames().size(), 1u);
    EXPECT_EQ (second.receivedFrames().size(), 2u);
    EXPECT_FALSE (second.lastOf (Kind::getProductName)->addressedToMe);
}

TEST (InterfaceEmulatorPairs, AnEmulatorMayGoBeforeItsPortsAndThenAnswersNothing)
{
    VirtualMidiPortSystem ports;
    AppEnd end { ports, "A" };
    end.open (ports);

    {
        InterfaceEmulator emulator { ports };
        emulator.attach (end.inputId, end.outputId);
    }

    zun::SysexMessage builder;
    end.output->sendMessageNow (builder.CreateMessage (SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length));
    ASSERT_TRUE (ports.waitUntilDelivered());
    EXPECT_TRUE (end.collector.all().empty());
}
