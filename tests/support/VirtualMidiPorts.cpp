#include "VirtualMidiPorts.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace virtual_ports
{
inline double hiResMs() { return juce::Time::getMillisecondCounterHiRes(); }

class Input;

// One listed port: an input keeps its open instances, an output its listener.
struct Entry
{
    juce::MidiDeviceInfo info;
    bool refuse = false;
    std::vector<Input*> open;
    VirtualMidiPortSystem::OutputListener listener;
};

// The port tables, shared by the system and every port it opened.
struct Tables
{
    juce::String add (std::deque<Entry>& entries, const juce::String& name, const juce::String& kind, VirtualMidiPortSystem::OutputListener listener = {})
    {
        const std::lock_guard<std::mutex> guard (lock);
        entries.push_back ({ juce::MidiDeviceInfo (name, "virtual-" + kind + "-" + juce::String (++lastId)), false, {}, std::move (listener) });
        return entries.back().info.identifier;
    }

    juce::Array<juce::MidiDeviceInfo> list (const std::deque<Entry>& entries)
    {
        const std::lock_guard<std::mutex> guard (lock);
        juce::Array<juce::MidiDeviceInfo> result;

        for (auto& entry : entries)
            result.add (entry.info);

        return result;
    }

    static Entry* find (std::deque<Entry>& entries, const juce::String& identifier)
    {
        for (auto& entry : entries)
            if (entry.info.identifier == identifier)
                return &entry;
        return nullptr;
    }

    std::mutex lock;
    std::deque<Entry> inputs, outputs; // a deque keeps entries in place as ports are added
    int lastId = 0, numOpen = 0;
};

//==============================================================================
// An open input: a queue sorted by due time and a thread that delivers it. stop() waits for a
// running callback, as JUCE's MidiInput::stop does.
class Input final : public MidiInputPort
{
public:
    Input (std::shared_ptr<Tables> tablesToUse, Entry& entryToUse, MidiInputPortCallback& callbackToUse)
        : tables (std::move (tablesToUse))
        , entry (entryToUse)
        , callback (callbackToUse)
    {
        thread = std::thread ([this]
                              { run(); });
    }

    ~Input() override
    {
        {
            const std::lock_guard<std::mutex> guard (tables->lock);
            entry.open.erase (std::find (entry.open.begin(), entry.open.end(), this));
            --tables->numOpen;
        }

        setStarted (false, true);
        jassert (std::this_thread::get_id() != thread.get_id()); // not from its own callback
        thread.join();
    }

    void start() override { setStarted (true); }
    void stop() override { setStarted (false); }

    void queue (const juce::MidiMessage& message, double dueMs)
    {
        {
            const std::lock_guard<std::mutex> guard (lock);
            // Equal due times keep the order they were sent in. Searched from the back, where
            // a message without delay belongs, so that a long backlog costs nothing per message.
            auto position = std::find_if (pending.rbegin(), pending.rend(), [dueMs] (const Pending& p)
                                          { return p.dueMs <= dueMs; });
            pending.insert (position.base(), { dueMs, message });
        }
        wake.notify_all();
    }

    bool isStarted()
    {
        const std::lock_guard<std::mutex> guard (lock);
        return started;
    }

    // True while a callback runs or a message that has fallen due waits for the thread.
    bool isBusy (double nowMs)
    {
        const std::lock_guard<std::mutex> guard (lock);
        return delivering || (! pending.empty() && pending.front().dueMs <= nowMs);
    }

private:
    struct Pending
    {
        double dueMs;
        juce::MidiMessage message;
    };

    // Once stopped, no callback runs or will run; a callback that stops its own input cannot
    // wait for itself.
    void setStarted (bool shouldRun, bool quit = false)
    {
        std::unique_lock<std::mutex> guard (lock);
        started = shouldRun;
        quitting = quitting || quit;

        if (! shouldRun && std::this_thread::get_id() != thread.get_id())
            idle.wait (guard, [this]
                       { return ! delivering; });

        guard.unlock();
        wake.notify_all();
    }

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
            callback.handleIncomingMidiMessage (this, message);
            guard.lock();
            delivering = false;
            idle.notify_all();
        }
    }

    std::shared_ptr<Tables> tables;
    Entry& entry;
    MidiInputPortCallback& callback;
    std::mutex lock;
    std::condition_variable wake, idle;
    std::deque<Pending> pending;
    bool started = false, quitting = false, delivering = false;
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Input)
};

class Output final : public MidiOutputPort
{
public:
    Output (std::shared_ptr<Tables> tablesToUse, Entry& entryToUse)
        : tables (std::move (tablesToUse))
        , entry (entryToUse)
    {
    }

    ~Output() override
    {
        const std::lock_guard<std::mutex> guard (tables->lock);
        --tables->numOpen;
    }

    // The listener runs outside the lock, so it may send in turn.
    void sendMessageNow (const juce::MidiMessage& message) override
    {
        VirtualMidiPortSystem::OutputListener listener;

        {
            const std::lock_guard<std::mutex> guard (tables->lock);
            listener = entry.listener;
        }

        if (listener)
            listener (message);
    }

private:
    std::shared_ptr<Tables> tables;
    Entry& entry;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Output)
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

juce::String VirtualMidiPortSystem::addInput (const juce::String& name) { return state->add (state->inputs, name, "input"); }
juce::String VirtualMidiPortSystem::addOutput (const juce::String& name, OutputListener listener) { return state->add (state->outputs, name, "output", std::move (listener)); }
juce::Array<juce::MidiDeviceInfo> VirtualMidiPortSystem::getAvailableInputs() { return state->list (state->inputs); }
juce::Array<juce::MidiDeviceInfo> VirtualMidiPortSystem::getAvailableOutputs() { return state->list (state->outputs); }

void VirtualMidiPortSystem::setOutputListener (const juce::String& outputIdentifier, OutputListener listener)
{
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* entry = Tables::find (state->outputs, outputIdentifier))
        entry->listener = std::move (listener);
    else
        jassertfalse;
}

void VirtualMidiPortSystem::setRefuseToOpen (const juce::String& identifier, bool shouldRefuse)
{
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* entry = Tables::find (state->inputs, identifier))
        entry->refuse = shouldRefuse;
    else if ((entry = Tables::find (state->outputs, identifier)) != nullptr)
        entry->refuse = shouldRefuse;
    else
        jassertfalse;
}

void VirtualMidiPortSystem::sendToInput (const juce::String& inputIdentifier, const juce::MidiMessage& message, double delayMs)
{
    const auto due = hiResMs() + juce::jmax (0.0, delayMs);
    const std::lock_guard<std::mutex> guard (state->lock);

    if (auto* entry = Tables::find (state->inputs, inputIdentifier))
        for (auto* input : entry->open)
            input->queue (message, due);
}

bool VirtualMidiPortSystem::isInputOpen (const juce::String& identifier) const
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = Tables::find (state->inputs, identifier);
    return entry != nullptr && ! entry->open.empty();
}

bool VirtualMidiPortSystem::isInputStarted (const juce::String& identifier) const
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = Tables::find (state->inputs, identifier);
    return entry != nullptr && std::any_of (entry->open.begin(), entry->open.end(), [] (Input* input)
                                            { return input->isStarted(); });
}

int VirtualMidiPortSystem::getNumOpenPorts() const
{
    const std::lock_guard<std::mutex> guard (state->lock);
    return state->numOpen;
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
                for (auto* input : entry.open)
                    busy = busy || input->isBusy (now);
        }

        if (! busy)
            return true;

        if (hiResMs() >= end)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

std::unique_ptr<MidiInputPort> VirtualMidiPortSystem::openInput (const juce::String& identifier, MidiInputPortCallback& callback)
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = Tables::find (state->inputs, identifier);

    if (entry == nullptr || entry->refuse)
        return {};

    auto port = std::make_unique<Input> (state, *entry, callback);
    entry->open.push_back (port.get());
    ++state->numOpen;
    return port;
}

std::unique_ptr<MidiOutputPort> VirtualMidiPortSystem::openOutput (const juce::String& identifier)
{
    const std::lock_guard<std::mutex> guard (state->lock);
    auto* entry = Tables::find (state->outputs, identifier);

    if (entry == nullptr || entry->refuse)
        return {};

    ++state->numOpen;
    return std::make_unique<Output> (state, *entry);
}
