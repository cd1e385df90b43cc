#include "AppFixture.h"

// The MIDI monitor as the user sees it: one line per message while "Show MIDI Messages"
// is on, with a running number, the clock reading, S or R and a readable description.

namespace
{
juce::String hexOf (const juce::MidiMessage& message, int from, int to)
{
    return juce::String::toHexString (message.getRawData() + from, to - from);
}

juce::String allBytesOf (const juce::MidiMessage& message) { return hexOf (message, 0, message.getRawDataSize()); }

juce::MidiMessage bytes (std::vector<juce::uint8> data, double timeStamp = 0.0)
{
    return juce::MidiMessage (data.data(), (int) data.size(), timeStamp);
}
} // namespace

class MonitorTest : public AppFixture
{
protected:
    zun::SysexMessage interface; // builds frames as an interface would, with its own numbers

    // A frame with all ids and, unless the session is changed, the sequence number 0.
    juce::MidiMessage frame (std::vector<unsigned char> body, double timeStamp = 0.0)
    {
        interface.sequenceNumber = 0;
        auto message = interface.CreateMessage (body.empty() ? nullptr : body.data(), (unsigned short) body.size());
        message.setTimeStamp (timeStamp);
        return message;
    }

    void setMonitor (bool shouldShow)
    {
        if (probe->showMidiMessagesToggle().getToggleState() != shouldShow)
            ui::click (*app, "Show MIDI Messages");
        ASSERT_EQ (probe->showMidiMessagesToggle().getToggleState(), shouldShow);
    }

    MidiLogView& log() { return probe->midiLog(); }

    juce::String lineFor (const juce::MidiMessage& message, bool isOutgoing = false)
    {
        probe->addMessageToList (message, isOutgoing);
        return log().getLine (log().getNumLines() - 1);
    }

    void TearDown() override { EXPECT_TRUE (alerts.empty()); }
};

//==============================================================================
TEST_F (MonitorTest, TimeStampsReadAsTheClockWrappedAtTwentyFourHours)
{
    setMonitor (true);
    // The milliseconds stay within 0 to 999 however large the reading, up to the largest
    // t x 1000 a 64-bit integer holds (9.1e15 s gives 9100000000000002048 ms); readings no
    // clock gives (negative, too large) stay inside the fields instead of printing garbage.
    const std::pair<double, const char*> readings[] { { 5.25, "00:00:05.250" }, { 3661.5, "01:01:01.500" }, { 90061.5, "01:01:01.500" }, { 2500000.5, "22:26:40.500" }, { 9100000000000002.0, "01:46:42.048" }, { 86399.999, "23:59:59.999" }, { -1.5, "00:00:00.000" }, { 1.0e300, "00:00:00.000" } };

    int number = 1;
    for (auto [seconds, time] : readings)
        EXPECT_EQ (lineFor (bytes ({ 0x90, 60, 100 }, seconds)), juce::String (number++) + " - " + time + " R Note on C3");

    for (int i = 9; i <= 11; ++i)
        probe->addMessageToList (juce::MidiMessage::midiClock(), true);
    EXPECT_EQ (lineFor (frame ({ 0x40, 0x00, 0x11, 0x00, 0x00 }, 3661.5)), "12 - 01:01:01.500 R Ack None: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05 40 00 11 00 00 2a");
    EXPECT_EQ (log().getLine (10), "11 - 00:00:00.000 S f8");
}

TEST_F (MonitorTest, NothingIsWrittenWhileOffAndNumberingCarriesOnUntilClearLog)
{
    const auto clock = juce::MidiMessage::midiClock();

    // Off from the start: no line, and no number used up (it is taken before describing).
    probe->addMessageToList (clock, true);
    probe->addMessageToList (frame ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 }), false);
    EXPECT_TRUE (log().getNumLines() == 0 && probe->logLineCounter() == 1);

    setMonitor (true);
    EXPECT_EQ (lineFor (clock), "1 - 00:00:00.000 R f8");
    EXPECT_EQ (lineFor (clock, true), "2 - 00:00:00.000 S f8");

    setMonitor (false);
    probe->addMessageToList (clock, true);
    EXPECT_EQ (probe->logLineCounter(), 3);

    // Switched on again, nothing of the past shows and the numbers go on.
    setMonitor (true);
    EXPECT_EQ (lineFor (clock), "3 - 00:00:00.000 R f8");
    EXPECT_EQ (log().getText(), "1 - 00:00:00.000 R f8\r\n2 - 00:00:00.000 S f8\r\n3 - 00:00:00.000 R f8\r\n");

    ui::click (*app, "Clear Log");
    EXPECT_TRUE (log().getNumLines() == 0 && probe->showMidiMessagesToggle().getToggleState()) << "the toggle keeps its state";
    EXPECT_EQ (lineFor (clock), "1 - 00:00:00.000 R f8");

    // Clearing while the monitor is off also restarts the numbering.
    setMonitor (false);
    ui::click (*app, "Clear Log");
    setMonitor (true);
    EXPECT_EQ (lineFor (clock), "1 - 00:00:00.000 R f8");
}

//==============================================================================
TEST_F (MonitorTest, OrdinaryMessagesAreDescribedByKindWithoutTheChannel)
{
    const juce::uint8 roland[] = { 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41 };
    const std::pair<juce::MidiMessage, const char*> rows[] {
        { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), "Note on C3" }, // middle C in octave 3
        { juce::MidiMessage::noteOn (16, 61, (juce::uint8) 1), "Note on C#3" },
        { juce::MidiMessage::noteOn (1, 0, (juce::uint8) 127), "Note on C-2" },
        { juce::MidiMessage::noteOff (3, 62, (juce::uint8) 64), "Note off D3" },
        { bytes ({ 0x95, 64, 0 }), "Note off E3" }, // velocity 0
        { juce::MidiMessage::programChange (9, 42), "Program change 42" },
        { juce::MidiMessage::pitchWheel (3, 16383), "Pitch wheel 16383" },
        { bytes ({ 0xE0, 0x7F, 0x00 }), "Pitch wheel 127" },
        { juce::MidiMessage::aftertouchChange (1, 60, 33), "After touch C3: 33" },
        { juce::MidiMessage::channelPressureChange (4, 77), "Channel pressure 77" },
        { juce::MidiMessage::controllerEvent (7, 123, 5), "All notes off" },
        { juce::MidiMessage::allSoundOff (2), "All sound off" },
        { bytes ({ 0xFF }), "Meta event" },
        { juce::MidiMessage::controllerEvent (1, 1, 64), "Controller Modulation Wheel (coarse): 64" },
        { juce::MidiMessage::controllerEvent (1, 3, 5), "Controller [3]: 5" }, // no JUCE name
        { juce::MidiMessage::midiClock(), "f8" },
        { bytes ({ 0xF2, 0x10, 0x20 }), "f2 10 20" },
        { juce::MidiMessage::createSysExMessage (roland, (int) sizeof (roland)), "f0 41 10 42 12 40 00 7f 00 41 f7" },
        // Truncated channel messages show their bytes instead of made-up values.
        { bytes ({ 0x90, 0x3C }), "90 3c" },
        { bytes ({ 0xE0, 0x01 }), "e0 01" },
        { bytes ({ 0xC0 }), "c0" },
    };

    for (const auto& [message, description] : rows)
        EXPECT_EQ (probe->describe (message), description) << allBytesOf (message);
}

TEST_F (MonitorTest, ProtocolFramesAreNamedByClassWithTheirBytesFromTheProductIdToTheChecksum)
{
    EXPECT_EQ (probe->describe (frame ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 })), "GetParmVal DeviceInfo: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 07 03 02 01 04 01 01 01 6c");
    EXPECT_EQ (probe->describe (frame ({})), "Ping: " + juce::String::repeatedString ("00 ", 17) + "00");

    // An acknowledgement's code sits in body byte 4: 20 and above have no name, and a body
    // shorter than 5 bytes has none at all. With 4 bytes the checksum, 0x13 (the code of
    // CmdFailed), is where the code would be; with 2 the place lies past the frame.
    ASSERT_EQ (frame ({ 0x40, 0x00, 0x11, 0x18 }).getRawData()[26], 0x13);
    const std::pair<std::vector<unsigned char>, const char*> frames[] {
        { { 0x40, 0x00, 0x11, 0x00, 0 }, "Ack None" },
        { { 0x40, 0x00, 0x10, 0x03, 19 }, "Ack CmdFailed" },
        { { 0x40, 0x00, 0x11, 0x00, 20 }, "Ack ???" },
        { { 0x40, 0x00, 0x11, 0x00, 25 }, "Ack ???" },
        { { 0x40, 0x00, 0x11, 0x18 }, "Ack ???" },
        { { 0x40, 0x00, 0x11 }, "Ack ???" },
        { { 0x40, 0x00 }, "Ack ???" },
        { { 0x50, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x04, 0x01 }, "NotParmVal, DeviceFeature" },
        { { 0x43, 0x08, 0x01, 0x06, 0x03, 0x01, 0x03, 0x01, 0x0C }, "RetParmVal AudioInfo" },
    };

    for (const auto& [body, head] : frames)
    {
        const auto message = frame (body);
        EXPECT_EQ (probe->describe (message), head + juce::String (": ") + hexOf (message, 5, message.getRawDataSize() - 1));
    }
}

TEST_F (MonitorTest, FramesOfAnotherSessionOrBrokenAreShownAsAllTheirBytesButOwnFramesAsProtocolFrames)
{
    setMonitor (true);
    auto& own = probe->deviceContainer().sysexMessage;
    own.sessionId = 0x0ABCDEF;
    interface.sessionId = 0x0123456;
    const auto stale = frame ({ 0x40, 0x00, 0x11, 0x00, 0x00 });

    // A wrong checksum, and a class the protocol does not have.
    interface.sessionId = own.sessionId;
    const auto good = frame ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 });
    std::vector<juce::uint8> raw (good.getRawData(), good.getRawData() + good.getRawDataSize());
    raw[raw.size() - 2] ^= 1;
    ASSERT_TRUE (probe->describe (good).startsWith ("GetParmVal DeviceInfo: "));

    for (const auto& rejected : { stale, bytes (raw), frame ({ 0x05, 0x02 }) })
        EXPECT_EQ (probe->describe (rejected), allBytesOf (rejected));

    const unsigned char body[] = { 0x03, 0x03, 0x01, 0x07, 0x01, 0x04, 0x04, 0x10, 0x11, 0x12 };
    auto request = own.CreateMessage (body, (unsigned short) sizeof (body));
    request.setTimeStamp (90061.5);
    EXPECT_EQ (lineFor (request, true), "1 - 01:01:01.500 S GetParmVal DeviceFeature: " + hexOf (request, 5, request.getRawDataSize() - 1));
}
