#include "MainComponentProbe.h"
#include "MessageLoop.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>
#include <vector>

// The receive path as a user's interface drives it: a MIDI thread hands runtime-status frames
// to MainComponent, which posts each to the message thread, where handleMessage logs it (monitor
// on) and applies it. Measured as messages per second, in batches, next to a bare
// juce::MessageListener post-and-handle measured in the same run, alternately.
//
// The message loop runs as in the application, event-driven in runDispatchLoop. JUCE's loop
// cannot be started again once stopDispatchLoop has ended it, so this benchmark runs once per
// process (scripts/bench.sh runs it alone).

namespace
{
// One input whose callback the benchmark drives itself, as the MIDI thread would.
class BenchInput final : public MidiInputPort
{
public:
    void start() override {}
    void stop() override {}
};

class BenchPorts final : public MidiPortSystem
{
public:
    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override { return { juce::MidiDeviceInfo ("Bench", "bench-in") }; }
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override { return {}; }

    std::unique_ptr<MidiInputPort> openInput (const juce::String&, MidiInputPortCallback& callbackToUse) override
    {
        callback = &callbackToUse;
        return std::make_unique<BenchInput>();
    }

    std::unique_ptr<MidiOutputPort> openOutput (const juce::String&) override { return {}; }

    MidiInputPortCallback* callback = nullptr;
};

class BareListener final : public juce::MessageListener
{
public:
    void handleMessage (const juce::Message&) override { ++handled; }
    int handled = 0;
};

using Clock = std::chrono::steady_clock;

constexpr int messagesPerBatch = 1000;

double median (std::vector<double> values)
{
    std::nth_element (values.begin(), values.begin() + (long) values.size() / 2, values.end());
    return values[values.size() / 2];
}

void receivePathToLogLine (benchmark::State& state)
{
    auto& messageManager = *juce::MessageManager::getInstance();

    if (! messageLoopCanRun (state))
        return;

    BenchPorts ports;
    MainComponent component { ports, [] (const juce::String&, const juce::String&) {} };
    MainComponentProbe probe { component };
    probe.showMidiMessagesToggle().setToggleState (true, juce::dontSendNotification);
    probe.midiInputs().add (new MidiDeviceListEntry (ports.getAvailableInputs()[0]));
    component.openDevice (true, 0);
    auto* source = probe.midiInputs()[0]->inDevice.get();
    auto* midiCallback = ports.callback;

    const unsigned char body[] = { 0x43, 0x03, 0x01, 0x12, 0x03, 0x04, 0x03, 0x04, 0x01, 0x03, 0x10, 0x00, 0x03, 0x11, 0x00, 0x06, 0x12, 0x01, 0x01, 0x01, 0x01 };
    auto frame = probe.deviceContainer().sysexMessage.CreateMessage (body, (unsigned short) sizeof (body));
    const auto linesBefore = probe.midiLog().getNumLines();

    // A listener's first post makes its weak reference: the bare one's here, on the message
    // thread (the component makes its own on construction), so the MIDI thread only posts.
    BareListener bare;
    bare.postMessage (new juce::Message());
    juce::WaitableEvent batchHandled;
    std::vector<double> receiveSeconds, bareSeconds; // per batch

    // Queued behind a batch, so it runs once the message thread has handled all of it.
    auto waitForMessageThread = [&batchHandled]
    {
        juce::MessageManager::callAsync ([&batchHandled]
                                         { batchHandled.signal(); });
        batchHandled.wait();
    };

    // Plays the MIDI thread; the message thread runs the loop until this is done.
    std::thread midiThread ([&]
                            {
                                for (auto _ : state)
                                {
                                    state.PauseTiming();
                                    const auto bareStart = Clock::now();

                                    for (int i = 0; i < messagesPerBatch; ++i)
                                        bare.postMessage (new juce::Message());

                                    waitForMessageThread();
                                    bareSeconds.push_back (std::chrono::duration<double> (Clock::now() - bareStart).count());
                                    state.ResumeTiming();

                                    const auto start = Clock::now();

                                    for (int i = 0; i < messagesPerBatch; ++i)
                                    {
                                        frame.setTimeStamp (juce::Time::getMillisecondCounterHiRes() * 0.001);
                                        midiCallback->handleIncomingMidiMessage (source, frame);
                                    }

                                    waitForMessageThread();
                                    receiveSeconds.push_back (std::chrono::duration<double> (Clock::now() - start).count());
                                }

                                juce::MessageManager::getInstance()->stopDispatchLoop(); });

    messageManager.runDispatchLoop();
    midiThread.join();

    // Rates of the median batch: the machine's other load shows in a few batches, not in all.
    const auto messages = (double) state.iterations() * messagesPerBatch;
    const auto receiveRate = messagesPerBatch / median (receiveSeconds);
    const auto bareRate = messagesPerBatch / median (bareSeconds);
    state.counters["msgs_per_s"] = receiveRate;
    state.counters["bare_msgs_per_s"] = bareRate;
    state.counters["ratio_to_bare"] = receiveRate / bareRate;
    state.SetItemsProcessed ((int64_t) messages);

    if (probe.midiLog().getNumLines() - linesBefore != (int) messages || bare.handled != (int) messages + 1)
        state.SkipWithError ("messages were lost");
}
} // namespace

BENCHMARK (receivePathToLogLine)->Iterations (200)->UseRealTime()->Unit (benchmark::kMillisecond);
