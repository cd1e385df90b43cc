#pragma once

#include "SysexMessage.h"
#include "VirtualMidiPorts.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// A stand-in for the audio and MIDI interface, for tests: it listens on the application's MIDI
// outputs and answers into its inputs through a VirtualMidiPortSystem.
//
// It checks each frame as an interface would (envelope F0 00 2E 5A 7D ... F7, size = body
// length + 24, body length not 1, checksum) and answers only requests with its own product id
// and serial number, or zeros in both. Replies carry its own ids and the session id of the
// request they answer (a discovery reply also echoes the request's sequence number); pushed
// notifications carry the session id of the subscription. Every received frame is recorded.
//
// One emulator is one interface: attach it to several pairs to reach it over each of them.
// Requests are handled on the sender's thread, replies arrive on the input's thread, periodic
// notifications come from a thread of the emulator's own; one lock guards configuration and
// records, so any function may be called from any thread. Destroy the emulator before the port
// system.
class InterfaceEmulator final
{
public:
    //==============================================================================
    // What a received frame was recognised as.
    enum class RequestKind
    {
        malformed, // fails the envelope, size, body-length or checksum check
        unknown, // a well-formed frame that is none of the requests below
        ping, // empty body
        discovery, // HstSesnVal SessionInfo
        getProductName, // GetParmVal DeviceInfo, ids 01
        getSettingsAI, // GetParmVal AudioInfo, ids 01
        getSettingsDI, // GetParmVal DeviceInfo, ids 14 17 19
        getSettingsDF, // GetParmVal DeviceFeature, ids 01 04
        getSettingsPresetName, // GetParmVal DeviceFeature, argument 09, ids 02
        getSettingsAudioPortInfo, // GetParmVal AudioPortInfo, argument 10, ids 01 02 03 10
        getSettingsFailover, // GetParmVal DeviceFeature, ids 13 14 15 16 17 18
        getRuntime, // GetParmVal DeviceFeature, ids 04 10 11 12
        setFailover, // SetParmVal DeviceFeature, one item
        loadPreset, // SetCmdVal None, command 02 with 43 00 p
        savePreset, // SetCmdVal None, command 02 with 03 00 p
        subscribe, // SetCmdVal None, command 05 with 1
        unsubscribe // SetCmdVal None, command 05 with 2
    };

    static juce::String describe (RequestKind kind);

    //==============================================================================
    // One audio port as the AudioPortInfo reply describes it.
    struct AudioPort
    {
        juce::uint8 type = 0; // 1 USBD, 2 Analog, 3 Mixer, 4 Tone Generator
        juce::uint8 number = 0; // number within its type ("USBD 2" has number 2)
        juce::uint8 parameter03 = 0; // here: 1 when the port is enabled
        juce::uint8 parameter10 = 0; // first byte of parameter 0x10; here: 0 in, 1 out, 2 both
        juce::uint8 channelCount = 0; // second byte of parameter 0x10
    };

    // The failover settings (DeviceFeature 0x13 to 0x18), which the interface keeps per preset.
    struct FailoverSettings
    {
        juce::uint8 failoverMode = 1; // 0x13: 1 single master, 2 dual master
        juce::uint8 options = 0; // 0x14: bit 0 auto arm, 1 auto switch back, 2 auto clear alarm, 3 MIDI panic, 4 tone check
        juce::uint8 triggerMode = 1; // 0x15: 1 audio, 2 MIDI, 3 audio or MIDI, 4 audio and MIDI
        juce::uint8 audioTrigger = 1; // 0x16 sub 1
        juce::uint8 audioChannel = 1; // 0x16 sub 2
        juce::uint16 audioTimeout = 800; // 0x16 sub 3, eighths of a millisecond, 14 bits
        juce::uint8 midiTrigger = 1; // 0x17 sub 1
        juce::uint8 midiPort = 1; // 0x17 sub 2
        juce::uint16 midiTimeout = 800; // 0x17 sub 3, eighths of a millisecond, 14 bits
        juce::int16 maxVolume = 0; // 0x18, 1/256 dB
    };

    // Everything the emulated interface holds and every knob a test may turn.
    struct Config
    {
        //==========================================================================
        // Identity.
        juce::uint16 productId = 0x1234; // 14 bits
        juce::uint32 serialNumber = 0x12345678;
        std::string productName = "Failover Interface"; // any bytes below 0x80, 0x00 and empty included

        //==========================================================================
        // DeviceInfo.
        juce::uint8 presetCount = 4; // reported as DeviceInfo 0x14
        std::vector<std::string> presetNames; // name of preset p is presetNames[p - 1]; missing ones are empty
        juce::uint8 deviceInfo17 = 0x01; // DeviceInfo 0x17 (here: the number of scenes minus one)
        juce::uint8 keepAlivePeriod = 3; // DeviceInfo 0x19, seconds

        //==========================================================================
        // Audio ports.
        juce::uint8 audioPortCount = 4; // reported as AudioInfo 0x01
        std::vector<AudioPort> audioPorts; // port k is audioPorts[k - 1]; a missing one is answered with zeros

        //==========================================================================
        // DeviceFeature: current preset and the failover settings, current and per preset.
        juce::uint8 currentPreset = 1; // 0x01
        FailoverSettings settings; // the current ones; LoadPreset p makes preset p's current
        std::vector<FailoverSettings> presetSettings; // preset p's are presetSettings[p - 1]; missing ones hold the settings the emulator started with

        //==========================================================================
        // Runtime status (DeviceFeature 0x04, 0x10, 0x11, 0x12).
        juce::uint8 currentScene = 1; // 1 scene A, 2 scene B
        juce::uint8 armed = 0;
        juce::uint8 alarm = 0;
        juce::uint8 hostStatus[4] = {}; // USB 1 audio, USB 1 MIDI, USB 2 audio, USB 2 MIDI

        //==========================================================================
        // Behaviour.
        double notificationIntervalMs = 0.0; // while subscribed, one runtime notification per interval (fractions allowed; late ones are caught up); 0: none of its own
        std::map<RequestKind, double> replyDelayMsFor; // per-kind delay of the reply
        std::vector<RequestKind> ignoredRequests; // recorded, neither answered nor acted on

        // Acknowledgements (SetFailover, LoadPreset, SavePreset). With ackErrorCode 0 the interface
        // still refuses an unknown parameter (10), a value it cannot read (11), a preset outside
        // 1 to presetCount (14).
        juce::uint8 ackErrorCode = 0; // 0 carries the request out; any other refuses it
        std::optional<juce::uint8> ackMessageClass; // in place of the request's message class
        std::optional<juce::uint8> ackDataClass; // in place of the request's data class

        //==========================================================================
        // Faults. The session and checksum faults apply to replies and notifications alike.
        bool wrongSessionId = false; // replies carry (request's session id + 1) & 0x0FFFFFFF
        bool badChecksum = false; // replies carry a checksum one too high
        bool duplicateReplies = false; // every reply is sent twice
        std::optional<juce::uint8> productNameItemLength; // in place of the name item's length byte (frame byte 28)
        std::optional<juce::uint8> presetNameItemLength; // in place of the preset name item's length byte (frame byte 33)

        //==========================================================================
        // Fills presetCount and presetNames with count presets named "Preset 1", "Preset 2", ...
        void setPresets (int count);

        // Fills audioPortCount and audioPorts with count ports: USBD 1 (8 channels) and USBD 2
        // (6 channels) first where asked for, then Analog, Mixer and Tone Generator in turn.
        void setAudioPorts (int count, bool withUsbd1 = true, bool withUsbd2 = true);

        // Starts with 4 presets and 4 ports (USBD 1, USBD 2, Analog, Mixer).
        Config();
    };

    //==============================================================================
    // One frame as it reached the emulator.
    struct ReceivedFrame
    {
        juce::MidiMessage message;
        RequestKind kind = RequestKind::malformed;
        bool answered = false; // a reply went out (or is on its way)
    };

    //==============================================================================
    explicit InterfaceEmulator (VirtualMidiPortSystem& ports, Config initialConfig = {});
    ~InterfaceEmulator();

    // Listens on the application's output (replacing its listener) and answers into the input of
    // the same pair. Returns the pair's index, 0 for the first.
    int attach (const juce::String& appInputIdentifier, const juce::String& appOutputIdentifier);

    //==============================================================================
    void configure (const std::function<void (Config&)>& change); // runs under the lock: change must not call the emulator

    //==============================================================================
    // Records.
    std::vector<ReceivedFrame> receivedFrames() const;
    int countOf (RequestKind kind) const;
    std::optional<ReceivedFrame> lastOf (RequestKind kind) const; // empty when none came
    void clear(); // forgets the received frames

    //==============================================================================
    // Notifications.
    bool isSubscribed() const;
    juce::int64 notificationsSent() const; // pushed runtime-status frames, periodic or asked for

    // While subscribed the emulator pushes NotParmVal runtime-status frames by itself: every
    // notificationIntervalMs, and at once when a SetFailover request changes the scene, armed
    // or alarm. This sends count more at once, back to back, with the subscription's session id
    // on the pair the subscription came in on (after configure(), it shows a changed runtime
    // status). False (and nothing sent) when not subscribed.
    bool pushNotification (int count = 1);

    //==============================================================================
    // Building blocks for frames the emulator would not send by itself.

    // A frame with this emulator's ids and a correct checksum; no fault is applied.
    juce::MidiMessage makeFrame (const std::vector<juce::uint8>& body, juce::uint32 sessionId, juce::uint32 sequenceNumber) const;

    // The bodies the emulator answers with, from its present configuration.
    std::vector<juce::uint8> discoveryReplyBody() const;
    std::vector<juce::uint8> runtimeStatusBody (juce::uint8 messageClass = 0x43) const;

    // Sends any frame into the application's input of an attached pair.
    void sendToApp (const juce::MidiMessage& frame, int pairIndex = 0, double delayMs = 0.0);

private:
    struct Core;
    std::shared_ptr<Core> core;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InterfaceEmulator)
};
