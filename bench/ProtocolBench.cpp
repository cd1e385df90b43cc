#include "AllocationCounter.h"
#include "MainComponentProbe.h"
#include "RequestTemplates.h"

#include <benchmark/benchmark.h>

// The protocol's per-message costs: building a request, the gate every received and every
// logged message passes, and the monitor's description of a runtime-status frame. Each
// reports the allocations its measured loop made per message.

namespace
{
// The runtime status as the interface sends it: RetParmVal DeviceFeature with the scene,
// armed, alarm and the two hosts' status (body length 21, a 45-byte frame).
const unsigned char runtimeStatusBody[] = { 0x43, 0x03, 0x01, 0x12, 0x03, 0x04, 0x03, 0x04, 0x01, 0x03, 0x10, 0x00, 0x03, 0x11, 0x00, 0x06, 0x12, 0x01, 0x01, 0x01, 0x01 };

// Allocations are counted around the measured call alone: the benchmark library may allocate
// between iterations.
void reportAllocations (benchmark::State& state, std::size_t allocations)
{
    if (allocationsAreCounted())
        state.counters["allocs_per_msg"] = (double) allocations / (double) state.iterations();
}

void createMessage (benchmark::State& state)
{
    zun::SysexMessage builder;
    builder.productId = 0x1234;
    builder.serialNumber = 0x12345678;
    builder.sessionId = 0x0ABCDEF;
    std::size_t allocations = 0;

    for (auto _ : state)
    {
        const auto before = allocationCount();
        benchmark::DoNotOptimize (builder.CreateMessage (SXMessage_GetSettingsFailover, SXMessage_GetSettingsFailover_Length));
        allocations += allocationCount() - before;
    }

    reportAllocations (state, allocations);
}

void isValidMidiMessage (benchmark::State& state)
{
    zun::DeviceContainer container;
    const auto frame = container.sysexMessage.CreateMessage (runtimeStatusBody, (unsigned short) sizeof (runtimeStatusBody));
    std::size_t allocations = 0;

    for (auto _ : state)
    {
        const auto before = allocationCount();
        benchmark::DoNotOptimize (container);
        benchmark::DoNotOptimize (container.IsValidMidiMessage (frame));
        allocations += allocationCount() - before;
    }

    reportAllocations (state, allocations);

    // Validation must not allocate, and the frame must be one it accepts (the full path).
    if (allocations != 0)
        state.SkipWithError ("IsValidMidiMessage allocated");
    else if (! container.IsValidMidiMessage (frame))
        state.SkipWithError ("the measured frame is not valid");
}

void describeRuntimeStatusFrame (benchmark::State& state)
{
    JuceMidiPortSystem ports;
    MainComponent component { ports, [] (const juce::String&, const juce::String&) {} };
    MainComponentProbe probe { component };
    auto frame = probe.deviceContainer().sysexMessage.CreateMessage (runtimeStatusBody, (unsigned short) sizeof (runtimeStatusBody));
    frame.setTimeStamp (1234.5678);
    std::size_t allocations = 0;

    for (auto _ : state)
    {
        const auto before = allocationCount();
        benchmark::DoNotOptimize (probe.describe (frame));
        allocations += allocationCount() - before;
    }

    reportAllocations (state, allocations);
    state.SetLabel (std::to_string (frame.getRawDataSize()) + "-byte frame");
}
} // namespace

BENCHMARK (createMessage);
BENCHMARK (isValidMidiMessage);
BENCHMARK (describeRuntimeStatusFrame)->Unit (benchmark::kMicrosecond);
