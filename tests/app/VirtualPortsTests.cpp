#include "VirtualMidiPorts.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace
{
double nowMs() { return juce::Time::getMillisecondCounterHiRes(); }

juce::MidiMessage note (int number) { return juce::MidiMessage::noteOn (1, number, (juce::uint8) 100); }

// A port system with the input "In" opened (not started) on this fixture, which records what
// the input hands over as the application's callback would see it.
class VirtualPorts : public ::testing::Test, public MidiInputPortCallback
{
protected:
    void handleIncomingMidiMessage (MidiInputPort* source, const juce::MidiMessage& message) override
    {
        if (onDelivery)
            onDelivery();

        const std::lock_guard<std::mutex> guard (lock);
        deliveries.push_back ({ source, message.getTimeStamp(), std::this_thread::get_id() });
        noteNumbers.push_back (message.getNoteNumber());
    }

    std::vector<int> notes()
    {
        const std::lock_guard<std::mutex> guard (lock);
        return noteNumbers;
    }

    VirtualMidiPortSystem ports;
    const juce::String in = ports.addInput ("In");
    std::function<void()> onDelivery;
    std::mutex lock;
    std::vector<std::tuple<MidiInputPort*, double, std::thread::id>> deliveries; // source, time stamp, thread
    std::vector<int> noteNumbers;
    std::unique_ptr<MidiInputPort> input = ports.openInput (in, *this); // last, so it closes first
};
} // namespace

TEST_F (VirtualPorts, PortsAreListedInTheOrderTheyWereAddedAndARefusingPortDoesNotOpen)
{
    const auto out = ports.addOutput ("Out");
    const auto inA = ports.addInput ("A In");
    const auto sameName = ports.addInput ("A In");

    const auto inputs = ports.getAvailableInputs();
    ASSERT_EQ (inputs.size(), 3);
    EXPECT_TRUE (inputs[0].identifier == in && inputs[1].name == "A In" && inputs[1].identifier == inA && inputs[2].identifier == sameName);
    EXPECT_TRUE (sameName != inA && inA != out && ports.getAvailableOutputs()[0].identifier == out);

    ports.setRefuseToOpen (inA, true);
    ports.setRefuseToOpen (out, true);
    EXPECT_TRUE (ports.openInput (inA, *this) == nullptr && ports.openOutput (out) == nullptr && ports.openInput ("no such port", *this) == nullptr);

    ports.setRefuseToOpen (inA, false);
    const auto other = ports.openInput (inA, *this);
    EXPECT_TRUE (other != nullptr && ports.isInputOpen (inA) && ! ports.isInputStarted (inA));
}

TEST_F (VirtualPorts, AStartedInputDeliversOnItsOwnThreadWithItselfAsSourceAHiResTimeStampInSecondsAndAnyDelay)
{
    ports.sendToInput (in, note (0)); // lost: the input is not started yet
    ASSERT_TRUE (ports.waitUntilDelivered());
    input->start();
    const auto before = nowMs();
    ports.sendToInput (in, note (1), 150.0);
    ports.sendToInput (in, note (2));
    ports.sendToInput (in, note (3));
    std::this_thread::sleep_for (std::chrono::milliseconds (200));
    ASSERT_TRUE (ports.waitUntilDelivered());
    const auto after = nowMs();

    EXPECT_EQ (notes(), (std::vector<int> { 2, 3, 1 })); // the delayed one is overtaken
    EXPECT_GE (std::get<1> (deliveries.back()) * 1000.0 - before, 149.0);

    for (const auto& [source, timeStamp, thread] : deliveries)
    {
        EXPECT_TRUE (source == input.get() && thread != std::this_thread::get_id());
        EXPECT_TRUE (timeStamp >= before * 0.001 && timeStamp <= after * 0.001) << timeStamp;
    }
}

TEST_F (VirtualPorts, StopWaitsForARunningCallbackAndNothingIsDeliveredAfterIt)
{
    std::atomic<bool> entered { false }, finished { false };
    onDelivery = [&]
    {
        entered = true;
        std::this_thread::sleep_for (std::chrono::milliseconds (150));
        finished = true;
    };

    input->start();
    ports.sendToInput (in, note (1));
    ports.sendToInput (in, note (2)); // queued behind the slow callback, lost once stopped

    for (const auto end = nowMs() + 2000; ! entered && nowMs() < end;)
        std::this_thread::sleep_for (std::chrono::milliseconds (1));

    ASSERT_TRUE (entered);
    input->stop();
    EXPECT_TRUE (finished) << "stop() returned while the callback was still running";
    ASSERT_TRUE (ports.waitUntilDelivered());
    EXPECT_EQ (notes(), std::vector<int> { 1 });
}

TEST_F (VirtualPorts, AnOutputCallsItsListenerAtOnceOnTheSendersThread)
{
    std::vector<std::pair<int, std::thread::id>> heard;
    const auto out = ports.addOutput ("Out", [&] (const juce::MidiMessage& m)
                                      { heard.emplace_back (m.getNoteNumber(), std::this_thread::get_id()); });

    ports.openOutput (out)->sendMessageNow (note (40));
    EXPECT_EQ (heard, (decltype (heard) { { 40, std::this_thread::get_id() } }));
}
