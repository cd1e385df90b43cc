#include "FuzzCheck.h"
#include "MainComponentProbe.h"
#include "ReceivePathInput.h"
#include "VirtualMidiPorts.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <set>

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

constexpr juce::uint32 sessionOfTheRead = 0x0ABCDEF;

// The interfaces' ids: discovered items take 0, 1 and 3; 2 is never discovered.
constexpr juce::uint16 productIds[] { 0x1234, 0x1235, 0x2345, 0x1236 };
constexpr juce::uint32 serialNumbers[] { 0x12345678, 0x12345679, 0x0BADCAFE, 0x1234567A };
constexpr int itemIds[] { 0, 1, 3 };

bool isAllowedAlert (const juce::String& title, const juce::String& message)
{
    return (title == "Time Out Error" && message == "Something went wrong, was expecting a message from interface but did not receive one.")
           || (title == "Ack Error" && (message == "Preset could not be loaded." || message == "Preset could not be saved." || message == "Changes could not be made."));
}

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

    void run (const uint8_t* data, size_t size);

private:
    using Header = std::array<juce::uint8, In::headerSize>;

    void setUp (const Header& header);
    void setPortsOpen (int pairIndex, bool open);
    juce::MidiMessage makeMessage (juce::uint8 kind, std::vector<juce::uint8> bytes, juce::uint8 lengthFlags);
    MidiInputPort* sourceFor (juce::uint8 kind);
    void receiveAndCheck (MidiInputPort* source, const juce::MidiMessage& message, int row);
    void checkControls();

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    VirtualMidiPortSystem ports;
    MainComponent app { ports, [] (const juce::String& title, const juce::String& message)
                        { FUZZ_CHECK (isAllowedAlert (title, message)); } };
    MainComponentProbe probe { app };
    zun::SysexMessage interfaceSide; // builds the frames the interface would send
    bool slowLoadAllowed = false;
};

void World::setPortsOpen (int pairIndex, bool open)
{
    auto* input = probe.midiInputs()[pairIndex].get();
    auto* output = probe.midiOutputs()[pairIndex].get();

    // Opening an input starts a thread: ports already as wanted are left alone.
    if (open)
    {
        app.openDevice (true, pairIndex);
        app.openDevice (false, pairIndex);
    }
    else if (input->inDevice != nullptr || output->outDevice != nullptr)
    {
        app.closeDevice (true, pairIndex);
        app.closeDevice (false, pairIndex);
    }
}

// As the component would be in that state: the record partly read, the discovered interfaces
// listed, the ports of the exchange open and the reply awaited.
void World::setUp (const Header& h)
{
    const auto state = (juce::uint8) (h[In::state] % 12);
    const bool loaded = (h[In::setupFlags] & 1) != 0;
    const auto mode = (juce::uint8) ((h[In::setupFlags] >> 1) & 3);

    probe.clrGUI();
    probe.clearLog();

    auto& container = probe.deviceContainer();
    auto& block = container.failoverBlock;
    block.Empty();
    block.presetCount = h[In::presetCount];
    block.audioPortCount = h[In::audioPortCount];
    block.currentPreset = h[In::currentPreset];
    block.failoverMode = h[In::failoverMode];
    block.triggerMode = h[In::triggerMode];
    block.audioTrigger = h[In::audioTrigger];
    block.midiTrigger = h[In::midiTrigger];
    block.usbd1PortSlot = (juce::uint8) (h[In::usbd1PortSlot] % 9);
    block.usbd2PortSlot = (juce::uint8) (h[In::usbd2PortSlot] % 9);
    block.keepAlivePeriod = 3;
    block.audioChannel = 1;
    block.midiPort = 1;
    block.audioTimeout = 800;
    block.midiTimeout = 800;

    const int presetLimit = juce::jmin ((int) block.presetCount, zun::FailoverBlock::presetSlotCount);
    const int portLimit = juce::jmin ((int) block.audioPortCount, zun::FailoverBlock::audioPortSlotCount);

    for (int i = 0; i < presetLimit; ++i)
        block.presets[i] = { (juce::uint8) (i + 1), "Preset " + juce::String (i + 1) };

    for (int k = 0; k < portLimit; ++k)
        block.audioPorts[k] = { (juce::uint8) (k + 1), 1, (juce::uint8) (k + 1), 1, 2, 8, 0, 0, "USBD " + juce::String (k + 1) };

    auto& items = probe.discoveredInterfaces();
    items.clear();
    const int itemCount = h[In::discoveredCount] % 4;

    for (int i = 0; i < itemCount; ++i)
    {
        auto* item = items.add (new DeviceDiscoveryItem (productIds[itemIds[i]], serialNumbers[itemIds[i]]));
        item->inputIndex = item->outputIndex = i % 2;
    }

    const int cursor = itemCount > 0 ? h[In::probeCursor] % itemCount : 0;

    // Discovery talks to every port, probing to the probed interface's, the rest to the
    // selected interface's (pair 0).
    const int probedPair = itemCount > 0 ? items[cursor]->inputIndex : -1;

    for (int pair = 0; pair < 2; ++pair)
        setPortsOpen (pair, state == MainComponent::discovering || (state == MainComponent::probingNames ? pair == probedPair : pair == 0));

    auto& builder = container.sysexMessage;
    const bool addressed = state != MainComponent::discovering && state != MainComponent::probingNames;
    builder.sessionId = addressed ? sessionOfTheRead : 0;
    builder.productId = addressed ? productIds[0] : 0;
    builder.serialNumber = addressed ? serialNumbers[0] : 0;

    if (loaded)
        probe.fillSettingsGui();

    probe.setRuntimeMode (mode == 3 ? MainComponent::Manual : mode);
    probe.setRequestState (state);
    probe.setProbeCursor (cursor);

    if (state == MainComponent::readingPresetNames)
        container.queryIndex = (juce::uint8) (1 + h[In::queryIndex] % juce::jmax (1, presetLimit));
    else if (state == MainComponent::readingAudioPorts)
        container.queryIndex = (juce::uint8) (1 + h[In::queryIndex] % juce::jmax (1, portLimit));
    else
        container.queryIndex = 0;

    if (state >= MainComponent::probingNames)
        probe.awaitReply();
    else
        app.stopReplyWait();

    reach[(size_t) (state == 0 && loaded ? 12 : state)].inputs++;
}

juce::MidiMessage World::makeMessage (juce::uint8 kind, std::vector<juce::uint8> bytes, juce::uint8 lengthFlags)
{
    // What a MIDI port delivers: data bytes have their top bit clear.
    for (auto& b : bytes)
        b &= 0x7F;

    switch (kind & 3)
    {
        case In::rawSysex:
        {
            bytes.insert (bytes.begin(), 0xF0);

            if ((kind & 0x80) == 0)
                bytes.push_back (0xF7);

            return juce::MidiMessage (bytes.data(), (int) bytes.size());
        }

        case In::shortMessage:
        {
            std::array<juce::uint8, 3> message {};
            message[0] = (juce::uint8) (bytes.empty() ? 0x90 : bytes[0] | 0x80);

            // SysEx has its own kinds.
            if (message[0] == 0xF0 || message[0] == 0xF7)
                message[0] = 0xF8;

            const int length = juce::MidiMessage::getMessageLengthFromFirstByte (message[0]);

            for (int i = 1; i < length && i < (int) bytes.size(); ++i)
                message[(size_t) i] = bytes[(size_t) i];

            return juce::MidiMessage (message.data(), length);
        }

        default:
            break;
    }

    const auto& builder = probe.deviceContainer().sysexMessage;
    const auto ids = (kind >> 4) & 3;
    interfaceSide.productId = ids == 3 ? 0 : productIds[ids == 1 ? 1 : ids == 2 ? 2
                                                                                : 0];
    interfaceSide.serialNumber = ids == 3 ? 0 : serialNumbers[ids == 1 ? 1 : ids == 2 ? 2
                                                                                      : 0];

    // The addressed interface answers with the session of the request.
    if (ids == 0 && builder.sessionId != 0)
    {
        interfaceSide.productId = builder.productId;
        interfaceSide.serialNumber = builder.serialNumber;
    }

    interfaceSide.sessionId = (builder.sessionId + ((lengthFlags & In::wrongSession) != 0 ? 1u : 0u)) & 0x0FFFFFFFu;

    if ((kind & In::echoDiscovery) != 0)
        interfaceSide.sequenceNumber = probe.midiOutputs()[(lengthFlags & In::echoSecondOutput) != 0 ? 1 : 0]->discoverySequence;

    // A successful load pauses the message thread for 200 ms on purpose: one input in 64
    // may take that path, the others see the same acknowledgement as a refusal.
    if (probe.requestState() == MainComponent::loadingPreset && ! slowLoadAllowed && bytes.size() == 5
        && bytes[0] == 0x40 && bytes[1] == 0 && bytes[2] == 0x11 && bytes[3] == 0 && bytes[4] == 0)
        bytes[4] = 1;

    bytes.resize (juce::jmin (bytes.size(), (size_t) 488));
    return interfaceSide.CreateMessage (bytes.empty() ? nullptr : bytes.data(), (unsigned short) bytes.size());
}

// Discovery and probing compare the source with their open inputs.
MidiInputPort* World::sourceFor (juce::uint8 kind)
{
    const auto choice = (kind >> 2) & 3;

    if (choice == 2)
        return nullptr;

    int listened = 0;

    if (probe.requestState() == MainComponent::probingNames)
        if (const auto* item = probe.discoveredInterfaces()[probe.probeCursor()])
            listened = item->inputIndex;

    const int index = choice == 1 ? 1 - listened : listened;
    return probe.midiInputs()[index]->inDevice.get();
}

//==============================================================================
void World::receiveAndCheck (MidiInputPort* source, const juce::MidiMessage& message, int row)
{
    auto& container = probe.deviceContainer();
    const auto stateBefore = probe.requestState();
    const auto sequenceBefore = container.sysexMessage.sequenceNumber;
    const auto linesBefore = probe.midiLog().getNumLines();
    const auto counterBefore = probe.logLineCounter();
    const auto itemsBefore = probe.discoveredInterfaces().size();
    const auto cursorBefore = probe.probeCursor();
    const bool loadedBefore = probe.settingsLoaded();
    const zun::FrameView frame (message);
    const bool passesGate = container.IsValidMidiMessage (message);
    // The runtime status: L = 21, RetParmVal or NotParmVal, DeviceFeature, one ParmValList
    // block with the items 04, 10, 11 and 12.
    const bool isStatus = passesGate && frame.BodyLength() == 21 && (frame.Byte (22) == 0x43 || frame.Byte (22) == 0x50)
                          && frame.Byte (23) == 3 && frame.Byte (26) == 3 && frame.Byte (29) == 0x04 && frame.Byte (32) == 0x10
                          && frame.Byte (35) == 0x11 && frame.Byte (38) == 0x12;

    probe.receive (source, message);

    // One line for the received message, then one per frame sent, each numbered in turn.
    const auto sent = (int) ((container.sysexMessage.sequenceNumber - sequenceBefore) & 0x0FFFFFFFu);
    const auto newLines = probe.midiLog().getNumLines() - linesBefore;
    FUZZ_CHECK (newLines == 1 + sent);
    FUZZ_CHECK (probe.logLineCounter() == counterBefore + newLines);

    for (int i = 0; i < newLines; ++i)
    {
        const auto& line = probe.midiLog().getLine (linesBefore + i);
        const auto prefix = juce::String (counterBefore + i) + " - ";
        FUZZ_CHECK (line.startsWith (prefix));
        const auto time = line.substring (prefix.length(), prefix.length() + 12);
        FUZZ_CHECK (time.length() == 12 && time[2] == ':' && time[5] == ':' && time[8] == '.' && time.removeCharacters (":.").containsOnly ("0123456789"));
        FUZZ_CHECK (line.substring (prefix.length() + 12, prefix.length() + 15) == (i == 0 ? " R " : " S "));
    }

    const auto state = probe.requestState();
    FUZZ_CHECK (state <= MainComponent::settingParameter);

    const bool accepted = state != stateBefore || sent > 0 || probe.discoveredInterfaces().size() != itemsBefore
                          || probe.probeCursor() != cursorBefore || probe.settingsLoaded() != loadedBefore;

    // A frame the gate drops or a status frame changes no exchange.
    FUZZ_CHECK (! accepted || (passesGate && ! isStatus));

    if (passesGate && isStatus && state == stateBefore)
        reach[(size_t) row].statusApplied += 1;
    else if (passesGate)
        reach[(size_t) row].handled += 1;

    reach[(size_t) row].accepted += accepted ? 1 : 0;

    // The reply wait: a frame that is not the reply leaves it running; an accepted reply ends
    // it, and the next request of the exchange starts it again.
    if (stateBefore >= MainComponent::probingNames)
    {
        if (! accepted)
            FUZZ_CHECK (probe.isTimerRunning (MainComponent::replyTimeout));
        else
            FUZZ_CHECK (probe.isTimerRunning (MainComponent::replyTimeout) == (state != MainComponent::idle));
    }

    // Discovery collects at most one item per interface and awaits nothing.
    if (stateBefore == MainComponent::discovering)
    {
        FUZZ_CHECK (state == MainComponent::discovering && sent == 0);
        std::set<std::pair<juce::uint16, juce::uint32>> ids;

        for (const auto* item : probe.discoveredInterfaces())
            FUZZ_CHECK (ids.insert ({ item->productId, item->serialNumber }).second);
    }

    checkControls();
}

//==============================================================================
bool isDecimalText (const juce::String& text, int maximum)
{
    return text.isNotEmpty() && text.length() <= 5 && text.containsOnly ("0123456789") && (text == "0" || ! text.startsWith ("0"))
           && text.getIntValue() <= maximum;
}

// A 14-bit count of eighths of a millisecond, written exactly: digits, at most one point,
// and a value that is a whole number of eighths, so typing it back changes nothing.
bool isTimeoutText (const juce::String& text)
{
    const auto eighths = text.getDoubleValue() * 8.0;

    return text.isNotEmpty() && text.containsOnly ("0123456789.") && text.indexOfChar ('.') == text.lastIndexOfChar ('.')
           && eighths >= 0.0 && eighths <= 0x3FFF && eighths == std::floor (eighths);
}

bool isNameText (const juce::String& text)
{
    for (auto c : text)
        if (c < 1 || c > 0x7F)
            return false;

    return true;
}

void checkFixedCombo (juce::ComboBox& combo, std::initializer_list<const char*> items)
{
    FUZZ_CHECK (combo.getNumItems() == 0 || combo.getNumItems() == (int) items.size());

    int id = 1;

    for (const auto* text : items)
    {
        if (combo.getNumItems() == 0)
            break;

        FUZZ_CHECK (combo.getItemId (id - 1) == id && combo.getItemText (id - 1) == text);
        ++id;
    }

    // What the box shows: nothing, or the text of the item it selects.
    FUZZ_CHECK (combo.getText().isEmpty() || (combo.getSelectedId() != 0 && combo.getText() == combo.getItemText (combo.getSelectedId() - 1)));
}

void World::checkControls()
{
    const auto& container = probe.deviceContainer();
    const auto& block = container.failoverBlock;
    const int presetLimit = juce::jmin ((int) block.presetCount, zun::FailoverBlock::presetSlotCount);
    const int portLimit = juce::jmin ((int) block.audioPortCount, zun::FailoverBlock::audioPortSlotCount);

    // The record: slots hold their own numbers, the host slots name a slot or none, and the
    // read asks only for presets and ports within the limits.
    FUZZ_CHECK (block.usbd1PortSlot <= zun::FailoverBlock::audioPortSlotCount && block.usbd2PortSlot <= zun::FailoverBlock::audioPortSlotCount);

    for (int i = 0; i < zun::FailoverBlock::presetSlotCount; ++i)
        FUZZ_CHECK ((block.presets[i].number == 0 || block.presets[i].number == i + 1) && isNameText (block.presets[i].name));

    for (int k = 0; k < zun::FailoverBlock::audioPortSlotCount; ++k)
        FUZZ_CHECK (block.audioPorts[k].index == 0 || block.audioPorts[k].index == k + 1);

    if (probe.requestState() == MainComponent::readingPresetNames)
        FUZZ_CHECK (container.queryIndex >= 1 && container.queryIndex <= juce::jmax (1, presetLimit));

    if (probe.requestState() == MainComponent::readingAudioPorts)
        FUZZ_CHECK (container.queryIndex >= 1 && container.queryIndex <= juce::jmax (1, portLimit));

    // The preset box: "* n - name" for the current preset, "n - name" for the others, as the
    // last fill made it (a read under way changes the record, not the box).
    auto& presets = probe.presetCombo();
    int starred = 0;

    for (int i = 0; i < presets.getNumItems(); ++i)
    {
        const auto id = presets.getItemId (i);
        auto text = presets.getItemText (i);

        if (text.startsWith ("* "))
        {
            ++starred;
            text = text.substring (2);
        }

        const auto prefix = juce::String (id) + " - ";
        FUZZ_CHECK (id >= 1 && id <= zun::FailoverBlock::presetSlotCount && text.startsWith (prefix) && isNameText (text.substring (prefix.length())));
        FUZZ_CHECK (presets.indexOfItemId (id) == i);
    }

    FUZZ_CHECK (starred <= 1);
    FUZZ_CHECK (presets.getText().isEmpty() || (presets.getSelectedId() != 0 && presets.getText() == presets.getItemText (presets.indexOfItemId (presets.getSelectedId()))));

    checkFixedCombo (probe.failoverModeCombo(), { "Single Master", "Dual Master" });
    checkFixedCombo (probe.triggerModeCombo(), { "Use Audio", "Use MIDI", "Audio or MIDI", "Audio and MIDI" });
    checkFixedCombo (probe.audioTriggerCombo(), { "1 - Host Connected", "2 - Audio Received", "3 - Failover Signal" });
    checkFixedCombo (probe.midiTriggerCombo(), { "1 - Host Connected", "2 - MIDI Received", "3 - Failover Signal" });

    // Value labels: empty, or the value in force.
    for (auto* label : { &probe.audioChannelValue(), &probe.midiPortValue() })
        FUZZ_CHECK (label->getText().isEmpty() || isDecimalText (label->getText(), 255));

    for (auto* label : { &probe.audioTimeoutValue(), &probe.midiTimeoutValue() })
        FUZZ_CHECK (label->getText().isEmpty() || isTimeoutText (label->getText()));

    for (auto [label, kind] : { std::pair<juce::Label*, const char*> { &probe.usb1AudioStatusLabel(), "Audio - " },
                                { &probe.usb2AudioStatusLabel(), "Audio - " },
                                { &probe.usb1MidiStatusLabel(), "MIDI - " },
                                { &probe.usb2MidiStatusLabel(), "MIDI - " } })
    {
        const auto text = label->getText();
        FUZZ_CHECK (text.isEmpty() || text == kind + juce::String ("1") || text == kind + juce::String ("2") || text == kind + juce::String ("3"));
    }

    auto& slider = probe.maxVolSlider();
    FUZZ_CHECK (slider.getValue() >= slider.getMinimum() && slider.getValue() <= slider.getMaximum());
    FUZZ_CHECK (slider.getMaximum() == 0.0 && (slider.getMinimum() == -64.0 || slider.getMinimum() == -1.0));

    // A row of the list: its first form, or the name it told followed by its serial number.
    for (const auto* item : probe.discoveredInterfaces())
    {
        const auto serial = juce::String::formatted (" SN: %08X", (unsigned int) item->serialNumber);
        FUZZ_CHECK (item->label == DeviceDiscoveryItem::MakeLabel (item->productId, item->serialNumber)
                    || (item->label.endsWith (serial) && isNameText (item->label.dropLastCharacters (serial.length()))));
    }
}

//==============================================================================
void World::run (const uint8_t* data, size_t size)
{
    Header header {};
    const auto headerBytes = juce::jmin (size, header.size());
    std::copy (data, data + headerBytes, header.begin());

    // FNV-1a of the whole input: decides, out of the fuzzer's reach, whether this input may
    // take the slow path of a successful load.
    juce::uint32 hash = 2166136261u;

    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;

    slowLoadAllowed = hash % 64 == 0;

    setUp (header);

    size_t position = headerBytes;

    while (position + 3 <= size)
    {
        const auto kind = data[position];
        const auto lengthFlags = data[position + 2];
        const auto length = juce::jmin ((size_t) (data[position + 1] | ((lengthFlags & 1) << 8)), size - position - 3);
        std::vector<juce::uint8> bytes (data + position + 3, data + position + 3 + length);
        position += 3 + length;

        const auto message = makeMessage (kind, std::move (bytes), lengthFlags);
        auto* source = sourceFor (kind);
        const auto stateNow = probe.requestState();
        receiveAndCheck (source, message, stateNow == 0 && probe.settingsLoaded() ? 12 : stateNow);
    }
}

World* world = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    world = new World();

    // Runs before the statics that JUCE's leak detector counts in are destroyed.
    std::atexit ([]
                 {
                     printReach();
                     delete world; });
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
