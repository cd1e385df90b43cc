#include "InterfaceEmulator.h"
#include "CodeTables.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace
{
using Bytes = std::vector<juce::uint8>;
using Kind = InterfaceEmulator::RequestKind;
namespace MC = zun::MessageClass;
namespace DC = zun::DataClass;
namespace BT = zun::BlockType;

constexpr juce::uint8 frameHeader[] = { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };

// Acknowledgement error codes the emulator uses of its own accord.
constexpr juce::uint8 parmIdInvalid = 10, parmValueInvalid = 11, cmdValueInvalid = 14;

// Body bytes must stay below 0x80 and a name item must fit one length byte (and its block).
constexpr size_t longestName = 122;

// The interface checks a frame as the application does: envelope, size, length and checksum.
bool isWellFormed (const juce::MidiMessage& message)
{
    const zun::FrameView frame (message);
    const int size = frame.Size();

    if (size < zun::Frame::overhead)
        return false;

    for (int i = 0; i < 5; ++i)
        if (frame.Byte (i) != frameHeader[i])
            return false;

    const int length = frame.BodyLength();

    if (length == 1 || size != length + zun::Frame::overhead || frame.Byte (size - 1) != 0xF7)
        return false;

    unsigned int sum = 0;

    for (int i = 1; i < size - 1; ++i)
    {
        if (frame.Byte (i) >= 0x80)
            return false;

        if (i >= zun::Frame::productIdPos)
            sum += frame.Byte (i);
    }

    return (sum & 0x7F) == 0;
}

// The blocks of a request body, as far as the emulator needs them.
struct ParsedBody
{
    juce::uint8 messageClass = 0, dataClass = 0;
    Bytes ids; // IdList entries
    std::vector<std::pair<juce::uint8, juce::uint8>> arguments; // ArgValList pairs
    std::vector<Bytes> items; // ParmValList and CmdValList items: id, then the values
    bool wellFormed = false;

    std::optional<juce::uint8> argument (juce::uint8 id) const
    {
        for (auto& pair : arguments)
            if (pair.first == id)
                return pair.second;
        return {};
    }
};

ParsedBody parseBody (const Bytes& body)
{
    ParsedBody parsed;

    if (body.size() < 3)
        return parsed;

    parsed.messageClass = body[0];
    parsed.dataClass = body[1];
    size_t pos = 3;

    for (int block = 0; block < body[2]; ++block)
    {
        if (pos + 3 > body.size())
            return parsed;

        const size_t blockLength = body[pos];
        const auto type = body[pos + 1];
        const int count = body[pos + 2];
        const size_t end = pos + blockLength;

        if (blockLength < 3 || end > body.size())
            return parsed;

        size_t entry = pos + 3;

        for (int i = 0; i < count; ++i)
        {
            if (type == BT::IdList && entry < end)
            {
                parsed.ids.push_back (body[entry++]);
            }
            else if (type == BT::ArgValList && entry + 2 <= end)
            {
                parsed.arguments.emplace_back (body[entry], body[entry + 1]);
                entry += 2;
            }
            else if ((type == BT::ParmValList || type == BT::CmdValList) && entry + 2 <= end && body[entry] >= 2 && entry + body[entry] <= end)
            {
                parsed.items.emplace_back (body.begin() + (long) entry + 1, body.begin() + (long) (entry + body[entry]));
                entry += body[entry];
            }
            else
            {
                return parsed;
            }
        }

        pos = end;
    }

    parsed.wellFormed = true;
    return parsed;
}

Kind classify (const Bytes& body)
{
    if (body.empty())
        return Kind::ping;

    const auto parsed = parseBody (body);

    if (! parsed.wellFormed)
        return Kind::unknown;

    const auto m = parsed.messageClass, d = parsed.dataClass;
    const auto& ids = parsed.ids;
    const bool hasArguments = ! parsed.arguments.empty();

    if (m == MC::HstSesnVal && d == DC::SessionInfo)
        return Kind::discovery;

    if (m == MC::GetParmVal)
    {
        if (d == DC::DeviceInfo && ids == Bytes { 0x01 })
            return Kind::getProductName;
        if (d == DC::DeviceInfo && ids == Bytes { 0x14, 0x17, 0x19 })
            return Kind::getSettingsDI;
        if (d == DC::AudioInfo && ids == Bytes { 0x01 })
            return Kind::getSettingsAI;
        if (d == DC::DeviceFeature && ! hasArguments && ids == Bytes { 0x01, 0x04 })
            return Kind::getSettingsDF;
        if (d == DC::DeviceFeature && parsed.argument (0x09) && ids == Bytes { 0x02 })
            return Kind::getSettingsPresetName;
        if (d == DC::DeviceFeature && ! hasArguments && ids == Bytes { 0x13, 0x14, 0x15, 0x16, 0x17, 0x18 })
            return Kind::getSettingsFailover;
        if (d == DC::DeviceFeature && ! hasArguments && ids == Bytes { 0x04, 0x10, 0x11, 0x12 })
            return Kind::getRuntime;
        if (d == DC::AudioPortInfo && parsed.argument (0x10) && ids == Bytes { 0x01, 0x02, 0x03, 0x10 })
            return Kind::getSettingsAudioPortInfo;
    }

    if (m == MC::SetParmVal && d == DC::DeviceFeature && parsed.items.size() == 1)
        return Kind::setFailover;

    if (m == MC::SetCmdVal && d == 0x00 && parsed.items.size() == 1)
    {
        const auto& item = parsed.items.front();

        // The whole command must match: an interface would not know a changed byte.
        if (item.size() == 4 && item[0] == 0x02 && item[1] == 0x43 && item[2] == 0x00)
            return Kind::loadPreset;
        if (item.size() == 4 && item[0] == 0x02 && item[1] == 0x03 && item[2] == 0x00)
            return Kind::savePreset;
        if (item == Bytes { 0x05, 1, 0x06 })
            return Kind::subscribe;
        if (item == Bytes { 0x05, 2, 0x06 })
            return Kind::unsubscribe;
    }

    return Kind::unknown;
}

Bytes bodyOf (const juce::MidiMessage& message)
{
    const zun::FrameView frame (message);
    const auto* data = frame.Data();
    return Bytes (data + zun::Frame::bodyPos, data + frame.Size() - 2);
}

// A name item of a ParmValList: [item length][id][name], the name kept to 7-bit bytes.
void appendNameItem (Bytes& body, juce::uint8 id, const std::string& name, std::optional<juce::uint8> lengthOverride)
{
    const auto length = juce::jmin (name.size(), longestName);
    body.push_back ((juce::uint8) (3 + 2 + length)); // block length
    body.push_back (BT::ParmValList);
    body.push_back (1);
    body.push_back (lengthOverride.value_or ((juce::uint8) (length + 2)));
    body.push_back (id);

    for (size_t i = 0; i < length; ++i)
        body.push_back ((juce::uint8) (name[i] & 0x7F));
}
} // namespace

//==============================================================================
struct InterfaceEmulator::Core
{
    Core (VirtualMidiPortSystem& portsToUse, Config initialConfig)
        : ports (portsToUse)
        , config (std::move (initialConfig))
        , startSettings (config.settings)
    {
    }

    //==============================================================================
    // The notification thread: it sends what the schedule says is due since the subscription
    // (or the last configure()), so a late wake-up is caught up and fast rates keep their
    // average. It never waits on the ports, only on the emulator's own lock.
    void pushPeriodically()
    {
        std::unique_lock<std::mutex> guard (lock);

        while (! detached)
        {
            const auto interval = config.notificationIntervalMs;

            if (! subscribed || interval <= 0.0)
            {
                wake.wait (guard);
                continue;
            }

            const auto due = (juce::int64) ((juce::Time::getMillisecondCounterHiRes() - scheduleStartMs) / interval);

            if (scheduledPushes >= due)
            {
                const auto nextMs = scheduleStartMs + (double) (scheduledPushes + 1) * interval - juce::Time::getMillisecondCounterHiRes();
                wake.wait_for (guard, std::chrono::microseconds ((juce::int64) (nextMs * 1000.0) + 1));
                continue;
            }

            // In batches, so that requests are not held up behind a long catch-up.
            for (int i = 0; i < 256 && scheduledPushes < due; ++i, ++scheduledPushes)
                notify();

            guard.unlock();
            std::this_thread::yield();
            guard.lock();
        }
    }

    void restartSchedule()
    {
        scheduleStartMs = juce::Time::getMillisecondCounterHiRes();
        scheduledPushes = 0;
    }

    // One NotParmVal runtime-status frame to the pair and session of the subscription.
    void notify (double delayMs = 0.0)
    {
        ++notificationsSent;
        ports.sendToInput (inputs[(size_t) subscriptionPair], replyFrame (runtimeBody (MC::NotParmVal), subscriptionSession), delayMs);
    }

    // Called on the thread that sent the frame. Replies go out under the lock, so they keep
    // their order.
    void handleFrame (int pairIndex, const juce::MidiMessage& message)
    {
        const std::lock_guard<std::mutex> guard (lock);

        if (detached)
            return;

        received.push_back ({ message });
        auto& record = received.back();

        if (! isWellFormed (message))
            return;

        const zun::FrameView frame (message);
        const auto body = bodyOf (message);
        record.kind = classify (body);

        const bool mine = frame.ProductId() == config.productId && frame.SerialNumber() == config.serialNumber;
        const bool anyone = frame.ProductId() == 0 && frame.SerialNumber() == 0;

        if ((! mine && ! anyone) || isIgnored (record.kind))
            return;

        const auto runtimeBefore = runtimeBody (MC::NotParmVal);
        const auto reply = respond (record.kind, frame, body, pairIndex);
        record.answered = reply.has_value();

        for (int copy = 0; reply && copy < (config.duplicateReplies ? 2 : 1); ++copy)
            ports.sendToInput (inputs[(size_t) pairIndex], *reply, delayFor (record.kind));

        // A changed runtime status is pushed at once, behind the acknowledgement that caused it.
        if (subscribed && runtimeBody (MC::NotParmVal) != runtimeBefore)
            notify (delayFor (record.kind));
    }

    bool isIgnored (Kind kind) const
    {
        return std::find (config.ignoredRequests.begin(), config.ignoredRequests.end(), kind) != config.ignoredRequests.end();
    }

    double delayFor (Kind kind) const
    {
        auto found = config.replyDelayMsFor.find (kind);
        return found != config.replyDelayMsFor.end() ? found->second : 0.0;
    }

    //==============================================================================
    // The interface's answer to one request addressed to it, with its effects applied.
    std::optional<juce::MidiMessage> respond (Kind kind, const zun::FrameView& request, const Bytes& body, int pairIndex)
    {
        const auto session = request.SessionId();
        const auto parsed = parseBody (body);

        switch (kind)
        {
            case Kind::discovery:
                return replyFrame (discoveryBody(), session, request.SequenceNumber());

            case Kind::getProductName:
            {
                Bytes reply { MC::RetParmVal, DC::DeviceInfo, 1 };
                appendNameItem (reply, 0x01, config.productName, config.productNameItemLength);
                return replyFrame (reply, session);
            }

            case Kind::getSettingsAI:
                return replyFrame ({ MC::RetParmVal, DC::AudioInfo, 1, 6, BT::ParmValList, 1, 3, 0x01, config.audioPortCount }, session);

            case Kind::getSettingsDI:
                return replyFrame ({ MC::RetParmVal, DC::DeviceInfo, 1, 12, BT::ParmValList, 3, 3, 0x14, config.presetCount, 3, 0x17, config.deviceInfo17, 3, 0x19, config.keepAlivePeriod }, session);

            case Kind::getSettingsDF:
                return replyFrame ({ MC::RetParmVal, DC::DeviceFeature, 1, 9, BT::ParmValList, 2, 3, 0x01, config.currentPreset, 3, 0x04, config.currentScene }, session);

            case Kind::getSettingsPresetName:
            {
                const auto p = *parsed.argument (0x09);
                const auto name = p >= 1 && (size_t) p <= config.presetNames.size() ? config.presetNames[p - 1u] : std::string();
                Bytes reply { MC::RetParmVal, DC::DeviceFeature, 2, 5, BT::ArgValList, 1, 0x09, p };
                appendNameItem (reply, 0x02, name, config.presetNameItemLength);
                return replyFrame (reply, session);
            }

            case Kind::getSettingsAudioPortInfo:
            {
                const auto k = *parsed.argument (0x10);
                const auto port = k >= 1 && (size_t) k <= config.audioPorts.size() ? config.audioPorts[k - 1u] : AudioPort();
                return replyFrame ({ MC::RetParmVal, DC::AudioPortInfo, 2, 5, BT::ArgValList, 1, 0x10, k, 16, BT::ParmValList, 4, 3, 0x01, port.type, 3, 0x02, port.number, 3, 0x03, port.parameter03, 4, 0x10, port.parameter10, port.channelCount }, session);
            }

            case Kind::getSettingsFailover:
                return replyFrame (failoverBody(), session);

            case Kind::getRuntime:
                return replyFrame (runtimeBody (MC::RetParmVal), session);

            case Kind::setFailover:
                return replyFrame (acknowledgement (body, applySetting (parsed.items.front())), session);

            case Kind::loadPreset:
            case Kind::savePreset:
                return replyFrame (acknowledgement (body, applyPresetCommand (kind, parsed.items.front()[3])), session);

            case Kind::subscribe:
                subscribed = true;
                subscriptionSession = session;
                subscriptionPair = pairIndex;
                restartSchedule();
                wake.notify_all();
                return {};

            case Kind::unsubscribe:
                subscribed = false;
                return {};

            case Kind::ping:
            case Kind::unknown:
            case Kind::malformed:
                return {};
        }

        return {};
    }

    // The chosen refusal code, else the interface's own.
    juce::uint8 refusal (juce::uint8 ownCode) const { return config.ackErrorCode != 0 ? config.ackErrorCode : ownCode; }

    // Error code for a SetFailover item (id, values); a zero code applies the value.
    juce::uint8 applySetting (const Bytes& item)
    {
        auto& c = config;
        auto& s = config.settings;
        const auto id = item[0];
        auto value = [&item] (size_t i)
        { return i + 1 < item.size() ? item[i + 1] : (juce::uint8) 0; };

        const std::map<juce::uint8, juce::uint8*> single { { 0x04, &c.currentScene }, { 0x10, &c.armed }, { 0x11, &c.alarm }, { 0x13, &s.failoverMode }, { 0x14, &s.options }, { 0x15, &s.triggerMode } };
        const bool group = id == 0x16 || id == 0x17; // sub-parameter 1 trigger, 2 channel or port, 3 time-out

        if (single.count (id) == 0 && ! group && id != 0x18)
            return refusal (parmIdInvalid);

        const size_t needed = id == 0x18 ? 3 : (group ? (value (0) == 3 ? 3 : 2) : 1);

        if (item.size() - 1 < needed || (group && (value (0) < 1 || value (0) > 3)))
            return refusal (parmValueInvalid);

        if (c.ackErrorCode != 0)
            return c.ackErrorCode;

        const auto fourteen = (juce::uint16) ((value (1) << 7) | value (2));
        const bool audio = id == 0x16;

        if (single.count (id) != 0)
            *single.at (id) = value (0);
        else if (id == 0x18)
            s.maxVolume = (juce::int16) (juce::uint16) ((value (0) << 14) | fourteen);
        else if (value (0) == 1)
            (audio ? s.audioTrigger : s.midiTrigger) = value (1);
        else if (value (0) == 2)
            (audio ? s.audioChannel : s.midiPort) = value (1);
        else
            (audio ? s.audioTimeout : s.midiTimeout) = fourteen;

        return 0;
    }

    juce::uint8 applyPresetCommand (Kind kind, juce::uint8 preset)
    {
        if (preset < 1 || preset > config.presetCount)
            return refusal (cmdValueInvalid);

        if (config.ackErrorCode != 0)
            return config.ackErrorCode;

        if (kind == Kind::loadPreset)
        {
            config.currentPreset = preset;
            config.settings = storedSettings (preset);
        }
        else
        {
            storedSettings (preset) = config.settings;
        }

        return 0;
    }

    FailoverSettings& storedSettings (juce::uint8 preset)
    {
        if (config.presetSettings.size() < preset)
            config.presetSettings.resize (preset, startSettings);

        return config.presetSettings[preset - 1u];
    }

    Bytes acknowledgement (const Bytes& request, juce::uint8 code) const
    {
        return { MC::Ack, 0x00, config.ackMessageClass.value_or (request[0]), config.ackDataClass.value_or (request[1]), code };
    }

    //==============================================================================
    // SessionInfo reply, frame bytes 25-44: one ParmValList of four items:
    //   0x01 the session parameter of the request (04 00),
    //   0x02 the number of USB host connections (00 02),
    //   0x03 the hardware revision 1.0 (01 00): frame byte 38 = 0x01,
    //   0x04 the firmware version 2.0.5 (02 00 05): frame bytes 42 = 0x02, 44 = 0x05.
    Bytes discoveryBody() const
    {
        return { MC::DevSesnVal, DC::SessionInfo, 1, 20, BT::ParmValList, 4, 4, 0x01, 0x04, 0x00, 4, 0x02, 0x00, 0x02, 4, 0x03, 0x01, 0x00, 5, 0x04, 0x02, 0x00, 0x05 };
    }

    Bytes failoverBody() const
    {
        const auto& c = config.settings;
        const auto volume = (juce::uint16) c.maxVolume;

        return { MC::RetParmVal, DC::DeviceFeature, 1, 35, BT::ParmValList, 6, 3, 0x13, c.failoverMode, 3, 0x14, c.options, 3, 0x15, c.triggerMode, 9, 0x16, 1, c.audioTrigger, 2, c.audioChannel, 3, (juce::uint8) ((c.audioTimeout >> 7) & 0x7F), (juce::uint8) (c.audioTimeout & 0x7F), 9, 0x17, 1, c.midiTrigger, 2, c.midiPort, 3, (juce::uint8) ((c.midiTimeout >> 7) & 0x7F), (juce::uint8) (c.midiTimeout & 0x7F), 5, 0x18, (juce::uint8) (volume >> 14), (juce::uint8) ((volume >> 7) & 0x7F), (juce::uint8) (volume & 0x7F) };
    }

    Bytes runtimeBody (juce::uint8 messageClass) const
    {
        const auto& c = config;
        return { messageClass, DC::DeviceFeature, 1, 18, BT::ParmValList, 4, 3, 0x04, c.currentScene, 3, 0x10, c.armed, 3, 0x11, c.alarm, 6, 0x12, c.hostStatus[0], c.hostStatus[1], c.hostStatus[2], c.hostStatus[3] };
    }

    //==============================================================================
    juce::MidiMessage buildFrame (const Bytes& body, juce::uint32 sessionId, juce::uint32 sequenceNumber)
    {
        builder.productId = config.productId;
        builder.serialNumber = config.serialNumber;
        builder.sessionId = sessionId & 0x0FFFFFFF;
        builder.sequenceNumber = sequenceNumber & 0x0FFFFFFF;
        return builder.CreateMessage (body.data(), (unsigned short) body.size());
    }

    // A frame the emulator sends of its own accord, with the faults it is told to make.
    juce::MidiMessage replyFrame (const Bytes& body, juce::uint32 sessionId, std::optional<juce::uint32> echoedSequence = {})
    {
        const auto sequence = echoedSequence.value_or (ownSequence);

        if (! echoedSequence)
            ownSequence = (ownSequence + 1) & 0x0FFFFFFF;

        auto frame = buildFrame (body, config.wrongSessionId ? sessionId + 1 : sessionId, sequence);

        if (! config.badChecksum)
            return frame;

        Bytes bytes (frame.getRawData(), frame.getRawData() + frame.getRawDataSize());
        bytes[bytes.size() - 2] = (juce::uint8) ((bytes[bytes.size() - 2] + 1) & 0x7F);
        return juce::MidiMessage (bytes.data(), (int) bytes.size());
    }

    //==============================================================================
    VirtualMidiPortSystem& ports;

    std::mutex lock;
    std::condition_variable wake; // the notification thread's: subscription, configuration, detaching
    Config config;
    const FailoverSettings startSettings;
    std::vector<juce::String> inputs; // the application's input of each attached pair
    std::vector<ReceivedFrame> received;
    zun::SysexMessage builder;
    juce::uint32 ownSequence = 0, subscriptionSession = 0;
    bool subscribed = false, detached = false;
    int subscriptionPair = -1;
    double scheduleStartMs = 0.0;
    juce::int64 scheduledPushes = 0;
    juce::int64 notificationsSent = 0;
    std::thread pusher; // runs pushPeriodically; the emulator's destructor joins it
};

//==============================================================================
juce::String InterfaceEmulator::describe (RequestKind kind)
{
    static constexpr const char* names[] = { "malformed", "unknown", "ping", "discovery", "getProductName", "getSettingsAI", "getSettingsDI", "getSettingsDF", "getSettingsPresetName", "getSettingsAudioPortInfo", "getSettingsFailover", "getRuntime", "setFailover", "loadPreset", "savePreset", "subscribe", "unsubscribe" };
    static_assert (std::size (names) == (size_t) RequestKind::unsubscribe + 1, "one name for each kind");
    return names[(size_t) kind];
}

//==============================================================================
InterfaceEmulator::Config::Config()
{
    setPresets (4);
    setAudioPorts (4);
}

void InterfaceEmulator::Config::setPresets (int count)
{
    presetCount = (juce::uint8) juce::jlimit (0, 127, count);
    presetNames.clear();

    for (int p = 1; p <= count; ++p)
        presetNames.push_back ("Preset " + std::to_string (p));
}

void InterfaceEmulator::Config::setAudioPorts (int count, bool withUsbd1, bool withUsbd2)
{
    audioPortCount = (juce::uint8) juce::jlimit (0, 127, count);
    audioPorts.clear();

    if (withUsbd1 && (int) audioPorts.size() < count)
        audioPorts.push_back ({ 1, 1, 1, 2, 8 });

    if (withUsbd2 && (int) audioPorts.size() < count)
        audioPorts.push_back ({ 1, 2, 1, 2, 6 });

    // Analog, Mixer and Tone Generator ports in turn.
    const juce::uint8 types[] = { 2, 3, 4 };
    const juce::uint8 channels[] = { 2, 2, 1 };
    juce::uint8 numbers[] = { 0, 0, 0 };

    for (int i = 0; (int) audioPorts.size() < count; ++i)
    {
        const auto t = (size_t) (i % 3);
        audioPorts.push_back ({ types[t], ++numbers[t], 1, 2, channels[t] });
    }
}

//==============================================================================
InterfaceEmulator::InterfaceEmulator (VirtualMidiPortSystem& ports, Config initialConfig)
    : core (std::make_shared<Core> (ports, std::move (initialConfig)))
{
    core->pusher = std::thread ([c = core.get()]
                                { c->pushPeriodically(); });
}

// The output listeners keep the core alive and find it detached, so the ports may outlive
// the emulator (and a frame being handled right now is finished safely).
InterfaceEmulator::~InterfaceEmulator()
{
    {
        const std::lock_guard<std::mutex> guard (core->lock);
        core->detached = true;
    }

    core->wake.notify_all();
    core->pusher.join();
}

int InterfaceEmulator::attach (const juce::String& appInputIdentifier, const juce::String& appOutputIdentifier)
{
    int index = 0;

    {
        const std::lock_guard<std::mutex> guard (core->lock);
        index = (int) core->inputs.size();
        core->inputs.push_back (appInputIdentifier);
    }

    core->ports.setOutputListener (appOutputIdentifier, [c = core, index] (const juce::MidiMessage& message)
                                   { c->handleFrame (index, message); });
    return index;
}

void InterfaceEmulator::configure (const std::function<void (Config&)>& change)
{
    {
        const std::lock_guard<std::mutex> guard (core->lock);
        change (core->config);
        core->restartSchedule(); // the interval may have changed
    }

    core->wake.notify_all();
}

//==============================================================================
std::vector<InterfaceEmulator::ReceivedFrame> InterfaceEmulator::receivedFrames() const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return core->received;
}

int InterfaceEmulator::countOf (RequestKind kind) const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return (int) std::count_if (core->received.begin(), core->received.end(), [kind] (const ReceivedFrame& r)
                                { return r.kind == kind; });
}

juce::int64 InterfaceEmulator::notificationsSent() const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return core->notificationsSent;
}

std::optional<InterfaceEmulator::ReceivedFrame> InterfaceEmulator::lastOf (RequestKind kind) const
{
    const std::lock_guard<std::mutex> guard (core->lock);

    for (auto it = core->received.rbegin(); it != core->received.rend(); ++it)
        if (it->kind == kind)
            return *it;

    return {};
}

void InterfaceEmulator::clear()
{
    const std::lock_guard<std::mutex> guard (core->lock);
    core->received.clear();
}

//==============================================================================
bool InterfaceEmulator::isSubscribed() const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return core->subscribed;
}

bool InterfaceEmulator::pushNotification (int count)
{
    const std::lock_guard<std::mutex> guard (core->lock);

    if (! core->subscribed)
        return false;

    for (int i = 0; i < count; ++i)
        core->notify();

    return true;
}

//==============================================================================
juce::MidiMessage InterfaceEmulator::makeFrame (const std::vector<juce::uint8>& body, juce::uint32 sessionId, juce::uint32 sequenceNumber) const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return core->buildFrame (body, sessionId, sequenceNumber);
}

std::vector<juce::uint8> InterfaceEmulator::discoveryReplyBody() const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return core->discoveryBody();
}

std::vector<juce::uint8> InterfaceEmulator::runtimeStatusBody (juce::uint8 messageClass) const
{
    const std::lock_guard<std::mutex> guard (core->lock);
    return core->runtimeBody (messageClass);
}

void InterfaceEmulator::sendToApp (const juce::MidiMessage& frame, int pairIndex, double delayMs)
{
    const std::lock_guard<std::mutex> guard (core->lock);

    if (pairIndex < 0 || pairIndex >= (int) core->inputs.size())
        jassertfalse;
    else
        core->ports.sendToInput (core->inputs[(size_t) pairIndex], frame, delayMs);
}
