#include "AppFixture.h"

namespace
{
// Ports that write down their own start, stop and close, and pass messages on with
// themselves as the source, as every port must.
class RecordingInput final : public MidiInputPort,
                             private MidiInputPortCallback
{
public:
    RecordingInput (std::vector<juce::String>& e, const juce::String& id, MidiInputPortCallback& c)
        : events (e)
        , identifier (id)
        , callback (c)
    {
    }
    ~RecordingInput() override
    {
        inner.reset();
        events.push_back ("close in " + identifier);
    }

    bool open (VirtualMidiPortSystem& ports) { return (inner = ports.openInput (identifier, *this)) != nullptr; }
    void start() override
    {
        events.push_back ("start in " + identifier);
        inner->start();
    }

    void stop() override
    {
        events.push_back ("stop in " + identifier);
        inner->stop();
    }

private:
    void handleIncomingMidiMessage (MidiInputPort*, const juce::MidiMessage& m) override { callback.handleIncomingMidiMessage (this, m); }

    std::vector<juce::String>& events;
    juce::String identifier;
    MidiInputPortCallback& callback;
    std::unique_ptr<MidiInputPort> inner;
};

class RecordingOutput final : public MidiOutputPort
{
public:
    RecordingOutput (std::vector<juce::String>& e, const juce::String& id, std::unique_ptr<MidiOutputPort> o)
        : events (e)
        , identifier (id)
        , inner (std::move (o))
    {
    }
    ~RecordingOutput() override
    {
        inner.reset();
        events.push_back ("close out " + identifier);
    }

    void sendMessageNow (const juce::MidiMessage& message) override { inner->sendMessageNow (message); }

private:
    std::vector<juce::String>& events;
    juce::String identifier;
    std::unique_ptr<MidiOutputPort> inner;
};
} // namespace

std::unique_ptr<MidiInputPort> RecordingPortSystem::openInput (const juce::String& identifier, MidiInputPortCallback& callback)
{
    auto port = std::make_unique<RecordingInput> (events, identifier, callback);

    if (! port->open (ports))
        return {};

    events.push_back ("open in " + identifier);
    return port;
}

std::unique_ptr<MidiOutputPort> RecordingPortSystem::openOutput (const juce::String& identifier)
{
    auto inner = ports.openOutput (identifier);

    if (inner == nullptr)
        return {};

    events.push_back ("open out " + identifier);
    return std::make_unique<RecordingOutput> (events, identifier, std::move (inner));
}

//==============================================================================
juce::String AppFixture::kindsReceived (const InterfaceEmulator& emulator)
{
    juce::StringArray kinds;
    for (auto& frame : emulator.receivedFrames())
        kinds.add (InterfaceEmulator::describe (frame.kind));
    return kinds.joinIntoString (" ");
}

juce::String AppFixture::bodyOf (const std::optional<InterfaceEmulator::ReceivedFrame>& frame)
{
    if (! frame)
        return {};
    const zun::FrameView f (frame->message);
    return juce::String::toHexString (f.Data() + zun::Frame::bodyPos, f.BodyLength()).toUpperCase();
}

InterfaceEmulator::Config AppFixture::interfaceNamed (const std::string& name, juce::uint16 productId, juce::uint32 serialNumber)
{
    InterfaceEmulator::Config config;
    config.productName = name;
    config.productId = productId;
    config.serialNumber = serialNumber;
    return config;
}

AppFixture::AppFixture()
{
    app = std::make_unique<MainComponent> (ports, [this] (const juce::String& title, const juce::String& message)
                                           { alerts.push_back ({ title, message, juce::Time::getMillisecondCounterHiRes() }); });
    probe = std::make_unique<MainComponentProbe> (*app);
}

AppFixture::~AppFixture()
{
    // The component closes its ports first; then nothing can call into the emulators.
    probe.reset();
    app.reset();
    emulators.clear();
}

InterfaceEmulator& AppFixture::addInterfaceOn (const std::vector<PortPair>& pairs, InterfaceEmulator::Config config)
{
    emulators.push_back (std::make_unique<InterfaceEmulator> (virtualPorts, std::move (config)));

    for (const auto& pair : pairs)
        emulators.back()->attach (pair.input, pair.output);

    return *emulators.back();
}

bool AppFixture::waitUntilIdle (int timeoutMs)
{
    return ui::pumpUntil ([this]
                          { return probe->requestState() == MainComponent::idle && ! probe->isTimerRunning (MainComponent::discoveryWindow); },
                          timeoutMs);
}

bool AppFixture::searchAndWait()
{
    clickSearch();
    return waitUntilIdle();
}

bool AppFixture::readSettings()
{
    ui::click (*app, "Get Settings", 0);
    return ui::pumpUntil ([this]
                          { return probe->settingsLoaded() && probe->requestState() == MainComponent::idle; });
}

void AppFixture::selectRow (int row)
{
    probe->deviceListBox().selectRow (row);
    ui::pump (10);
}

bool AppFixture::waitForAlert()
{
    return ui::pumpUntil ([this]
                          { return ! alerts.empty(); },
                          5000);
}

juce::String AppFixture::rowText (int row)
{
    auto* item = probe->discoveredInterfaces()[row];
    return item != nullptr ? item->label : juce::String();
}

int AppFixture::countLogLinesContaining (const juce::String& text)
{
    int count = 0;

    for (int i = 0; i < probe->midiLog().getNumLines(); ++i)
        count += probe->midiLog().getLine (i).contains (text) ? 1 : 0;

    return count;
}

MidiInputPort* AppFixture::openInputAt (int index)
{
    auto* entry = probe->midiInputs().getObjectPointer (index);
    return entry != nullptr ? entry->inDevice.get() : nullptr;
}
