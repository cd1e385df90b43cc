#include "VirtualMidiPorts.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace
{
// Records what an open input hands over, as the application's callback would see it.
class RecordingCallback final : public MidiInputPortCallback
{
public:
    struct Delivery
    {
        MidiInputPort* source;
        juce::MidiMessage message;
        std::thread::id thread;
        double receivedAtMs;
    };

    void handleIncomingMidiMessage (MidiInputPort* source, const juce::MidiMessage& message) override
    {
        {
            const std::lock_guard<std::mutex> guard (lock);
            deliveries.push_back ({ source, message, std::this_thread::get_id(), juce::Time::getMillisecondCounterHiRes() });
        }

        if (onDelivery)
            onDelivery (message);
    }

    std::vector<Delivery> all() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return deliveries;
    }

    size_t count() const { return all().size(); }

    // Bounded wait for at least n deliveries.
    bool waitFor (size_t n, int timeoutMs = 2000) const
    {
        const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

        while (count() < n)
        {
            if (juce::Time::getMillisecondCounterHiRes() > end)
                return false;
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
        return true;
    }

    std::function<void (const juce::MidiMessage&)> onDelivery;

private:
    mutable std::mutex lock;
    std::vector<Delivery> deliveries;
};

juce::MidiMessage note (int number) { return juce::MidiMessage::noteOn (1, number, (juce::uint8) 100); }

bool waitUntil (const std::function<bool()>& condition, int timeoutMs = 2000)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounterHiRes() > end)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
    return true;
}
} // namespace

//==============================================================================
TEST (VirtualPorts, PortsAreListedInTheOrderTheyWereAddedWithUniqueIdentifiers)
{
    VirtualMidiPortSystem ports;
    EXPECT_TRUE (ports.getAvailableInputs().isEmpty());
    EXPECT_TRUE (ports.getAvailableOutputs().isEmpty());

    const auto inB = ports.addInput ("B In");
    const auto outA = ports.addOutput ("A Out");
    const auto inA = ports.addInput ("A In");
    const auto inSameName = ports.addInput ("A In");

    const auto inputs = ports.getAvailableInputs();
    ASSERT_EQ (inputs.size(), 3);
    EXPECT_EQ (inputs[0].name, "B In");
    EXPECT_EQ (inputs[0].identifier, inB);
    EXPECT_EQ (inputs[1].name, "A In");
    EXPECT_EQ (inputs[1].identifier, inA);
    EXPECT_EQ (inputs[2].identifier, inSameName);

    const auto outputs = ports.getAvailableOutputs();
    ASSERT_EQ (outputs.size(), 1);
    EXPECT_EQ (outputs[0].name, "A Out");
    EXPECT_EQ (outputs[0].identifier, outA);

    // Two ports of the same name, and an input and an output, never share an identifier.
    const juce::StringArray ids { inB, outA, inA, inSameName };
    for (int i = 0; i < ids.size(); ++i)
        for (int j = i + 1; j < ids.size(); ++j)
            EXPECT_NE (ids[i], ids[j]);
}

TEST (VirtualPorts, ARefusingPortDoesNotOpenAndAnUnknownIdentifierOpensNothing)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");
    const auto out = ports.addOutput ("Out");

    ports.setRefuseToOpen (in, true);
    ports.setRefuseToOpen (out, true);
    EXPECT_EQ (ports.openInput (in, callback), nullptr);
    EXPECT_EQ (ports.openOutput (out), nullptr);
    EXPECT_EQ (ports.openInput ("no such port", callback), nullptr);
    EXPECT_EQ (ports.openOutput ("no such port"), nullptr);
    EXPECT_EQ (ports.getOpenCount (in), 0);
    EXPECT_EQ (ports.getOpenCount (out), 0);
    EXPECT_EQ (ports.getNumOpenPorts(), 0);

    ports.setRefuseToOpen (in, false);
    ports.setRefuseToOpen (out, false);
    auto input = ports.openInput (in, callback);
    auto output = ports.openOutput (out);
    ASSERT_NE (input, nullptr);
    ASSERT_NE (output, nullptr);
    EXPECT_TRUE (ports.isInputOpen (in));
    EXPECT_FALSE (ports.isInputStarted (in));
    EXPECT_TRUE (ports.isOutputOpen (out));
    EXPECT_EQ (ports.getNumOpenPorts(), 2);

    input.reset();
    output.reset();
    EXPECT_FALSE (ports.isInputOpen (in));
    EXPECT_FALSE (ports.isOutputOpen (out));
    EXPECT_EQ (ports.getNumOpenPorts(), 0);

    // Reopening counts, so tests can tell a port was closed and opened again.
    auto again = ports.openInput (in, callback);
    EXPECT_EQ (ports.getOpenCount (in), 2);
    EXPECT_EQ (ports.getOpenCount (out), 1);
}

TEST (VirtualPorts, AStartedInputDeliversOnItsOwnThreadWithItselfAsSourceAndAHiResTimeStamp)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");
    auto input = ports.openInput (in, callback);
    input->start();
    EXPECT_TRUE (ports.isInputStarted (in));

    const auto before = juce::Time::getMillisecondCounterHiRes();
    ports.sendToInput (in, note (60));
    ports.sendToInput (in, note (61));
    ASSERT_TRUE (ports.waitUntilDelivered());
    const auto after = juce::Time::getMillisecondCounterHiRes();

    const auto deliveries = callback.all();
    ASSERT_EQ (deliveries.size(), 2u);
    EXPECT_EQ (deliveries[0].message.getNoteNumber(), 60);
    EXPECT_EQ (deliveries[1].message.getNoteNumber(), 61);

    for (auto& d : deliveries)
    {
        EXPECT_EQ (d.source, input.get());
        EXPECT_NE (d.thread, std::this_thread::get_id());
        // Seconds on the high-resolution clock, stamped at delivery.
        EXPECT_GE (d.message.getTimeStamp(), before * 0.001);
        EXPECT_LE (d.message.getTimeStamp(), after * 0.001);
    }
}

TEST (VirtualPorts, NothingIsDeliveredBeforeStartAfterStopOrToAClosedPort)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");

    ports.sendToInput (in, note (1)); // not open: lost
    auto input = ports.openInput (in, callback);
    ports.sendToInput (in, note (2)); // open, not started: lost
    ASSERT_TRUE (ports.waitUntilDelivered());

    input->start();
    ports.sendToInput (in, note (3));
    ASSERT_TRUE (ports.waitUntilDelivered());

    input->stop();
    EXPECT_FALSE (ports.isInputStarted (in));
    ports.sendToInput (in, note (4)); // stopped: lost
    ASSERT_TRUE (ports.waitUntilDelivered());
    std::this_thread::sleep_for (std::chrono::milliseconds (20));

    input->start();
    ports.sendToInput (in, note (5));
    ASSERT_TRUE (ports.waitUntilDelivered());

    input.reset();
    ports.sendToInput (in, note (6)); // closed: lost
    std::this_thread::sleep_for (std::chrono::milliseconds (20));

    const auto deliveries = callback.all();
    ASSERT_EQ (deliveries.size(), 2u);
    EXPECT_EQ (deliveries[0].message.getNoteNumber(), 3);
    EXPECT_EQ (deliveries[1].message.getNoteNumber(), 5);
}

TEST (VirtualPorts, StopWaitsForARunningCallbackAndNoneRunsAfterIt)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    std::atomic<bool> inCallback { false }, callbackFinished { false };
    callback.onDelivery = [&] (const juce::MidiMessage&)
    {
        inCallback = true;
        std::this_thread::sleep_for (std::chrono::milliseconds (150));
        callbackFinished = true;
    };

    const auto in = ports.addInput ("In");
    auto input = ports.openInput (in, callback);
    input->start();
    ports.sendToInput (in, note (1));
    ports.sendToInput (in, note (2)); // queued behind the slow callback
    ASSERT_TRUE (waitUntil ([&]
                            { return inCallback.load(); }));

    input->stop();
    EXPECT_TRUE (callbackFinished.load()) << "stop() returned while the callback was still running";

    std::this_thread::sleep_for (std::chrono::milliseconds (200));
    EXPECT_EQ (callback.count(), 1u) << "a message was delivered after stop()";
}

TEST (VirtualPorts, DestroyingAnOpenInputWaitsForItsCallbackAndClosesIt)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    std::atomic<bool> inCallback { false }, callbackFinished { false };
    callback.onDelivery = [&] (const juce::MidiMessage&)
    {
        inCallback = true;
        std::this_thread::sleep_for (std::chrono::milliseconds (100));
        callbackFinished = true;
    };

    const auto in = ports.addInput ("In");
    auto input = ports.openInput (in, callback);
    input->start();
    ports.sendToInput (in, note (1));
    ASSERT_TRUE (waitUntil ([&]
                            { return inCallback.load(); }));

    input.reset();
    EXPECT_TRUE (callbackFinished.load());
    EXPECT_FALSE (ports.isInputOpen (in));
    EXPECT_FALSE (ports.isInputStarted (in));
}

TEST (VirtualPorts, ACallbackMayStopItsOwnInput)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");
    auto input = ports.openInput (in, callback);
    callback.onDelivery = [&] (const juce::MidiMessage&)
    { input->stop(); };
    input->start();

    ports.sendToInput (in, note (1));
    ports.sendToInput (in, note (2));
    ASSERT_TRUE (ports.waitUntilDelivered());
    EXPECT_EQ (callback.count(), 1u);
    EXPECT_FALSE (ports.isInputStarted (in));
}

TEST (VirtualPorts, ADelayedMessageArrivesNoEarlierThanItsDelayAndLaterOnesOvertakeIt)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");
    auto input = ports.openInput (in, callback);
    input->start();

    const auto sentAt = juce::Time::getMillisecondCounterHiRes();
    ports.sendToInput (in, note (1), 150.0);
    ports.sendToInput (in, note (2));

    ASSERT_TRUE (callback.waitFor (1));
    std::this_thread::sleep_for (std::chrono::milliseconds (50));
    EXPECT_EQ (callback.count(), 1u) << "the delayed message came too early";

    ASSERT_TRUE (callback.waitFor (2));
    const auto deliveries = callback.all();
    EXPECT_EQ (deliveries[0].message.getNoteNumber(), 2);
    EXPECT_EQ (deliveries[1].message.getNoteNumber(), 1);
    EXPECT_GE (deliveries[1].receivedAtMs - sentAt, 149.0);
    EXPECT_GE (deliveries[1].message.getTimeStamp() * 1000.0 - sentAt, 149.0);
}

TEST (VirtualPorts, WaitUntilDeliveredIgnoresFutureMessagesAndGivesUpAtItsTimeout)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");
    auto input = ports.openInput (in, callback);
    input->start();

    // A message due later does not hold the wait up.
    ports.sendToInput (in, note (1), 1000.0);
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_TRUE (ports.waitUntilDelivered (500));
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 400.0);

    // A callback that takes longer than the wait makes it report failure.
    callback.onDelivery = [] (const juce::MidiMessage& m)
    {
        if (m.getNoteNumber() == 2)
            std::this_thread::sleep_for (std::chrono::milliseconds (300));
    };
    ports.sendToInput (in, note (2));
    EXPECT_FALSE (ports.waitUntilDelivered (50));
    EXPECT_TRUE (ports.waitUntilDelivered (2000));
}

TEST (VirtualPorts, SeveralInputsDeliverAtTheSameTime)
{
    VirtualMidiPortSystem ports;
    RecordingCallback first, second;
    std::atomic<bool> firstIn { false }, secondIn { false };
    std::atomic<bool> firstSawSecond { false }, secondSawFirst { false };

    // Each callback waits (bounded) for the other to be inside its own callback: this only
    // succeeds when the two inputs deliver on threads of their own.
    first.onDelivery = [&] (const juce::MidiMessage&)
    {
        firstIn = true;
        firstSawSecond = waitUntil ([&]
                                    { return secondIn.load(); },
                                    1000);
    };
    second.onDelivery = [&] (const juce::MidiMessage&)
    {
        secondIn = true;
        secondSawFirst = waitUntil ([&]
                                    { return firstIn.load(); },
                                    1000);
    };

    const auto inA = ports.addInput ("A");
    const auto inB = ports.addInput ("B");
    auto a = ports.openInput (inA, first);
    auto b = ports.openInput (inB, second);
    a->start();
    b->start();
    ports.sendToInput (inA, note (1));
    ports.sendToInput (inB, note (2));
    ASSERT_TRUE (ports.waitUntilDelivered (3000));

    EXPECT_TRUE (firstSawSecond.load());
    EXPECT_TRUE (secondSawFirst.load());
    EXPECT_NE (first.all().at (0).thread, second.all().at (0).thread);
}

TEST (VirtualPorts, EveryOpenInstanceOfAnInputGetsItsOwnCopy)
{
    VirtualMidiPortSystem ports;
    RecordingCallback first, second;
    const auto in = ports.addInput ("In");
    auto a = ports.openInput (in, first);
    auto b = ports.openInput (in, second);
    a->start();
    b->start();

    ports.sendToInput (in, note (7));
    ASSERT_TRUE (ports.waitUntilDelivered());
    ASSERT_EQ (first.count(), 1u);
    ASSERT_EQ (second.count(), 1u);
    EXPECT_EQ (first.all()[0].source, a.get());
    EXPECT_EQ (second.all()[0].source, b.get());
}

TEST (VirtualPorts, AnOutputCallsItsListenerAtOnceOnTheSendersThread)
{
    VirtualMidiPortSystem ports;
    std::vector<std::pair<int, std::thread::id>> heard;
    const auto out = ports.addOutput ("Out", [&] (const juce::MidiMessage& m)
                                      { heard.emplace_back (m.getNoteNumber(), std::this_thread::get_id()); });
    const auto silent = ports.addOutput ("No listener");

    auto output = ports.openOutput (out);
    output->sendMessageNow (note (40));
    ASSERT_EQ (heard.size(), 1u); // synchronous: heard before sendMessageNow returned
    EXPECT_EQ (heard[0].first, 40);
    EXPECT_EQ (heard[0].second, std::this_thread::get_id());

    std::vector<int> replaced;
    ports.setOutputListener (out, [&] (const juce::MidiMessage& m)
                             { replaced.push_back (m.getNoteNumber()); });
    output->sendMessageNow (note (41));
    EXPECT_EQ (heard.size(), 1u);
    EXPECT_EQ (replaced, std::vector<int> { 41 });

    // An output without a listener swallows what it is sent.
    auto other = ports.openOutput (silent);
    other->sendMessageNow (note (42));
    EXPECT_EQ (replaced.size(), 1u);
}

TEST (VirtualPorts, AListenerMayAnswerIntoAnInputWhichDeliversOnItsOwnThread)
{
    VirtualMidiPortSystem ports;
    RecordingCallback callback;
    const auto in = ports.addInput ("In");
    const auto out = ports.addOutput ("Out");
    ports.setOutputListener (out, [&] (const juce::MidiMessage& m)
                             { ports.sendToInput (in, juce::MidiMessage::noteOn (1, m.getNoteNumber() + 1, (juce::uint8) 1)); });

    auto input = ports.openInput (in, callback);
    auto output = ports.openOutput (out);
    input->start();
    output->sendMessageNow (note (10));
    ASSERT_TRUE (ports.waitUntilDelivered());

    const auto deliveries = callback.all();
    ASSERT_EQ (deliveries.size(), 1u);
    EXPECT_EQ (deliveries[0].message.getNoteNumber(), 11);
    EXPECT_NE (deliveries[0].thread, std::this_thread::get_id());
}

TEST (VirtualPorts, OpenPortsMayOutliveThePortSystem)
{
    RecordingCallback callback;
    std::unique_ptr<MidiInputPort> input;
    std::unique_ptr<MidiOutputPort> output;

    {
        VirtualMidiPortSystem ports;
        const auto in = ports.addInput ("In");
        const auto out = ports.addOutput ("Out");
        input = ports.openInput (in, callback);
        output = ports.openOutput (out);
        input->start();
    }

    output->sendMessageNow (note (1));
    input->stop();
    input.reset();
    output.reset();
    EXPECT_EQ (callback.count(), 0u);
}
