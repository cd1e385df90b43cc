#include "DeviceContainer.h"
#include "InterfaceEmulator.h"
#include "RequestTemplates.h"

#include <gtest/gtest.h>
#include <mutex>

using Kind = InterfaceEmulator::RequestKind;
using Bytes = std::vector<juce::uint8>;

namespace
{
constexpr juce::uint16 ownProductId = 0x0ABC;
constexpr juce::uint32 ownSerialNumber = 0xF0012345, session = 0x0123456;

// The application's end of the port pair: what arrives on its input is collected.
class Collector final : public MidiInputPortCallback
{
public:
    void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> guard (lock);
        messages.push_back (message);
    }

    std::vector<juce::MidiMessage> take()
    {
        const std::lock_guard<std::mutex> guard (lock);
        return std::exchange (messages, {});
    }

private:
    std::mutex lock;
    std::vector<juce::MidiMessage> messages;
};

Bytes bodyOf (const juce::MidiMessage& m) { return Bytes (m.getRawData() + zun::Frame::bodyPos, m.getRawData() + m.getRawDataSize() - 2); }

// Every value differs from its neighbours, so a field written in the wrong place shows.
InterfaceEmulator::Config distinctSettings()
{
    InterfaceEmulator::Config c;
    c.productId = ownProductId;
    c.serialNumber = ownSerialNumber;
    c.productName = "Duo";
    c.setPresets (7);
    c.keepAlivePeriod = 9;
    c.setAudioPorts (5); // port 2 is USBD 2: type 1, number 2, 1, 2, 6 channels
    c.currentPreset = 6;
    c.currentScene = 2;
    c.settings.failoverMode = 2;
    c.settings.options = 0x15;
    c.settings.triggerMode = 4;
    c.settings.audioTrigger = 3;
    c.settings.audioChannel = 7;
    c.settings.audioTimeout = 16000;
    c.settings.midiTrigger = 2;
    c.settings.midiPort = 16;
    c.settings.midiTimeout = 12;
    c.settings.maxVolume = -1536;
    c.armed = 1;
    const juce::uint8 hostStatus[] = { 3, 1, 0, 4 }; // USB 1 audio and MIDI, USB 2 audio and MIDI
    std::copy (std::begin (hostStatus), std::end (hostStatus), c.hostStatus);
    return c;
}
} // namespace

// One interface on one port pair. Requests come from the real templates through a
// zun::SysexMessage addressed to the interface, as "Get Settings" leaves it.
class InterfaceEmulatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        emulator.attach (inputId, outputId);
        input = ports.openInput (inputId, collector);
        input->start();
        output = ports.openOutput (outputId);
        container.sysexMessage.sessionId = session;
        container.sysexMessage.productId = ownProductId;
        container.sysexMessage.serialNumber = ownSerialNumber;
        container.sysexMessage.sequenceNumber = 0x0ABCDEF; // far from the emulator's own count

        // The variable bytes, written as their senders do.
        SXMessage_GetSettingsPresetName[7] = 1;
        SXMessage_GetSettingsAudioPortInfo[7] = 2;
        SXMessage_LoadPreset[10] = 3;
        SXMessage_SavePreset[10] = 2;
    }

    // Sends a body with the builder's present ids; returns every reply that has come.
    std::vector<juce::MidiMessage> exchange (const unsigned char* body, unsigned short length)
    {
        output->sendMessageNow (container.sysexMessage.CreateMessage (body, length));
        EXPECT_TRUE (ports.waitUntilDelivered());
        return collector.take();
    }

    // Subscribes (1) or unsubscribes (2); the emulator acts on it before this returns.
    void sendRegistration (juce::uint8 mode)
    {
        SXMessage_SendRegistration[8] = mode;
        output->sendMessageNow (container.sysexMessage.CreateMessage (SXMessage_SendRegistration, SXMessage_SendRegistration_Length));
    }

    VirtualMidiPortSystem ports;
    InterfaceEmulator emulator { ports, distinctSettings() };
    const juce::String inputId = ports.addInput ("In"), outputId = ports.addOutput ("Out");
    Collector collector;
    std::unique_ptr<MidiInputPort> input;
    std::unique_ptr<MidiOutputPort> output;
    zun::DeviceContainer container;
};

// Each reply body byte for byte: its length, classes, block types, ids and values at the
// frame positions the application's acceptance tests read (body byte k is frame byte 22 + k).
TEST_F (InterfaceEmulatorTest, EachReplyHasTheByteLayoutTheApplicationExpects)
{
    const unsigned char setFailoverMode[] = { 0x10, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x13, 0x02 }; // n = 3

    const std::tuple<Kind, const unsigned char*, unsigned short, Bytes> requests[] = {
        { Kind::discovery, SXMessage_DeviceDiscovery, SXMessage_DeviceDiscovery_Length, { 0x41, 0x01, 1, 20, 3, 4, 4, 0x01, 0x04, 0x00, 4, 0x02, 0x00, 0x02, 4, 0x03, 0x01, 0x00, 5, 0x04, 0x02, 0x00, 0x05 } },
        { Kind::getProductName, SXMessage_GetProductName, SXMessage_GetProductName_Length, { 0x43, 0x02, 1, 8, 3, 1, 5, 0x01, 'D', 'u', 'o' } },
        { Kind::getSettingsAI, SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length, { 0x43, 0x08, 1, 6, 3, 1, 3, 0x01, 5 } },
        { Kind::getSettingsDI, SXMessage_GetSettingsDI, SXMessage_GetSettingsDI_Length, { 0x43, 0x02, 1, 12, 3, 3, 3, 0x14, 7, 3, 0x17, 0x01, 3, 0x19, 9 } },
        { Kind::getSettingsDF, SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length, { 0x43, 0x03, 1, 9, 3, 2, 3, 0x01, 6, 3, 0x04, 2 } },
        { Kind::getSettingsPresetName, SXMessage_GetSettingsPresetName, SXMessage_GetSettingsPresetName_Length, { 0x43, 0x03, 2, 5, 4, 1, 0x09, 1, 13, 3, 1, 10, 0x02, 'P', 'r', 'e', 's', 'e', 't', ' ', '1' } },
        { Kind::getSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo, SXMessage_GetSettingsAudioPortInfo_Length, { 0x43, 0x09, 2, 5, 4, 1, 0x10, 2, 16, 3, 4, 3, 0x01, 1, 3, 0x02, 2, 3, 0x03, 1, 4, 0x10, 2, 6 } },
        { Kind::getSettingsFailover, SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length, { 0x43, 0x03, 1, 35, 3, 6, 3, 0x13, 2, 3, 0x14, 0x15, 3, 0x15, 4, 9, 0x16, 1, 3, 2, 7, 3, 0x7D, 0x00, 9, 0x17, 1, 2, 2, 16, 3, 0x00, 0x0C, 5, 0x18, 0x03, 0x74, 0x00 } },
        { Kind::getRuntime, SXMessage_GetRuntime, SXMessage_GetRuntime_Length, { 0x43, 0x03, 1, 18, 3, 4, 3, 0x04, 2, 3, 0x10, 1, 3, 0x11, 0, 6, 0x12, 3, 1, 0, 4 } },
        { Kind::setFailover, setFailoverMode, sizeof (setFailoverMode), { 0x40, 0x00, 0x10, 0x03, 0x00 } },
        { Kind::loadPreset, SXMessage_LoadPreset, SXMessage_LoadPreset_Length, { 0x40, 0x00, 0x11, 0x00, 0x00 } },
        { Kind::savePreset, SXMessage_SavePreset, SXMessage_SavePreset_Length, { 0x40, 0x00, 0x11, 0x00, 0x00 } },
    };

    for (const auto& [kind, body, length, expected] : requests)
    {
        SCOPED_TRACE (InterfaceEmulator::describe (kind).toStdString());
        const auto sequence = container.sysexMessage.sequenceNumber;
        const auto replies = exchange (body, length);
        ASSERT_EQ (replies.size(), 1u);
        const zun::FrameView frame (replies[0]);

        EXPECT_EQ (bodyOf (replies[0]), expected);
        EXPECT_TRUE (frame.ProductId() == ownProductId && frame.SerialNumber() == ownSerialNumber && frame.SessionId() == session);
        EXPECT_TRUE (container.IsValidMidiMessage (replies[0]));
        EXPECT_EQ (emulator.countOf (kind), 1);
        EXPECT_TRUE (kind != Kind::discovery || frame.SequenceNumber() == sequence); // echoed
    }
}

TEST_F (InterfaceEmulatorTest, AnswersItsOwnIdsAndZerosButNotAnotherInterfaceOrABadChecksum)
{
    const std::tuple<juce::uint16, juce::uint32, bool> addresses[] = {
        { 0, 0, true },
        { ownProductId, ownSerialNumber, true },
        { (juce::uint16) (ownProductId + 1), ownSerialNumber, false },
        { ownProductId, ownSerialNumber ^ 0x10000000u, false },
        { ownProductId, 0, false },
        { 0, ownSerialNumber, false },
    };

    for (const auto& [productId, serialNumber, answered] : addresses)
    {
        container.sysexMessage.productId = productId;
        container.sysexMessage.serialNumber = serialNumber;
        EXPECT_EQ (exchange (SXMessage_GetSettingsAI, SXMessage_GetSettingsAI_Length).size(), answered ? 1u : 0u) << productId << " " << serialNumber;
    }

    const auto good = container.sysexMessage.CreateMessage (SXMessage_GetProductName, SXMessage_GetProductName_Length);
    Bytes bad (good.getRawData(), good.getRawData() + good.getRawDataSize());
    bad[bad.size() - 2] = (juce::uint8) ((bad[bad.size() - 2] + 1) & 0x7F);
    output->sendMessageNow (juce::MidiMessage (bad.data(), (int) bad.size()));
    ASSERT_TRUE (ports.waitUntilDelivered());
    EXPECT_TRUE (collector.take().empty());
    EXPECT_EQ (emulator.countOf (Kind::malformed), 1); // recorded all the same
}

TEST_F (InterfaceEmulatorTest, NotificationsCarryTheSubscriptionsSessionIdUntilUnsubscribed)
{
    EXPECT_FALSE (emulator.pushNotification());
    SXMessage_SendRegistration[8] = 1;
    EXPECT_TRUE (exchange (SXMessage_SendRegistration, SXMessage_SendRegistration_Length).empty());

    container.sysexMessage.sessionId = 0x0777777; // a later request of another session
    const auto status = bodyOf (exchange (SXMessage_GetRuntime, SXMessage_GetRuntime_Length).at (0));

    ASSERT_TRUE (emulator.pushNotification (2));
    ASSERT_TRUE (ports.waitUntilDelivered());
    const auto pushed = collector.take();
    ASSERT_EQ (pushed.size(), 2u);
    auto notification = status;
    notification[0] = 0x50; // NotParmVal, else the runtime status as a reply gives it

    for (auto& frame : pushed)
    {
        EXPECT_EQ (zun::FrameView (frame).SessionId(), session);
        EXPECT_EQ (bodyOf (frame), notification);
    }

    // Pings and registrations get no reply.
    EXPECT_TRUE (exchange (nullptr, 0).empty());
    SXMessage_SendRegistration[8] = 2;
    EXPECT_TRUE (exchange (SXMessage_SendRegistration, SXMessage_SendRegistration_Length).empty());
    EXPECT_FALSE (emulator.pushNotification());
}

// Preset 3 is stored with other settings than the current ones; each step is followed by a
// read of the current preset and of the failover settings (mode and option bits).
TEST_F (InterfaceEmulatorTest, LoadMakesAPresetsSettingsCurrentSaveStoresThemARefusedLoadChangesNothing)
{
    emulator.configure ([] (auto& c)
                        {
        c.presetSettings.assign (3, c.settings);
        c.presetSettings[2].failoverMode = 1;
        c.presetSettings[2].options = 0x0A; });

    unsigned char setOptions[] = { 0x10, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x14, 0x03 };

    const std::tuple<const char*, unsigned char*, juce::uint8, juce::uint8, juce::uint8, juce::uint8, juce::uint8> steps[] = {
        // step, request, preset byte, error code, then current preset, mode, options
        { "load 3", SXMessage_LoadPreset, 3, 0, 3, 1, 0x0A },
        { "change options", setOptions, 0, 0, 3, 1, 0x03 },
        { "save 3", SXMessage_SavePreset, 3, 0, 3, 1, 0x03 },
        { "load 2, never stored", SXMessage_LoadPreset, 2, 0, 2, 2, 0x15 },
        { "load 3 back", SXMessage_LoadPreset, 3, 0, 3, 1, 0x03 },
        { "load 8, beyond the 7 presets", SXMessage_LoadPreset, 8, 14, 3, 1, 0x03 },
        { "load 0", SXMessage_LoadPreset, 0, 14, 3, 1, 0x03 },
    };

    for (const auto& [step, body, preset, error, current, mode, options] : steps)
    {
        SCOPED_TRACE (step);
        const bool isPreset = body != setOptions;

        if (isPreset)
            body[10] = preset; // as the application writes it

        EXPECT_EQ (bodyOf (exchange (body, isPreset ? 11 : sizeof (setOptions)).at (0)).at (4), error);
        EXPECT_EQ (zun::FrameView (exchange (SXMessage_GetSettingsDF, SXMessage_GetSettingsDF_Length).at (0)).Byte (30), current);
        const auto settingsReply = exchange (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length).at (0);
        const zun::FrameView settings (settingsReply);
        EXPECT_EQ (settings.Byte (30), mode);
        EXPECT_EQ (settings.Byte (33), options);
    }
}

// While subscribed, a carried-out SetFailover that changes the scene, armed or alarm is followed
// at once by a notification; one that changes nothing of the runtime status is not.
TEST_F (InterfaceEmulatorTest, ARuntimeStatusChangedBySetFailoverIsPushedAtOnceWhileSubscribed)
{
    emulator.configure ([] (auto& c)
                        { c.alarm = 1; });

    const std::tuple<const char*, bool, juce::uint8, juce::uint8, bool> changes[] = {
        // change, subscribed, parameter id, value, pushed
        { "scene A, not subscribed", false, 0x04, 1, false },
        { "scene B", true, 0x04, 2, true },
        { "scene B again", true, 0x04, 2, false },
        { "disarm", true, 0x10, 0, true },
        { "clear alarm", true, 0x11, 0, true },
        { "clear alarm again", true, 0x11, 0, false },
        { "failover mode", true, 0x13, 1, false },
    };

    for (const auto& [change, subscribed, id, value, pushed] : changes)
    {
        SCOPED_TRACE (change);
        sendRegistration (subscribed ? 1 : 2);
        const unsigned char request[] = { 0x10, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, id, value };
        const auto replies = exchange (request, sizeof (request));
        ASSERT_EQ (replies.size(), pushed ? 2u : 1u);
        EXPECT_EQ (bodyOf (replies[0]), (Bytes { 0x40, 0x00, 0x10, 0x03, 0x00 }));

        if (pushed)
        {
            // The new value in its item (body bytes 8, 11, 14), the rest as GetRuntime reports it.
            auto status = bodyOf (exchange (SXMessage_GetRuntime, SXMessage_GetRuntime_Length).at (0));
            status[0] = 0x50;
            EXPECT_EQ (status.at (id == 0x04 ? 8u : (id == 0x10 ? 11u : 14u)), value);
            EXPECT_EQ (bodyOf (replies[1]), status);
        }
    }
}
