#include "FuzzCheck.h"
#include "MainComponentProbe.h"
#include "ReceivePathInput.h"
#include "VirtualMidiPorts.h"

#include <array>
#include <numeric>

// Drives one real MainComponent, on virtual ports with the monitor on, through its receive path:
// each input sets the component up in a request state and runtime mode, with or without loaded
// settings, and hands it MIDI messages, mostly well-formed frames whose bodies the fuzzer
// chooses (the seeds are the interface emulator's replies). Beyond the sanitizers it checks,
// after every message: one log line per message handed to the monitor, requestState one of the
// twelve states, the reply wait as the exchange leaves it, the record's slots and cursors within
// their bounds, and every control showing only what the application can show.
//
// Nothing here runs the message loop: timers and asynchronous notifications never fire, so an
// input does the same every time. The component is built once; each input resets it.

namespace
{
namespace In = ReceivePathInput;
using Bytes = std::vector<juce::uint8>;
using Block = zun::FailoverBlock;

// Who sends a frame, by the ids bits of its record (3: zeros). Discovery found 0, 1 and the
// last, which sends nothing; 2 is never discovered.
constexpr std::pair<juce::uint16, juce::uint32> interfaces[] { { 0x1234, 0x12345678 }, { 0x1235, 0x12345679 }, { 0x2345, 0x0BADCAFE }, { 0, 0 }, { 0x1236, 0x1234567A } };
constexpr int discovered[] { 0, 1, 4 };

// Per row (request state 0-11, then idle with loaded settings): inputs set up in it, frames
// that passed the gate and reached its handler, frames it accepted, status frames applied.
struct Reach
{
    long long inputs = 0, handled = 0, accepted = 0, statusApplied = 0;
};

std::array<Reach, 13> reach;

void printReach()
{
    static const char* names[] { "0 idle", "1 discovering", "2 probingNames", "3 readingAudioInfo", "4 readingDeviceInfo", "5 readingFeatures", "6 readingPresetNames", "7 readingAudioPorts", "8 readingFailoverSettings", "9 loadingPreset", "10 savingPreset", "11 settingParameter", "0 idle, loaded" };
    std::fprintf (stderr, "\nreceive path reach | inputs | frames to handler | accepted | status frames applied\n");

    for (size_t i = 0; i < reach.size(); ++i)
        std::fprintf (stderr, "%-26s | %lld | %lld | %lld | %lld\n", names[i], reach[i].inputs, reach[i].handled, reach[i].accepted, reach[i].statusApplied);
}

// Every character below 0x80, as a name from the interface is.
bool isNameText (const juce::String& text) { return text.getNumBytesAsUTF8() == (size_t) text.length(); }

// A value label: empty, or JUCE's text of a whole number up to the maximum, as an int or, for a
// count of eighths of a millisecond, as a float of milliseconds.
bool showsValue (const juce::String& text, int maximum, bool eighths)
{
    const auto n = juce::roundToInt (text.getDoubleValue() * (eighths ? 8.0 : 1.0));
    return text.isEmpty() || (n >= 0 && n <= maximum && text == (eighths ? juce::String ((float) n * 0.125f) : juce::String (n)));
}

// What a box shows: nothing, or the text of the item it selects.
bool showsItsSelection (juce::ComboBox& combo) { return combo.getText().isEmpty() || (combo.getSelectedId() != 0 && combo.getText() == combo.getItemText (combo.indexOfItemId (combo.getSelectedId()))); }

//==============================================================================
class World
{
public:
    World()
    {
        for (int i = 0; i < 2; ++i)
        {
            ports.addInput ("Fuzz");
            ports.addOutput ("Fuzz");
            probe.midiInputs().add (new MidiDeviceListEntry (ports.getAvailableInputs()[i]));
            probe.midiOutputs().add (new MidiDeviceListEntry (ports.getAvailableOutputs()[i]));
            probe.midiOutputs()[i]->discoverySequence = 0x100u + (juce::uint32) i;
        }

        probe.showMidiMessagesToggle().setToggleState (true, juce::sendNotificationSync);
    }

    ~World() { printReach(); }

    void run (const uint8_t* data, size_t size)
    {
        Bytes header (In::headerSize, 0);
        const auto headerBytes = std::min (size, header.size());
        std::copy (data, data + headerBytes, header.begin());

        // FNV-1a of the whole input: decides, out of the fuzzer's reach, whether this input may
        // take the slow path of a successful load.
        const auto hash = std::accumulate (data, data + size, 2166136261u, [] (juce::uint32 h, uint8_t byte)
                                           { return (h ^ byte) * 16777619u; });
        slowLoadAllowed = hash % 64 == 0;
        setUp (header);

        for (size_t position = headerBytes; position + 3 <= size;)
        {
            const auto kind = data[position], lengthFlags = data[position + 2];
            const auto length = std::min ((size_t) (data[position + 1] | ((lengthFlags & 1) << 8)), size - position - 3);
            const auto message = makeMessage (kind, Bytes (data + position + 3, data + position + 3 + length), lengthFlags);
            position += 3 + length;
            receiveAndCheck (sourceFor (kind), message);
        }
    }

private:
    static int presetLimit (const Block& block) { return std::min<int> (block.presetCount, Block::presetSlotCount); }
    static int portLimit (const Block& block) { return std::min<int> (block.audioPortCount, Block::audioPortSlotCount); }

    // The highest preset or port the read under way can have asked for (at least 1); 0 in
    // the other states.
    int queryLimit()
    {
        const auto& block = probe.deviceContainer().failoverBlock;
        const auto state = probe.requestState();
        return state == MainComponent::readingPresetNames ? std::max (1, presetLimit (block)) : state == MainComponent::readingAudioPorts ? std::max (1, portLimit (block))
                                                                                                                                          : 0;
    }

    // As the component would be in that state: the record partly read, the discovered interfaces
    // listed, the ports of the exchange open and the reply awaited.
    void setUp (const Bytes& h)
    {
        const auto state = (juce::uint8) (h[In::state] % 12);
        const bool loaded = (h[In::setupFlags] & 1) != 0;
        probe.clrGUI();
        probe.clearLog();

        auto& container = probe.deviceContainer();
        auto& block = container.failoverBlock;
        block.Empty();

        for (auto [field, value] : { std::pair { &Block::presetCount, h[In::presetCount] }, { &Block::audioPortCount, h[In::audioPortCount] }, { &Block::currentPreset, h[In::currentPreset] }, { &Block::failoverMode, h[In::failoverMode] }, { &Block::triggerMode, h[In::triggerMode] }, { &Block::audioTrigger, h[In::audioTrigger] }, { &Block::midiTrigger, h[In::midiTrigger] }, { &Block::usbd1PortSlot, (juce::uint8) (h[In::usbd1PortSlot] % 9) }, { &Block::usbd2PortSlot, (juce::uint8) (h[In::usbd2PortSlot] % 9) }, { &Block::keepAlivePeriod, (juce::uint8) 3 }, { &Block::audioChannel, (juce::uint8) 1 }, { &Block::midiPort, (juce::uint8) 1 } })
            block.*field = value;

        block.audioTimeout = block.midiTimeout = 800;

        for (int i = 0; i < presetLimit (block); ++i)
            block.presets[i] = { (juce::uint8) (i + 1), "Preset " + juce::String (i + 1) };

        for (int k = 0; k < portLimit (block); ++k)
            block.audioPorts[k] = { (juce::uint8) (k + 1), 1, (juce::uint8) (k + 1), 1, 2, 8, 0, 0, "USBD " + juce::String (k + 1) };

        auto& items = probe.discoveredInterfaces();
        items.clear();

        for (int i = 0; i < h[In::discoveredCount] % 4; ++i)
        {
            auto* item = items.add (new DeviceDiscoveryItem (interfaces[discovered[i]].first, interfaces[discovered[i]].second));
            item->inputIndex = item->outputIndex = i % 2;
        }

        // Discovery talks to every port, probing to the probed interface's, the rest to the
        // selected interface's (pair 0).
        const int cursor = items.isEmpty() ? 0 : h[In::probeCursor] % items.size();
        const int probedPair = items.isEmpty() ? -1 : items[cursor]->inputIndex;

        for (int pair = 0; pair < 2; ++pair)
            for (const bool isInput : { true, false })
                if (state == MainComponent::discovering || (state == MainComponent::probingNames ? pair == probedPair : pair == 0))
                    app.openDevice (isInput, pair);
                else
                    app.closeDevice (isInput, pair);

        auto& builder = container.sysexMessage;
        const bool addressed = state != MainComponent::discovering && state != MainComponent::probingNames;
        builder.sessionId = addressed ? 0x0ABCDEFu : 0;
        builder.productId = addressed ? interfaces[0].first : 0;
        builder.serialNumber = addressed ? interfaces[0].second : 0;

        if (loaded)
            probe.fillSettingsGui();

        probe.setRuntimeMode ((juce::uint8) (((h[In::setupFlags] >> 1) & 3) % 3)); // 3 reads as 0, Manual
        probe.setRequestState (state);
        probe.setProbeCursor (cursor);
        container.queryIndex = (juce::uint8) (queryLimit() > 0 ? 1 + h[In::queryIndex] % queryLimit() : 0);

        state >= MainComponent::probingNames ? probe.awaitReply() : app.stopReplyWait();

        reach[state == 0 && loaded ? 12 : state].inputs++;
    }

    juce::MidiMessage makeMessage (juce::uint8 kind, Bytes bytes, juce::uint8 lengthFlags)
    {
        // What a MIDI port delivers: data bytes have their top bit clear.
        for (auto& b : bytes)
            b &= 0x7F;

        if ((kind & 3) == In::rawSysex)
        {
            bytes.insert (bytes.begin(), 0xF0);
            bytes.insert (bytes.end(), (kind & 0x80) == 0 ? 1 : 0, 0xF7);
            return juce::MidiMessage (bytes.data(), (int) bytes.size());
        }

        if ((kind & 3) == In::shortMessage)
        {
            const auto first = bytes.empty() ? 0x90 : bytes[0] | 0x80;
            bytes.resize (3);
            bytes[0] = (juce::uint8) (first == 0xF0 || first == 0xF7 ? 0xF8 : first); // SysEx has its own kinds
            return juce::MidiMessage (bytes.data(), juce::MidiMessage::getMessageLengthFromFirstByte (bytes[0]));
        }

        // The addressed interface answers with the session of the request.
        const auto& builder = probe.deviceContainer().sysexMessage;
        const auto ids = (kind >> 4) & 3;
        const bool addressed = ids == 0 && builder.sessionId != 0;
        interfaceSide.productId = addressed ? builder.productId : interfaces[ids].first;
        interfaceSide.serialNumber = addressed ? builder.serialNumber : interfaces[ids].second;
        interfaceSide.sessionId = (builder.sessionId + ((lengthFlags & In::wrongSession) != 0 ? 1u : 0u)) & 0x0FFFFFFFu;

        if ((kind & In::echoDiscovery) != 0)
            interfaceSide.sequenceNumber = probe.midiOutputs()[(lengthFlags & In::echoSecondOutput) != 0 ? 1 : 0]->discoverySequence;

        // A successful load pauses the message thread for 200 ms on purpose: one input in 64
        // may take that path, the others see the same acknowledgement as a refusal.
        if (probe.requestState() == MainComponent::loadingPreset && ! slowLoadAllowed && bytes == Bytes { 0x40, 0, 0x11, 0, 0 })
            bytes[4] = 1;

        bytes.resize (std::min (bytes.size(), (size_t) 488));
        return interfaceSide.CreateMessage (bytes.empty() ? nullptr : bytes.data(), (unsigned short) bytes.size());
    }

    // Discovery and probing compare the source with their open inputs.
    MidiInputPort* sourceFor (juce::uint8 kind)
    {
        const auto choice = (kind >> 2) & 3;
        const auto* probed = probe.requestState() == MainComponent::probingNames ? probe.discoveredInterfaces()[probe.probeCursor()] : nullptr;
        const int listened = probed != nullptr ? probed->inputIndex : 0;
        return choice == 2 ? nullptr : probe.midiInputs()[choice == 1 ? 1 - listened : listened]->inDevice.get();
    }

    //==============================================================================
    void receiveAndCheck (MidiInputPort* source, const juce::MidiMessage& message)
    {
        auto& container = probe.deviceContainer();
        const auto stateBefore = probe.requestState();
        const bool loadedBefore = probe.settingsLoaded();
        auto& row = reach[stateBefore == 0 && loadedBefore ? 12 : stateBefore];
        const auto sequenceBefore = container.sysexMessage.sequenceNumber;
        const int linesBefore = probe.midiLog().getNumLines(), counterBefore = probe.logLineCounter();
        const int itemsBefore = probe.discoveredInterfaces().size(), cursorBefore = probe.probeCursor();
        const zun::FrameView frame (message);
        const bool passesGate = container.IsValidMidiMessage (message);
        // The runtime status: L = 21, RetParmVal or NotParmVal, DeviceFeature, one ParmValList
        // block with the items 04, 10, 11 and 12.
        const bool isStatus = passesGate && frame.BodyLength() == 21 && (frame.Byte (22) == 0x43 || frame.Byte (22) == 0x50)
                              && frame.HasBytes ({ { 23, 3 }, { 26, 3 }, { 29, 0x04 }, { 32, 0x10 }, { 35, 0x11 }, { 38, 0x12 } });

        probe.receive (source, message);

        // One line for the received message, then one per frame sent, each numbered in turn
        // (the line's text is the monitor tests' matter).
        const auto sent = (int) ((container.sysexMessage.sequenceNumber - sequenceBefore) & 0x0FFFFFFFu);
        FUZZ_CHECK (probe.midiLog().getNumLines() == linesBefore + 1 + sent && probe.logLineCounter() == counterBefore + 1 + sent);

        const auto state = probe.requestState();
        FUZZ_CHECK (state <= MainComponent::settingParameter);
        const bool accepted = state != stateBefore || sent > 0 || probe.discoveredInterfaces().size() != itemsBefore
                              || probe.probeCursor() != cursorBefore || probe.settingsLoaded() != loadedBefore;

        // A frame the gate drops or a status frame changes no exchange.
        FUZZ_CHECK (! accepted || (passesGate && ! isStatus));
        const bool statusApplied = passesGate && isStatus && state == stateBefore;
        row.statusApplied += statusApplied ? 1 : 0;
        row.handled += passesGate && ! statusApplied ? 1 : 0;
        row.accepted += accepted ? 1 : 0;

        // The reply wait: a frame that is not the reply leaves it running; an accepted reply ends
        // it, and the next request of the exchange starts it again.
        FUZZ_CHECK (stateBefore < MainComponent::probingNames || probe.isTimerRunning (MainComponent::replyTimeout) == (! accepted || state != MainComponent::idle));

        // Discovery collects replies and awaits nothing (one item per interface is the
        // discovery tests' matter).
        FUZZ_CHECK (stateBefore != MainComponent::discovering || (state == stateBefore && sent == 0));

        checkControls();
    }

    void checkControls()
    {
        const auto& block = probe.deviceContainer().failoverBlock;

        // The record: slots hold their own numbers, the host slots name a slot or none, and the
        // read asks only for presets and ports within the limits.
        FUZZ_CHECK (block.usbd1PortSlot <= Block::audioPortSlotCount && block.usbd2PortSlot <= Block::audioPortSlotCount);

        for (int i = 0; i < Block::presetSlotCount; ++i)
            FUZZ_CHECK ((block.presets[i].number == 0 || block.presets[i].number == i + 1) && isNameText (block.presets[i].name));

        for (int k = 0; k < Block::audioPortSlotCount; ++k)
            FUZZ_CHECK (block.audioPorts[k].index == 0 || block.audioPorts[k].index == k + 1);

        FUZZ_CHECK (queryLimit() == 0 || (probe.deviceContainer().queryIndex >= 1 && probe.deviceContainer().queryIndex <= queryLimit()));

        // The boxes show nothing or their selected item, and at most one preset is starred as
        // the current one (their items' texts are the settings tests' matter).
        int starred = 0;

        for (int i = 0; i < probe.presetCombo().getNumItems(); ++i)
            starred += probe.presetCombo().getItemText (i).startsWith ("* ") ? 1 : 0;

        FUZZ_CHECK (starred <= 1);

        for (auto* combo : { &probe.presetCombo(), &probe.failoverModeCombo(), &probe.triggerModeCombo(), &probe.audioTriggerCombo(), &probe.midiTriggerCombo() })
            FUZZ_CHECK (showsItsSelection (*combo));

        FUZZ_CHECK (showsValue (probe.audioChannelValue().getText(), 255, false) && showsValue (probe.midiPortValue().getText(), 255, false));
        FUZZ_CHECK (showsValue (probe.audioTimeoutValue().getText(), 0x3FFF, true) && showsValue (probe.midiTimeoutValue().getText(), 0x3FFF, true));

        // Status labels: empty, or the kind and a status from 1 to 3.
        for (const auto& [label, kind] : { std::pair { &probe.usb1AudioStatusLabel(), "Audio - " }, { &probe.usb2AudioStatusLabel(), "Audio - " }, { &probe.usb1MidiStatusLabel(), "MIDI - " }, { &probe.usb2MidiStatusLabel(), "MIDI - " } })
            FUZZ_CHECK (label->getText().isEmpty() || (label->getText().dropLastCharacters (1) == kind && juce::String ("123").containsChar (label->getText().getLastCharacter())));

        auto& slider = probe.maxVolSlider();
        FUZZ_CHECK (slider.getValue() >= slider.getMinimum() && slider.getValue() <= 0.0 && slider.getMaximum() == 0.0 && (slider.getMinimum() == -64.0 || slider.getMinimum() == -1.0));

        // A row of the list: its first form, or the name it told followed by its serial number.
        for (const auto* item : probe.discoveredInterfaces())
            FUZZ_CHECK (item->label == DeviceDiscoveryItem::MakeLabel (item->productId, item->serialNumber) || (item->label.endsWith (juce::String::formatted (" SN: %08X", (unsigned int) item->serialNumber)) && isNameText (item->label)));
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    VirtualMidiPortSystem ports;
    MainComponent app { ports, [] (const juce::String& title, const juce::String& message)
                        { FUZZ_CHECK (juce::StringArray { "Time Out Error: Something went wrong, was expecting a message from interface but did not receive one.", "Ack Error: Preset could not be loaded.", "Ack Error: Preset could not be saved.", "Ack Error: Changes could not be made." }.contains (title + ": " + message)); } };
    MainComponentProbe probe { app };
    zun::SysexMessage interfaceSide; // builds the frames the interface would send
    bool slowLoadAllowed = false;
};

World* world = nullptr;

void finish() { delete world; }
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    world = new World();

    // Runs before the statics that JUCE's leak detector counts in are destroyed.
    std::atexit (finish);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Nothing needs more than a few dozen frames of at most 512 bytes.
    if (size > 4096)
        return -1;

    world->run (data, size);
    return 0;
}
