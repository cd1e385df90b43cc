#include "VirtualMidiPorts.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace virtual_ports
{
inline double hiResMs() { return juce::Time::getMillisecondCounterHiRes(); }

// The delivery side of one open input: its queue, its thread and the hand-shake that lets
// stop() wait for a callback that is running, as JUCE's MidiInput::stop does.
struct InputChannel
{
    struct Pending
    {
        double dueMs;
        juce::MidiMessage message;
    };

    InputChannel (MidiInputPortCallback& callbackToUse, MidiInputPort& portToReport)
        : callback (callbackToUse)
        , port (portToReport)
    {
    }

    void startThread()
    {
        thread = std::thread ([this]
                              { run(); });
        threadId = thread.get_id();
    }

    void queue (const juce::MidiMessage& message, double dueMs)
    {
        {
            const std::lock_guard<std::mutex> guard (lock);

            // Sorted by due time; equal times keep the order they were sent in.
            auto position = std::find_if (pending.begin(), pending.end(), [dueMs] (const Pending& p)
                                          { return p.dueMs > dueMs; });
            pending.insert (position, { dueMs, message });
        }
        wake.notify_all();
    }

    void setStarted (bool shouldRun)
    {
        std::unique_lock<std::mutex> guard (lock);
        started = shouldRun;

        // After stop() returns no callback runs or will run; a callback that stops its own
        // input cannot wait for itself.
        if (! shouldRun && std::this_thread::get_id() != threadId)
            idle.wait (guard, [this]
                       { return ! delivering; });

        guard.unlock();
        wake.notify_all();
    }

    bool isStarted()
    {
        const std::lock_guard<std::mutex> guard (lock);
        return started;
    }

    // True while a callback runs or a message whose time has come waits for its thread.
    bool isBusy (double nowMs)
    {
        const std::lock_guard<std::mutex> guard (lock);
        return delivering || (! pending.empty() && pending.front().dueMs <= nowMs);
    }

    void quit()
    {
        setStarted (false);

        {
            const std::lock_guard<std::mutex> guard (lock);
            quitting = true;
        }
        wake.notify_all();

        if (thread.joinable())
        {
            jassert (std::this_thread::get_id() != threadId); // an input cannot be destroyed from its own callback
            thread.join();
        }
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> guard (lock);

        while (! quitting)
        {
            if (pending.empty())
            {
                wake.wait (guard);
                continue;
            }

            const auto now = hiResMs();
            const auto due = pending.front().dueMs;

            if (due > now)
            {
                wake.wait_for (guard, std::chrono::microseconds ((juce::int64) ((due - now) * 1000.0) + 1));
                continue;
            }

            auto message = std::move (pending.front().message);
            pending.pop_front();

            if (! started)
                continue; // a stopped port loses what arrives, as a real one does

            delivering = true;
            guard.unlock();

            message.setTimeStamp (hiResMs() * 0.001);
            callback.handleIncomingMidiMessage (&port, message);

            guard.lock();
            delivering = false;
            idle.notify_all();
        }
    }

    MidiInputPortCallback& callback;
    MidiInputPort& port;

    std::mutex lock;
    std::condition_variable wake, idle;
    std::deque<Pending> pending;
    bool started = false, quitting = false, delivering = false;
    std::thread thread;
    std::thread::id threadId;
};
//==============================================================================
// The port tables shared by the system and every port it opened.
struct Tables
{
    using OutputListener = VirtualMidiPortSystem::OutputListener;

    struct InputEntry
    {
        juce::MidiDeviceInfo info;
        bool refuse = false;
        int openCount = 0;
        std::vector<std::shared_ptr<InputChannel>> open;
    };

    struct OutputEntry
    {
        juce::MidiDeviceInfo info;
        bool refuse = false;
        int openCount = 0;
        int numOpen = 0;
        OutputListener listener;
    };

    InputEntry* findInput (const juce::String& identifier)
    {
        for (auto& entry : inputs)
            if (entry.info.identifier == identifier)
                return &entry;
        return nullptr;
    }

    OutputEntry* findOutput (const juce::String& identifier)
    {
        for (auto& entry : outputs)
            if (entry.info.identifier == identifier)
                return &entry;
        return nullptr;
    }

    juce::String makeIdentifier (const char* kind) { return "virtual-" + juce::String (kind) + "-" + juce::String (++lastId); }

    mutable std::mutex lock;
    std::deque<InputEntry> inputs; // a deque keeps entries in place as ports are added
    std::deque<OutputEntry> outputs;
    int lastId = 0;
};

//==============================================================================
class VirtualMidiInput final : public MidiInputPort
{
public:
    VirtualMidiInput (std::shared_ptr<Tables> stateToUse, const juce::String& id, MidiInputPortCallback& callback)
        : state (std::move (stateToUse))
        , identifier (id)
        , channel (std::make_shared<InputChannel> (callback, *this))
    {
        channel->startThread();
    }

    ~VirtualMidiInput() override
    {
        {
            const std::lock_guard<std::mutex> guard (state->lock);

            if (auto* entry = state->findInput (identifier))
                entry->open.erase (std::remove (entry->open.begin(), entry->open.end(), channel), entry->open.end());
        }

        channel->quit();
    }

    void start() override { channel->setStarted (true); }
    void stop() override { channel->setStarted (false); }

    const std::shared_ptr<InputChannel>& getChannel() const { return channel; }

private:
    std::shared_ptr<Tables> state;
    juce::String identifier;
    std::shared_ptr<InputChannel> channel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VirtualMidiInput)
};

class VirtualMidiOutput final : public MidiOutputPort
{
public:
    VirtualMidiOutput (std::shared_ptr<Tables> stateToUse, const juce::String& id)
        : state (std::move (stateToUse))
        , identifier (id)
    {
    }

    ~VirtualMidiOutput() override
    {
        const std::lock_guard<std::mutex> guard (state->lock);

        if (auto* entry = state->findOutput (identifier))
            --entry->numOpen;
    }

    // The listener runs on the caller's thread, outside the lock, so it may send in turn.
    void sendMessageNow (const juce::MidiMessage& message) override
    {
        Tables::OutputListener listener;

        {
            const std::lock_guard<std::mutex> guard (state->lock);

            if (auto* entry = state->findOutput (identifier))
                listener = entry->listener;
        }

        if (listener)
            listener (message);
    }

private:
    std::shared_ptr<Tables> state;
    juce::String identifier;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VirtualMidiOutput)
};
} // namespace virtual_ports

using namespace virtual_ports;

struct VirtualMidiPortSystem::State : Tables
{
};

//==============================================================================
VirtualMidiPortSystem::VirtualMidiPortSystem()
    : state (std::make_shared<State>())
{
}

VirtualMidiPortSystem::~VirtualMidiPortSystem() = default;

juce::String VirtualMidiPortSystem::addInput (const juce::String& name)
{
    const std::lock_guard<std::mutex> guard (state->lock);
    Tables::InputEntry entry;
    entry.info = juce::MidiDeviceInfo (name, state->makeIdentifier ("input"));
    state->inputs.push_back (std::move (entry));
    return state->inputs.back().info.identifier;
}

juce::String VirtualMidiPortSystem::addOutput (const juce::String& name, OutputListener listener)
{
    const std::lock_guard<std::mutex> guard (state->lock);
    Tables::OutputEntry entry;
    entry.info = juce::MidiDeviceInfo (name, state->makeIdentifier ("output"));
    entry.listener = std::move (listener);
    state->outputs.push_back (std::move (entry));
    return state->outputs.back().info.identifier;
}

void VirtualMidiPortSystem::setOutputListener (const juce::String& outputIdentifier, OutputListener listener)
{
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* entry = state->findOutput (outputIdentifier))
        entry->listener = std::move (listener);
    else
        jassertfalse;
}

void VirtualMidiPortSystem::setRefuseToOpen (const juce::String& identifier, bool shouldRefuse)
{
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* input = state->findInput (identifier))
        input->refuse = shouldRefuse;
    else if (auto* output = state->findOutput (identifier))
        output->refuse = shouldRefuse;
    else
        jassertfalse;
}

void VirtualMidiPortSystem::sendToInput (const juce::String& inputIdentifier, const juce::MidiMessage& message, double delayMs)
{
    const auto due = hiResMs() + juce::jmax (0.0, delayMs);
    const std::lock_guard<std::mutex> guard (state->lock);

    // Each open instance of the port gets its own copy; a closed port loses the message.
    if (auto* entry = state->findInput (inputIdentifier))
        for (auto& channel : entry->open)
            channel->queue (message, due);
}

bool VirtualMidiPortSystem::isInputOpen (const juce::String& identifier) const
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = state->findInput (identifier);
    return entry != nullptr && ! entry->open.empty();
}

bool VirtualMidiPortSystem::isInputStarted (const juce::String& identifier) const
{
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* entry = state->findInput (identifier))
        for (auto& channel : entry->open)
            if (channel->isStarted())
                return true;

    return false;
}

bool VirtualMidiPortSystem::isOutputOpen (const juce::String& identifier) const
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = state->findOutput (identifier);
    return entry != nullptr && entry->numOpen > 0;
}

int VirtualMidiPortSystem::getNumOpenPorts() const
{
    const std::lock_guard<std::mutex> guard (state->lock);
    int count = 0;

    for (auto& entry : state->inputs)
        count += (int) entry.open.size();

    for (auto& entry : state->outputs)
        count += entry.numOpen;

    return count;
}

int VirtualMidiPortSystem::getOpenCount (const juce::String& identifier) const
{
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* input = state->findInput (identifier))
        return input->openCount;

    if (auto* output = state->findOutput (identifier))
        return output->openCount;

    return 0;
}

bool VirtualMidiPortSystem::waitUntilDelivered (int timeoutMs)
{
    const auto end = hiResMs() + timeoutMs;

    for (;;)
    {
        bool busy = false;

        {
            const std::lock_guard<std::mutex> guard (state->lock);
            const auto now = hiResMs();

            for (auto& entry : state->inputs)
                for (auto& channel : entry.open)
                    busy = busy || channel->isBusy (now);
        }

        if (! busy)
            return true;

        if (hiResMs() >= end)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

juce::Array<juce::MidiDeviceInfo> VirtualMidiPortSystem::getAvailableInputs()
{
    const std::lock_guard<std::mutex> guard (state->lock);
    juce::Array<juce::MidiDeviceInfo> result;

    for (auto& entry : state->inputs)
        result.add (entry.info);

    return result;
}

juce::Array<juce::MidiDeviceInfo> VirtualMidiPortSystem::getAvailableOutputs()
{
    const std::lock_guard<std::mutex> guard (state->lock);
    juce::Array<juce::MidiDeviceInfo> result;

    for (auto& entry : state->outputs)
        result.add (entry.info);

    return result;
}

std::unique_ptr<MidiInputPort> VirtualMidiPortSystem::openInput (const juce::String& identifier, MidiInputPortCallback& callback)
{
    {
        const std::lock_guard<std::mutex> guard (state->lock);
        auto* entry = state->findInput (identifier);

        if (entry == nullptr || entry->refuse)
            return {};
    }

    auto port = std::make_unique<VirtualMidiInput> (state, identifier, callback);

    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = state->findInput (identifier);
    ++entry->openCount;
    entry->open.push_back (port->getChannel());
    return port;
}

std::unique_ptr<MidiOutputPort> VirtualMidiPortSystem::openOutput (const juce::String& identifier)
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = state->findOutput (identifier);

    if (entry == nullptr || entry->refuse)
        return {};

    ++entry->openCount;
    ++entry->numOpen;
    return std::make_unique<VirtualMidiOutput> (state, identifier);
}
