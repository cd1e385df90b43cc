#pragma once

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

// JUCE's event-driven loop cannot be started again once stopDispatchLoop has ended it, so a
// benchmark measured inside it runs once per process. False (and the benchmark marked as an
// error) when an earlier one in this process has already ended the loop.
inline bool messageLoopCanRun (benchmark::State& state)
{
    if (! juce::MessageManager::getInstance()->hasStopMessageBeenSent())
        return true;

    state.SkipWithError ("the message loop of this process has already been ended: run this benchmark alone");
    return false;
}
