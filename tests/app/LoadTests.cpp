#include "AppFixture.h"

#include <fstream>
#include <unistd.h>

// The receive path under a flood: the interface pushes runtime-status notifications as fast as
// the virtual ports carry them, with the monitor on. Every frame must be applied and logged, a
// click must not wait behind the flood, and memory may grow only with the log.

namespace
{
// Sanitized builds run 5 to 20 times slower: the flood is scaled down there.
#ifndef __has_feature
#define __has_feature(x) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

constexpr double intervalMs = sanitized ? 0.2 : 0.05; // 20,000 frames/s, 5,000 sanitized
constexpr int floodMs = sanitized ? 3000 : 5000;
constexpr double minimumRate = sanitized ? 2500.0 : 10000.0; // frames/s handled
constexpr double clickBoundMs = sanitized ? 2000.0 : 250.0;

// Resident memory of this process.
double residentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream ("/proc/self/statm") >> pages >> resident;
    return (double) resident * (double) sysconf (_SC_PAGESIZE);
}
} // namespace

using Load = AppFixture;

//==============================================================================
TEST_F (Load, ANotificationFloodIsAppliedAndLoggedFrameByFrameWhileAClickIsHandledAtOnceAndMemoryGrowsOnlyWithTheLog)
{
    auto& alpha = addInterface();
    ASSERT_TRUE (connect());
    showMidiMessages();
    alpha.configure ([] (auto& c)
                     { c.notificationIntervalMs = intervalMs; });

    // Warm up the log's storage and the allocator before the baseline.
    for (int i = 0; i < 2000; ++i)
        probe->addMessageToList (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), false);
    probe->clearLog();
    const auto residentBefore = residentBytes();

    ui::click (*app, "Notify", 0);
    const auto start = juce::Time::getMillisecondCounterHiRes();
    double clickPostedMs = 0.0, clickHandledMs = 0.0;

    // Half-way, a click stands in the queue behind whatever the flood left there; it is posted
    // even when one pump outlasts the whole flood.
    while (juce::Time::getMillisecondCounterHiRes() - start < floodMs || clickPostedMs == 0.0)
    {
        if (clickPostedMs == 0.0 && juce::Time::getMillisecondCounterHiRes() - start > floodMs / 2)
        {
            clickPostedMs = juce::Time::getMillisecondCounterHiRes();
            juce::MessageManager::callAsync ([&clickHandledMs]
                                             { clickHandledMs = juce::Time::getMillisecondCounterHiRes(); });
        }

        ui::pump (10);
    }

    // Stop the flood the user's way; the frames under way still come in.
    alpha.configure ([] (auto& c)
                     { c.notificationIntervalMs = 0.0; });
    const auto floodEnd = juce::Time::getMillisecondCounterHiRes();
    const auto sent = alpha.notificationsSent();
    ASSERT_TRUE (virtualPorts.waitUntilDelivered (5000));

    auto receivedLines = [this]
    { return countLogLinesContaining (" R NotParmVal"); };
    const auto drained = ui::pumpUntil ([&]
                                        { return receivedLines() >= sent; },
                                        5000);
    const auto drainMs = juce::Time::getMillisecondCounterHiRes() - floodEnd;
    // Handled per second: from the subscription to the last frame logged.
    const auto rate = (double) sent / ((floodEnd + drainMs - start) * 0.001);

    // Every frame the interface pushed came in, was logged once, and nothing else was.
    EXPECT_TRUE (drained);
    EXPECT_EQ (receivedLines(), sent);
    EXPECT_GE (rate, minimumRate);
    EXPECT_TRUE (alerts.empty());

    // The click did not wait for the flood to end.
    EXPECT_TRUE (ui::pumpUntil ([&clickHandledMs]
                                { return clickHandledMs > 0.0; }));
    EXPECT_LT (clickHandledMs - clickPostedMs, clickBoundMs);

    // Memory: the log's lines, about 220 bytes each here, and nothing that grows per frame
    // besides: the bound leaves room for about 110 bytes more per frame, less than a received
    // message kept with its copy. The sanitizers keep freed memory in quarantine a while.
    const auto lines = probe->midiLog().getNumLines();
    const auto growth = residentBytes() - residentBefore;
    std::printf ("flood: %lld frames, %.0f frames/s; click handled after %.1f ms; %.1f MB more for %d log lines (%.0f bytes per line)\n", (long long) sent, rate, clickHandledMs - clickPostedMs, growth / 1e6, lines, growth / juce::jmax (1, lines));
    EXPECT_LT (growth, lines * (sanitized ? 1024.0 : 256.0) + (sanitized ? 512e6 : 8e6));

    // The frames were applied: a changed status shows at once.
    alpha.configure ([] (auto& c)
                     {
                         c.armed = 1;
                         c.hostStatus[0] = 3; });
    ASSERT_TRUE (alpha.pushNotification());
    ASSERT_TRUE (ui::pumpUntil ([&]
                                { return receivedLines() == sent + 1; }));
    EXPECT_TRUE (ui::button (*app, "ARMED").isVisible());
    EXPECT_EQ (probe->usb1AudioStatusLabel().getText(), "Audio - 3");
}
