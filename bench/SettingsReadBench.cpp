#include "InterfaceEmulator.h"
#include "MainComponentProbe.h"
#include "MessageLoop.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <thread>
#include <vector>

// A complete settings read as a user starts it: from the "Get Settings" click to the filled
// panels, against an interface emulator that answers at once, with 32 presets and 8 audio
// ports (44 exchanges). Reported per exchange: request built, sent, answered on the emulator's
// and the input's threads, posted, handled.
//
// Measured in the application's event-driven loop (runDispatchLoop). JUCE's loop cannot be
// started again once stopDispatchLoop has ended it, so this benchmark runs once per process
// (scripts/bench.sh runs it alone).

namespace
{
void settingsReadPerExchange (benchmark::State& state)
{
    auto& messageManager = *juce::MessageManager::getInstance();

    if (! messageLoopCanRun (state))
        return;

    VirtualMidiPortSystem ports;
    const auto input = ports.addInput ("Bench");
    const auto output = ports.addOutput ("Bench");
    InterfaceEmulator::Config config;
    config.setPresets (32);
    config.setAudioPorts (8);
    InterfaceEmulator emulator (ports, config);
    emulator.attach (input, output);

    MainComponent component { ports, [] (const juce::String&, const juce::String&) {} };
    MainComponentProbe probe { component };

    // Search and selection are not measured.
    ui::click (component, "Search");

    if (! ui::pumpUntil ([&]
                         { return probe.deviceListBox().getModel()->getNumRows() == 1 && probe.requestState() == MainComponent::idle; },
                         5000))
    {
        state.SkipWithError ("the interface was not found");
        return;
    }

    probe.deviceListBox().selectRow (0);
    auto& getSettings = ui::button (component, "Get Settings");

    juce::WaitableEvent readDone;
    double startMs = 0.0, endMs = 0.0;
    std::vector<double> perExchangeMs;
    int exchanges = 0;

    // Runs on the message thread until the panels are filled; each check waits in the queue
    // behind the replies already posted.
    std::function<void()> checkFilled = [&]
    {
        if (! probe.settingsLoaded())
        {
            juce::MessageManager::callAsync (checkFilled);
            return;
        }

        endMs = juce::Time::getMillisecondCounterHiRes();
        readDone.signal();
    };

    std::thread driver ([&]
                        {
                            for (auto _ : state)
                            {
                                juce::MessageManager::callAsync ([&]
                                                                 {
                                                                     emulator.clear();
                                                                     probe.setSettingsLoaded (false);
                                                                     startMs = juce::Time::getMillisecondCounterHiRes();
                                                                     getSettings.triggerClick();
                                                                     checkFilled();
                                                                 });
                                readDone.wait();

                                exchanges = (int) emulator.receivedFrames().size();
                                const auto elapsedMs = endMs - startMs;
                                state.SetIterationTime (elapsedMs * 0.001);
                                perExchangeMs.push_back (elapsedMs / juce::jmax (1, exchanges));
                            }

                            juce::MessageManager::getInstance()->stopDispatchLoop(); });

    messageManager.runDispatchLoop();
    driver.join();

    std::nth_element (perExchangeMs.begin(), perExchangeMs.begin() + (long) perExchangeMs.size() / 2, perExchangeMs.end());
    state.counters["exchanges"] = exchanges;
    state.counters["ms_per_exchange"] = perExchangeMs[perExchangeMs.size() / 2]; // median read
    state.SetItemsProcessed ((int64_t) state.iterations() * exchanges);

    if (exchanges != 3 + 32 + 8 + 1 || probe.presetCombo().getNumItems() != 32)
        state.SkipWithError ("the read did not go as a complete read goes");
}
} // namespace

BENCHMARK (settingsReadPerExchange)->Iterations (100)->UseManualTime()->Unit (benchmark::kMillisecond);
