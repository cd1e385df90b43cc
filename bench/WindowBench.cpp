#include "MonitorBenchAccess.h"
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

// The receive path in a visible window, where every change of a component's bounds is a
// round trip to the X server: messages enter through the MIDI callback from a thread of
// their own and the message loop handles them, with the monitor on. Beside it, a bare
// post-and-handle in the same window gives the ceiling. Needs a display: run it with
// bench/run-window-bench.sh.
//
// JUCE's event-driven loop (runDispatchLoop) runs once for the whole measurement, since
// stopDispatchLoop ends it for good; the poster thread does both runs in turn.

namespace
{
constexpr int messagesPerRun = 200000;

// The poster waits for each batch to be handled, so the queue (which drains from the front
// of an array) never holds a long backlog, as with a MIDI thread feeding a busy loop.
constexpr int batchSize = 500;

bool hasDisplay()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()
           && juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

class BenchWindow final : public juce::DocumentWindow
{
public:
    explicit BenchWindow (juce::Component* content)
        : DocumentWindow ("Sorvalle", juce::Colours::darkgrey, juce::DocumentWindow::allButtons)
    {
        setUsingNativeTitleBar (true);
        setContentOwned (content, true);
        setResizable (true, false);
        centreWithSize (getWidth(), getHeight());
        setVisible (true);
    }

    void closeButtonPressed() override {}
};

// A bare listener: what handling a posted message costs with nothing done.
struct CountingListener final : public juce::MessageListener
{
    int handled = 0;
    void handleMessage (const juce::Message&) override { ++handled; }
};

// Posts `count` messages from the calling (non-message) thread in batches and returns the
// seconds until the last is handled.
double postInBatches (int count, const std::function<void()>& postOne)
{
    juce::WaitableEvent batchHandled;
    const auto start = juce::Time::getMillisecondCounterHiRes();

    for (int posted = 0; posted < count;)
    {
        for (int i = 0; i < batchSize && posted < count; ++i, ++posted)
            postOne();

        juce::MessageManager::callAsync ([&batchHandled]
                                         { batchHandled.signal(); });
        batchHandled.wait();
    }

    return (juce::Time::getMillisecondCounterHiRes() - start) * 0.001;
}

void receiveInVisibleWindow (benchmark::State& state)
{
    if (! hasDisplay())
    {
        state.SkipWithError ("needs a display: run bench/run-window-bench.sh");
        return;
    }

    // The application's JUCE installs X error handlers that only log; outside an application
    // object it does not, and Xlib's default ends the process on the first error (a bare
    // display lacks atoms a window manager would have made).
    XSetErrorHandler ([] (Display*, XErrorEvent*)
                      { return 0; });

    JuceMidiPortSystem ports;
    auto* component = new MainComponent (ports, [] (const juce::String&, const juce::String&) {});
    BenchWindow window (component);
    MonitorBenchAccess access { *component };
    CountingListener bare;
    access.showMessages();

    // The first post of each listener makes its weak reference: do it here, on the message
    // thread, before another thread posts.
    bare.postMessage (new juce::Message());
    access.receive (access.runtimeReply());

    double bareSeconds = 0.0, logSeconds = 0.0;
    int linesLogged = 0;

    for (auto _ : state)
    {
        juce::Thread::launch ([&]
                              {
                                  // Lets the window map and paint first.
                                  juce::Thread::sleep (500);

                                  bareSeconds = postInBatches (messagesPerRun, [&bare]
                                                               { bare.postMessage (new juce::Message()); });

                                  auto message = access.runtimeReply();
                                  double clock = 4000.0;
                                  logSeconds = postInBatches (messagesPerRun, [&]
                                                              {
                                                                  clock += 0.0001;
                                                                  message.setTimeStamp (clock);
                                                                  access.receive (message);
                                                              });

                                  juce::MessageManager::callAsync ([&]
                                                                   {
                                                                       linesLogged = access.midiLog().getNumLines();
                                                                       juce::MessageManager::getInstance()->stopDispatchLoop();
                                                                   }); });

        juce::MessageManager::getInstance()->runDispatchLoop();
    }

    // The warm-up message made the first line.
    if (linesLogged != messagesPerRun + 1)
        state.SkipWithError (("lost messages: " + std::to_string (linesLogged) + " lines").c_str());

    state.counters["bare_msgs_per_s"] = messagesPerRun / bareSeconds;
    state.counters["log_msgs_per_s"] = messagesPerRun / logSeconds;
    state.counters["log_us_per_msg"] = logSeconds * 1.0e6 / messagesPerRun;
    state.SetLabel ("monitor on, log view " + std::to_string (access.midiLog().getWidth()) + " x " + std::to_string (access.midiLog().getHeight()) + " px");
}
} // namespace

// Once per run: the event-driven loop cannot be started again after it has been stopped.
BENCHMARK (receiveInVisibleWindow)->Iterations (1)->Unit (benchmark::kSecond)->UseRealTime();
