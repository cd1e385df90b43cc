#include "CodeTables.h"
#include "MainComponentProbe.h"
#include "SysexMessage.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"
#include <gtest/gtest.h>

// The MIDI monitor as the user sees it: one line per message while "Show MIDI Messages"
// is on, with a running number, the clock reading, S or R and a readable description.

namespace
{
// Builds frames the way an interface (or this program) would, with its own numbers.
struct FrameMaker
{
    zun::SysexMessage builder;

    juce::MidiMessage make (std::initializer_list<unsigned char> body, double timeStamp = 0.0)
    {
        std::vector<unsigned char> bytes (body);
        auto message = builder.CreateMessage (bytes.empty() ? nullptr : bytes.data(), (unsigned short) bytes.size());
        message.setTimeStamp (timeStamp);
        return message;
    }
};

juce::String hexOf (const juce::MidiMessage& message, int from, int to)
{
    return juce::String::toHexString (message.getRawData() + from, to - from);
}

juce::String allBytesOf (const juce::MidiMessage& message)
{
    return hexOf (message, 0, message.getRawDataSize());
}

juce::MidiMessage bytes (std::initializer_list<juce::uint8> data, double timeStamp = 0.0)
{
    std::vector<juce::uint8> raw (data);
    return juce::MidiMessage (raw.data(), (int) raw.size(), timeStamp);
}

juce::MidiMessage at (juce::MidiMessage message, double timeStamp)
{
    message.setTimeStamp (timeStamp);
    return message;
}
} // namespace

class MonitorTest : public ::testing::Test
{
protected:
    VirtualMidiPortSystem ports;
    juce::StringArray alerts;
    MainComponent component { ports, [this] (const juce::String& title, const juce::String& message)
                              { alerts.add (title + ": " + message); } };
    MainComponentProbe probe { component };
    FrameMaker interface;

    void setMonitor (bool shouldShow)
    {
        if (probe.showMidiMessagesToggle().getToggleState() != shouldShow)
            ui::click (component, "Show MIDI Messages");

        ASSERT_EQ (probe.showMidiMessagesToggle().getToggleState(), shouldShow);
    }

    MidiLogView& log() { return probe.midiLog(); }
    juce::String lastLine() { return log().getLine (log().getNumLines() - 1); }

    juce::String lineFor (const juce::MidiMessage& message, bool isOutgoing = false)
    {
        probe.addMessageToList (message, isOutgoing);
        return lastLine();
    }

    void TearDown() override
    {
        EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("; ");
    }
};

//==============================================================================
TEST_F (MonitorTest, StartsOffEmptyAndNumberedFromOneInTwelvePointText)
{
    EXPECT_FALSE (probe.showMidiMessagesToggle().getToggleState());
    EXPECT_EQ (log().getNumLines(), 0);
    EXPECT_EQ (log().getText(), "");
    EXPECT_EQ (probe.logLineCounter(), 1);
    EXPECT_FLOAT_EQ (log().getFont().getHeight(), 12.0f);
}

TEST_F (MonitorTest, TimeStampsReadAsTheClockWrappedAtTwentyFourHours)
{
    setMonitor (true);
    const auto note = juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100);

    EXPECT_EQ (lineFor (at (note, 5.25)), "1 - 00:00:05.250 R Note on C3");
    EXPECT_EQ (lineFor (at (note, 3661.5)), "2 - 01:01:01.500 R Note on C3");
    EXPECT_EQ (lineFor (at (note, 90061.5)), "3 - 01:01:01.500 R Note on C3");
    // The milliseconds stay within 0 to 999 however large the clock reading.
    EXPECT_EQ (lineFor (at (note, 2500000.5)), "4 - 22:26:40.500 R Note on C3");
    EXPECT_EQ (lineFor (at (note, 0.0)), "5 - 00:00:00.000 R Note on C3");
    EXPECT_EQ (lineFor (at (note, 86399.999)), "6 - 23:59:59.999 R Note on C3");
    // Readings no clock gives stay inside the fields instead of printing garbage.
    EXPECT_EQ (lineFor (at (note, -1.5)), "7 - 00:00:00.000 R Note on C3");
    EXPECT_EQ (lineFor (at (note, 1.0e300)), "8 - 00:00:00.000 R Note on C3");
}

TEST_F (MonitorTest, ALineReadsNumberTimeDirectionAndDescription)
{
    setMonitor (true);
    for (int i = 1; i <= 11; ++i)
        probe.addMessageToList (juce::MidiMessage::midiClock(), false);

    const auto ack = interface.make ({ 0x40, 0x00, 0x11, 0x00, 0x00 }, 3661.5);
    EXPECT_EQ (lineFor (ack, false),
               "12 - 01:01:01.500 R Ack None: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05 40 00 11 00 00 2a");

    const auto request = interface.make ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 }, 5.25);
    EXPECT_TRUE (lineFor (request, true).startsWith ("13 - 00:00:05.250 S GetParmVal DeviceInfo: "));

    // The text of the log ends every line as a text editor would hold it.
    EXPECT_TRUE (log().getText().endsWith ("R Ack None: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05 40 00 11 00 00 2a\r\n"
                                           "13 - 00:00:05.250 S GetParmVal DeviceInfo: 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                                           "00 01 00 07 03 02 01 04 01 01 01 6b\r\n"));
    EXPECT_EQ (log().getNumLines(), 13);
}

TEST_F (MonitorTest, NothingIsWrittenWhileTheMonitorIsOffAndNumberingCarriesOn)
{
    const auto clock = juce::MidiMessage::midiClock();

    // Off from the start: no line and no number used up.
    probe.addMessageToList (clock, true);
    probe.addMessageToList (clock, false);
    EXPECT_EQ (log().getNumLines(), 0);
    EXPECT_EQ (probe.logLineCounter(), 1);

    setMonitor (true);
    EXPECT_EQ (lineFor (clock), "1 - 00:00:00.000 R f8");
    EXPECT_EQ (lineFor (clock, true), "2 - 00:00:00.000 S f8");

    setMonitor (false);
    for (int i = 0; i < 5; ++i)
        probe.addMessageToList (interface.make ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 }), true);
    EXPECT_EQ (log().getNumLines(), 2);
    EXPECT_EQ (probe.logLineCounter(), 3);

    // Switched on again, nothing of the past shows and the numbers go on.
    setMonitor (true);
    EXPECT_EQ (lineFor (clock), "3 - 00:00:00.000 R f8");
    EXPECT_EQ (log().getNumLines(), 3);
}

TEST_F (MonitorTest, ClearLogEmptiesTheLogAndRestartsNumberingAtOne)
{
    setMonitor (true);
    const auto clock = juce::MidiMessage::midiClock();
    for (int i = 0; i < 4; ++i)
        probe.addMessageToList (clock, false);
    ASSERT_EQ (log().getNumLines(), 4);

    ui::click (component, "Clear Log");

    EXPECT_EQ (log().getNumLines(), 0);
    EXPECT_EQ (log().getText(), "");
    EXPECT_EQ (probe.logLineCounter(), 1);
    EXPECT_TRUE (probe.showMidiMessagesToggle().getToggleState()) << "the toggle keeps its state";

    EXPECT_EQ (lineFor (clock), "1 - 00:00:00.000 R f8");
    EXPECT_EQ (log().getNumLines(), 1);

    // Clearing while the monitor is off also restarts the numbering.
    setMonitor (false);
    ui::click (component, "Clear Log");
    setMonitor (true);
    EXPECT_EQ (lineFor (clock), "1 - 00:00:00.000 R f8");
}

//==============================================================================
TEST_F (MonitorTest, NoteMessagesAreNamedWithMiddleCInOctaveThree)
{
    EXPECT_EQ (probe.describe (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)), "Note on C3");
    EXPECT_EQ (probe.describe (juce::MidiMessage::noteOn (16, 61, (juce::uint8) 1)), "Note on C#3");
    EXPECT_EQ (probe.describe (juce::MidiMessage::noteOn (1, 0, (juce::uint8) 127)), "Note on C-2");
    EXPECT_EQ (probe.describe (juce::MidiMessage::noteOn (1, 127, (juce::uint8) 127)), "Note on G8");
    EXPECT_EQ (probe.describe (juce::MidiMessage::noteOff (3, 62, (juce::uint8) 64)), "Note off D3");
    // A note-on with velocity 0 is a note-off.
    EXPECT_EQ (probe.describe (bytes ({ 0x95, 64, 0 })), "Note off E3");
}

TEST_F (MonitorTest, ChannelMessagesAreDescribedByKindWithoutTheChannel)
{
    EXPECT_EQ (probe.describe (juce::MidiMessage::programChange (1, 42)), "Program change 42");
    EXPECT_EQ (probe.describe (juce::MidiMessage::programChange (9, 0)), "Program change 0");
    EXPECT_EQ (probe.describe (juce::MidiMessage::pitchWheel (1, 0)), "Pitch wheel 0");
    EXPECT_EQ (probe.describe (juce::MidiMessage::pitchWheel (2, 8192)), "Pitch wheel 8192");
    EXPECT_EQ (probe.describe (juce::MidiMessage::pitchWheel (3, 16383)), "Pitch wheel 16383");
    EXPECT_EQ (probe.describe (bytes ({ 0xE0, 0x7F, 0x00 })), "Pitch wheel 127");
    EXPECT_EQ (probe.describe (juce::MidiMessage::aftertouchChange (1, 60, 33)), "After touch C3: 33");
    EXPECT_EQ (probe.describe (juce::MidiMessage::channelPressureChange (4, 77)), "Channel pressure 77");
}

TEST_F (MonitorTest, ControllersAreNamedOrNumbered)
{
    EXPECT_EQ (probe.describe (juce::MidiMessage::allNotesOff (1)), "All notes off");
    EXPECT_EQ (probe.describe (juce::MidiMessage::controllerEvent (7, 123, 5)), "All notes off");
    EXPECT_EQ (probe.describe (juce::MidiMessage::allSoundOff (2)), "All sound off");
    EXPECT_EQ (probe.describe (juce::MidiMessage::controllerEvent (1, 1, 64)), "Controller Modulation Wheel (coarse): 64");
    EXPECT_EQ (probe.describe (juce::MidiMessage::controllerEvent (1, 7, 100)), "Controller Volume (coarse): 100");
    // No framework name: the number in brackets.
    EXPECT_EQ (probe.describe (juce::MidiMessage::controllerEvent (1, 3, 5)), "Controller [3]: 5");
    EXPECT_EQ (probe.describe (juce::MidiMessage::controllerEvent (16, 127, 0)), "Controller Poly Operation: 0");
}

TEST_F (MonitorTest, SystemMessagesAndForeignSysExAreShownAsBytes)
{
    EXPECT_EQ (probe.describe (juce::MidiMessage::midiClock()), "f8");
    EXPECT_EQ (probe.describe (bytes ({ 0xFF })), "Meta event");
    EXPECT_EQ (probe.describe (juce::MidiMessage::textMetaEvent (1, "x")), "Meta event");
    EXPECT_EQ (probe.describe (juce::MidiMessage::midiStart()), "fa");
    EXPECT_EQ (probe.describe (bytes ({ 0xF2, 0x10, 0x20 })), "f2 10 20");

    const juce::uint8 roland[] = { 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41 };
    EXPECT_EQ (probe.describe (juce::MidiMessage::createSysExMessage (roland, (int) sizeof (roland))),
               "f0 41 10 42 12 40 00 7f 00 41 f7");
}

TEST_F (MonitorTest, TruncatedChannelMessagesShowTheirBytesInsteadOfMadeUpValues)
{
    EXPECT_EQ (probe.describe (bytes ({ 0x90, 0x3C })), "90 3c");
    EXPECT_EQ (probe.describe (bytes ({ 0xE0, 0x01 })), "e0 01");
    EXPECT_EQ (probe.describe (bytes ({ 0xA0, 0x3C })), "a0 3c");
    EXPECT_EQ (probe.describe (bytes ({ 0xB0, 0x07 })), "b0 07");
    EXPECT_EQ (probe.describe (bytes ({ 0xC0 })), "c0");
}

//==============================================================================
TEST_F (MonitorTest, ProtocolFramesAreNamedByClassWithTheirBytesAfterTheHeader)
{
    // All ids and the sequence number 0.
    EXPECT_EQ (probe.describe (interface.make ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 })),
               "GetParmVal DeviceInfo: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 07 03 02 01 04 01 01 01 6c");

    const auto ping = interface.make ({});
    ASSERT_EQ (ping.getRawDataSize(), 24);
    EXPECT_EQ (probe.describe (ping), "Ping: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 7f");

    const auto notification = interface.make ({ 0x50, 0x03, 0x01, 0x06, 0x03, 0x01, 0x03, 0x04, 0x01 });
    EXPECT_EQ (probe.describe (notification), "NotParmVal, DeviceFeature: " + hexOf (notification, 5, notification.getRawDataSize() - 1));

    const auto reply = interface.make ({ 0x43, 0x08, 0x01, 0x06, 0x03, 0x01, 0x03, 0x01, 0x0C });
    EXPECT_TRUE (probe.describe (reply).startsWith ("RetParmVal AudioInfo: "));

    const auto firmware = interface.make ({ 0x7F, 0x7F });
    EXPECT_TRUE (probe.describe (firmware).startsWith ("Private FirmwareUpdate: "));
}

TEST_F (MonitorTest, AcknowledgementsShowTheirErrorName)
{
    const auto accepted = interface.make ({ 0x40, 0x00, 0x11, 0x00, 0x00 });
    EXPECT_EQ (probe.describe (accepted), "Ack None: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05 40 00 11 00 00 2a");

    const auto failed = interface.make ({ 0x40, 0x00, 0x10, 0x03, 19 });
    EXPECT_EQ (probe.describe (failed), "Ack CmdFailed: " + hexOf (failed, 5, failed.getRawDataSize() - 1));

    const auto malformed = interface.make ({ 0x40, 0x00, 0x10, 0x03, 1 });
    EXPECT_TRUE (probe.describe (malformed).startsWith ("Ack MalformedMessage: "));

    const auto unknown = interface.make ({ 0x40, 0x00, 0x11, 0x00, 25 });
    EXPECT_EQ (probe.describe (unknown), "Ack ???: " + hexOf (unknown, 5, unknown.getRawDataSize() - 1));

    const auto firstUnknown = interface.make ({ 0x40, 0x00, 0x11, 0x00, 20 });
    EXPECT_TRUE (probe.describe (firstUnknown).startsWith ("Ack ???: "));
}

TEST_F (MonitorTest, AShortAcknowledgementHasNoErrorCodeToShow)
{
    // Body 40 00 11 18: the checksum, where a fifth body byte would be, is 0x13, the
    // code of CmdFailed; it must not be read as an error code.
    const auto fourBytes = interface.make ({ 0x40, 0x00, 0x11, 0x18 });
    ASSERT_EQ (fourBytes.getRawData()[26], 0x13);
    EXPECT_EQ (probe.describe (fourBytes), "Ack ???: " + hexOf (fourBytes, 5, 27));

    // Three bytes: frame byte 26 is the closing 0xF7; two bytes: it lies past the frame.
    const auto threeBytes = interface.make ({ 0x40, 0x00, 0x11 });
    EXPECT_EQ (probe.describe (threeBytes), "Ack ???: " + hexOf (threeBytes, 5, 26));

    const auto twoBytes = interface.make ({ 0x40, 0x00 });
    ASSERT_EQ (twoBytes.getRawDataSize(), 26);
    EXPECT_EQ (probe.describe (twoBytes), "Ack ???: " + hexOf (twoBytes, 5, 25));
}

TEST_F (MonitorTest, FramesTheGateRejectsAreShownAsAllTheirBytes)
{
    auto& session = probe.deviceContainer().sysexMessage;
    session.sessionId = 0x0ABCDEF;

    // A reply of another session.
    interface.builder.sessionId = 0x0123456;
    const auto stale = interface.make ({ 0x40, 0x00, 0x11, 0x00, 0x00 });
    const auto description = probe.describe (stale);
    EXPECT_EQ (description, allBytesOf (stale));
    EXPECT_TRUE (description.startsWith ("f0 00 2e 5a 7d 00 00 00 00 00 00 00 00 48 68 56"));
    EXPECT_TRUE (description.endsWith (" f7"));

    // The same frame in the current session is a protocol frame again.
    interface.builder.sessionId = session.sessionId;
    EXPECT_TRUE (probe.describe (interface.make ({ 0x40, 0x00, 0x11, 0x00, 0x00 })).startsWith ("Ack None: "));

    // A wrong checksum, and a class the protocol does not have.
    const auto request = interface.make ({ 0x03, 0x02, 0x01, 0x04, 0x01, 0x01, 0x01 });
    std::vector<juce::uint8> raw (request.getRawData(), request.getRawData() + request.getRawDataSize());
    raw[raw.size() - 2] = (juce::uint8) ((raw[raw.size() - 2] + 1) & 0x7F);
    const juce::MidiMessage broken (raw.data(), (int) raw.size());
    EXPECT_EQ (probe.describe (broken), allBytesOf (broken));

    const auto unknownClass = interface.make ({ 0x05, 0x02 });
    EXPECT_EQ (probe.describe (unknownClass), allBytesOf (unknownClass));
}

TEST_F (MonitorTest, FramesThisProgramBuildsAreDescribedAsProtocolFrames)
{
    setMonitor (true);
    auto& builder = probe.deviceContainer().sysexMessage;
    builder.sessionId = 0x0ABCDEF;

    const unsigned char body[] = { 0x03, 0x03, 0x01, 0x07, 0x01, 0x04, 0x04, 0x10, 0x11, 0x12 };
    auto request = builder.CreateMessage (body, (unsigned short) sizeof (body));
    request.setTimeStamp (90061.5);

    EXPECT_EQ (lineFor (request, true), "1 - 01:01:01.500 S GetParmVal DeviceFeature: " + hexOf (request, 5, request.getRawDataSize() - 1));
}

TEST_F (MonitorTest, TheLogFollowsTheNewestLineAndANewLineDropsTheUsersSelection)
{
    setMonitor (true);
    for (int i = 0; i < 60; ++i)
        probe.addMessageToList (juce::MidiMessage::midiClock(), false);

    auto* list = dynamic_cast<juce::ListBox*> (log().getChildComponent (0));
    ASSERT_NE (list, nullptr);
    ASSERT_GT (log().getHeight(), list->getRowHeight()) << "the layout gives the log room for several lines";

    // The user scrolls back and selects two lines with a click and a shift-click.
    list->getViewport()->setViewPosition (0, 0);
    list->selectRowsBasedOnModifierKeys (3, {}, false);
    list->selectRowsBasedOnModifierKeys (4, juce::ModifierKeys::shiftModifier, false);
    EXPECT_EQ (log().getSelectedText(), "4 - 00:00:00.000 R f8\r\n5 - 00:00:00.000 R f8\r\n");

    probe.addMessageToList (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 1), false);

    EXPECT_EQ (list->getNumSelectedRows(), 0);
    EXPECT_EQ (lastLine(), "61 - 00:00:00.000 R Note on C3");
    auto& viewport = *list->getViewport();
    EXPECT_EQ (viewport.getViewPositionY() + viewport.getViewHeight(), 61 * list->getRowHeight())
        << "the newest line is in view at the bottom";
}
