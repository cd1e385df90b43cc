#include "MonitorBenchAccess.h"
#include <benchmark/benchmark.h>
#include <malloc.h>

// What a user feels of the monitor: the cost of one more log line (described and appended;
// the view catches up once a frame) when the log already holds many lines, the cost of
// painting the visible rows, of wrapping the whole log again, and the memory each held
// line takes.

namespace
{
// A component as the application makes it, monitor switched on, with a log of the
// given length. JUCE's port system opens nothing until "Search".
struct MonitorFixture
{
    JuceMidiPortSystem ports;
    MainComponent component { ports, [] (const juce::String&, const juce::String&) {} };
    MonitorBenchAccess access { component };
    juce::MidiMessage runtimeReply;
    double clock = 4000.0;

    MonitorFixture()
    {
        access.showMessages();

        runtimeReply = access.runtimeReply();

        // The log's place in the window, should the layout not have placed it.
        if (access.midiLog().getBounds().isEmpty())
            access.midiLog().setBounds (10, 40, 640, 120);
    }

    void addLine()
    {
        clock += 0.02;
        runtimeReply.setTimeStamp (clock);
        access.addMessageToList (runtimeReply, false);
    }

    void fill (int lines)
    {
        while (access.midiLog().getNumLines() < lines)
            addLine();

        // Lets the view catch up and show the newest line, as it would in the window.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    }
};

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// The lines appended by the timed loop stay few next to the log they join.
constexpr int appendsPerRun = 1000;

void appendOneLine (benchmark::State& state)
{
    MonitorFixture fixture;
    const auto heapEmpty = heapInUse();
    fixture.fill ((int) state.range (0));
    const auto heapFilled = heapInUse();

    for (auto _ : state)
        fixture.addLine();

    benchmark::DoNotOptimize (fixture.access.midiLog().getNumLines());
    state.counters["bytes_per_line"] = (double) (heapFilled - heapEmpty) / (double) state.range (0);
    state.SetLabel (fixture.access.midiLog().getLine (fixture.access.midiLog().getNumLines() - 1).substring (0, 40).toStdString());
}

// In the window the list repaints the visible rows after every line: append, then
// render the log view once, as a repaint would.
void appendOneLineAndPaint (benchmark::State& state)
{
    MonitorFixture fixture;
    fixture.fill ((int) state.range (0));
    auto& log = fixture.access.midiLog();

    for (auto _ : state)
    {
        fixture.addLine();
        auto image = log.createComponentSnapshot (log.getLocalBounds());
        benchmark::DoNotOptimize (image);
    }

    state.SetLabel ("log view " + std::to_string (log.getWidth()) + " x " + std::to_string (log.getHeight()) + " px");
}

// Painting the view alone: only the rows in view are laid out and drawn, so the cost should
// not depend on how many lines the log holds.
void paintLogView (benchmark::State& state)
{
    MonitorFixture fixture;
    fixture.fill ((int) state.range (0));
    auto& log = fixture.access.midiLog();

    for (auto _ : state)
    {
        auto image = log.createComponentSnapshot (log.getLocalBounds());
        benchmark::DoNotOptimize (image);
    }

    state.SetLabel (std::to_string (log.getNumLines()) + " lines held");
}

// A change of the view's width wraps every held line again.
void rewrapAfterWidthChange (benchmark::State& state)
{
    MonitorFixture fixture;
    fixture.fill ((int) state.range (0));
    auto& log = fixture.access.midiLog();
    const auto wide = log.getWidth();

    for (auto _ : state)
        log.setSize (log.getWidth() == wide ? wide - 80 : wide, log.getHeight());

    state.SetLabel (std::to_string (log.getNumLines()) + " lines held");
}
} // namespace

BENCHMARK (appendOneLine)->Arg (1000)->Arg (10000)->Arg (100000)->Arg (200000)->Iterations (appendsPerRun)->Unit (benchmark::kMicrosecond);
BENCHMARK (appendOneLineAndPaint)->Arg (1000)->Arg (10000)->Arg (100000)->Arg (200000)->Iterations (appendsPerRun)->Unit (benchmark::kMicrosecond);
BENCHMARK (paintLogView)->Arg (100)->Arg (200000)->Unit (benchmark::kMicrosecond);
BENCHMARK (rewrapAfterWidthChange)->Arg (200000)->Iterations (10)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
