#include "MainComponent.h"
#include <benchmark/benchmark.h>
#include <malloc.h>

// What a user feels of the monitor: the cost of one more log line (described, appended,
// the list updated and scrolled) when the log already holds many lines, the cost of
// painting the visible rows, and the memory each held line takes.

class MonitorBenchAccess
{
public:
    explicit MonitorBenchAccess (MainComponent& componentToUse)
        : component (componentToUse)
    {
    }

    void showMessages() { component.showMidiMessagesToggle.setToggleState (true, juce::dontSendNotification); }
    void addMessageToList (const juce::MidiMessage& message, bool isOutgoing) { component.addMessageToList (message, isOutgoing); }
    MidiLogView& midiLog() { return component.midiLog; }
    zun::SysexMessage& builder() { return component.deviceContainer.sysexMessage; }

private:
    MainComponent& component;
};

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

        // The runtime status as it comes back in Poll mode: RetParmVal DeviceFeature
        // with the scene, armed, alarm and the two hosts' status (body length 21).
        const unsigned char body[] = { 0x43, 0x03, 0x01, 0x12, 0x03, 0x04, 0x03, 0x04, 0x01, 0x03, 0x10, 0x00, 0x03, 0x11, 0x00, 0x06, 0x12, 0x01, 0x01, 0x01, 0x01 };
        runtimeReply = access.builder().CreateMessage (body, (unsigned short) sizeof (body));

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
} // namespace

BENCHMARK (appendOneLine)->Arg (1000)->Arg (10000)->Arg (100000)->Arg (200000)->Iterations (appendsPerRun)->Unit (benchmark::kMicrosecond);
BENCHMARK (appendOneLineAndPaint)->Arg (1000)->Arg (10000)->Arg (100000)->Arg (200000)->Iterations (appendsPerRun)->Unit (benchmark::kMicrosecond);

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
