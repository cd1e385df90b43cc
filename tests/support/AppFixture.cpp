#include "AppFixture.h"

namespace
{
class RecordingInput final : public MidiInputPort,
                             private MidiInputPortCallback
{
public:
    RecordingInput (RecordingPortSystem& systemToUse, const juce::String& id, MidiInputPortCallback& callbackToUse)
        : system (systemToUse)
        , identifier (id)
        , callback (callbackToUse)
    {
    }

    ~RecordingInput() override
    {
        inner.reset();
        system.record ("close in " + identifier);
    }

    bool open (VirtualMidiPortSystem& ports)
    {
        inner = ports.openInput (identifier, *this);
        return inner != nullptr;
    }

    void start() override
    {
        system.record ("start in " + identifier);
        inner->start();
    }

    void stop() override
    {
        system.record ("stop in " + identifier);
        inner->stop();
    }

private:
    void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& message) override
    {
        callback.handleIncomingMidiMessage (this, message);
    }

    RecordingPortSystem& system;
    juce::String identifier;
    MidiInputPortCallback& callback;
    std::unique_ptr<MidiInputPort> inner;
};

class RecordingOutput final : public MidiOutputPort
{
public:
    RecordingOutput (RecordingPortSystem& systemToUse, const juce::String& id, std::unique_ptr<MidiOutputPort> opened)
        : system (systemToUse)
        , identifier (id)
        , inner (std::move (opened))
    {
    }

    ~RecordingOutput() override
    {
        inner.reset();
        system.record ("close out " + identifier);
    }

    void sendMessageNow (const juce::MidiMessage& message) override { inner->sendMessageNow (message); }

private:
    RecordingPortSystem& system;
    juce::String identifier;
    std::unique_ptr<MidiOutputPort> inner;
};
} // namespace

//==============================================================================
std::vector<juce::String> RecordingPortSystem::events() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return log;
}

void RecordingPortSystem::clearEvents()
{
    const std::lock_guard<std::mutex> guard (lock);
    log.clear();
}

void RecordingPortSystem::record (const juce::String& event)
{
    const std::lock_guard<std::mutex> guard (lock);
    log.push_back (event);
}

std::unique_ptr<MidiInputPort> RecordingPortSystem::openInput (const juce::String& identifier, MidiInputPortCallback& callback)
{
    auto port = std::make_unique<RecordingInput> (*this, identifier, callback);

    if (! port->open (ports))
        return {};

    record ("open in " + identifier);
    return port;
}

std::unique_ptr<MidiOutputPort> RecordingPortSystem::openOutput (const juce::String& identifier)
{
    auto inner = ports.openOutput (identifier);

    if (inner == nullptr)
        return {};

    record ("open out " + identifier);
    return std::make_unique<RecordingOutput> (*this, identifier, std::move (inner));
}

//==============================================================================
AppFixture::AppFixture()
{
    auto recordAlert = [this] (const juce::String& title, const juce::String& message)
    {
        alerts.push_back ({ title, message, juce::Time::getMillisecondCounterHiRes() });
    };

    app = std::make_unique<MainComponent> (ports, recordAlert);
    probe = std::make_unique<MainComponentProbe> (*app);
}

AppFixture::~AppFixture()
{
    // The component closes its ports first; then nothing can call into the emulators.
    probe.reset();
    app.reset();
    emulators.clear();
}

AppFixture::PortPair AppFixture::addPortPair (const juce::String& name)
{
    const auto label = name.isNotEmpty() ? name : "Port " + juce::String (nextPortNumber);
    ++nextPortNumber;
    return { virtualPorts.addInput (label), virtualPorts.addOutput (label) };
}

InterfaceEmulator& AppFixture::addInterface (InterfaceEmulator::Config config)
{
    return addInterfaceOn ({ addPortPair ({}) }, std::move (config));
}

InterfaceEmulator& AppFixture::addInterfaceOn (const std::vector<PortPair>& pairs, InterfaceEmulator::Config config)
{
    emulators.push_back (std::make_unique<InterfaceEmulator> (virtualPorts, std::move (config)));

    for (const auto& pair : pairs)
        emulators.back()->attach (pair.input, pair.output);

    return *emulators.back();
}

//==============================================================================
void AppFixture::clickSearch()
{
    ui::click (*app, "Search");
}

bool AppFixture::searchAndWait (int timeoutMs)
{
    clickSearch();

    return ui::pumpUntil ([this]
                          { return probe->requestState() == MainComponent::idle
                                   && ! probe->isTimerRunning (MainComponent::discoveryWindow); },
                          timeoutMs);
}

void AppFixture::selectRow (int row)
{
    probe->deviceListBox().selectRow (row);
    ui::pump (10);
}

void AppFixture::showMidiMessages (bool shouldShow)
{
    probe->showMidiMessagesToggle().setToggleState (shouldShow, juce::sendNotificationSync);
}

int AppFixture::numRows()
{
    auto& list = probe->deviceListBox();
    return list.getModel() != nullptr ? list.getModel()->getNumRows() : 0;
}

juce::String AppFixture::rowText (int row)
{
    auto* item = probe->discoveredInterfaces()[row];
    return item != nullptr ? item->label : juce::String();
}

std::vector<juce::String> AppFixture::logLines()
{
    std::vector<juce::String> lines;
    auto& log = probe->midiLog();

    for (int i = 0; i < log.getNumLines(); ++i)
        lines.push_back (log.getLine (i));

    return lines;
}

int AppFixture::countLogLinesContaining (const juce::String& text)
{
    int count = 0;

    for (const auto& line : logLines())
        if (line.contains (text))
            ++count;

    return count;
}

MidiInputPort* AppFixture::openInputAt (int index)
{
    auto* entry = probe->midiInputs().getObjectPointer (index);
    return entry != nullptr ? entry->inDevice.get() : nullptr;
}

//==============================================================================
juce::MidiMessage AppFixture::makeFrame (const std::vector<juce::uint8>& body,
                                         juce::uint16 productId,
                                         juce::uint32 serialNumber,
                                         juce::uint32 sessionId,
                                         juce::uint32 sequenceNumber)
{
    const auto length = (int) body.size();
    std::vector<juce::uint8> frame ((size_t) (length + zun::Frame::overhead), 0);
    const juce::uint8 header[] = { 0xF0, 0x00, 0x2E, 0x5A, 0x7D };
    std::copy (std::begin (header), std::end (header), frame.begin());
    zun::Wire::Write14 (frame.data() + 5, productId);
    zun::Wire::Write32 (frame.data() + 7, serialNumber);
    zun::Wire::Write28 (frame.data() + 12, sessionId);
    zun::Wire::Write28 (frame.data() + 16, sequenceNumber);
    zun::Wire::Write14 (frame.data() + 20, (juce::uint32) length);
    std::copy (body.begin(), body.end(), frame.begin() + zun::Frame::bodyPos);

    unsigned sum = 0;

    for (int i = 5; i < zun::Frame::bodyPos + length; ++i)
        sum += frame[(size_t) i];

    frame[(size_t) (zun::Frame::bodyPos + length)] = (juce::uint8) ((0u - sum) & 0x7F);
    frame.back() = 0xF7;

    return juce::MidiMessage (frame.data(), (int) frame.size());
}

std::vector<juce::uint8> AppFixture::productNameBody (const std::string& name)
{
    const auto itemLength = (juce::uint8) (name.size() + 2);
    const juce::uint8 head[] = { 0x43, 0x02, 0x01, (juce::uint8) (itemLength + 3), 0x03, 0x01, itemLength, 0x01 };

    std::vector<juce::uint8> body (std::size (head) + name.size());
    std::copy (std::begin (head), std::end (head), body.begin());
    std::copy (name.begin(), name.end(), body.begin() + (std::ptrdiff_t) std::size (head));
    return body;
}
