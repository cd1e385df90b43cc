#pragma once

#include "InterfaceEmulator.h"
#include "MainComponentProbe.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>

// Wraps the virtual ports and writes down every open, start, stop and close in order
// ("open in <id>", "close out <id>", ...), so a test can tell which port closed before which
// opened. A refused open is not written. The component uses its ports on the message thread.
class RecordingPortSystem final : public MidiPortSystem
{
public:
    explicit RecordingPortSystem (VirtualMidiPortSystem& portsToWrap)
        : ports (portsToWrap)
    {
    }

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override { return ports.getAvailableInputs(); }
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override { return ports.getAvailableOutputs(); }
    std::unique_ptr<MidiInputPort> openInput (const juce::String& identifier, MidiInputPortCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) override;

    std::vector<juce::String> events;

private:
    VirtualMidiPortSystem& ports;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RecordingPortSystem)
};

//==============================================================================
// One MainComponent on virtual ports, with interface emulators and the alerts it showed.
// Ports are added before "Search" is clicked, as a user plugs in interfaces before searching.
class AppFixture : public ::testing::Test
{
public:
    struct Alert
    {
        juce::String title, message;
        double timeMs = 0.0; // juce::Time::getMillisecondCounterHiRes
    };

    struct PortPair
    {
        juce::String input, output;
    };

    // What an emulator received, by kind, as "getSettingsAI getSettingsDI ...".
    static juce::String kindsReceived (const InterfaceEmulator& emulator);
    // A frame's body as upper-case hex bytes, "" for no frame.
    static juce::String bodyOf (const std::optional<InterfaceEmulator::ReceivedFrame>& frame);

    static InterfaceEmulator::Config interfaceNamed (const std::string& name, juce::uint16 productId, juce::uint32 serialNumber);

protected:
    AppFixture();
    ~AppFixture() override;

    PortPair addPortPair() { return { virtualPorts.addInput ("Port"), virtualPorts.addOutput ("Port") }; }
    InterfaceEmulator& addInterface (InterfaceEmulator::Config config = {}) { return addInterfaceOn ({ addPortPair() }, std::move (config)); }
    InterfaceEmulator& addInterfaceOn (const std::vector<PortPair>& pairs, InterfaceEmulator::Config config = {});

    void clickSearch() { ui::click (*app, "Search"); } // discovery goes on
    bool waitUntilIdle (int timeoutMs = 20000); // idle with no discovery window running
    bool searchAndWait();
    bool readSettings(); // "Get Settings" on the selected row, until the read has ended
    bool connect (int row = 0) { return searchAndWait() && numRows() > row && (selectRow (row), readSettings()); }
    bool waitForAlert();
    void selectRow (int row); // as a click would
    void showMidiMessages() { probe->showMidiMessagesToggle().setToggleState (true, juce::sendNotificationSync); }

    int numRows() { return probe->deviceListBox().getModel()->getNumRows(); }
    juce::String rowText (int row);
    int countLogLinesContaining (const juce::String& text);
    MidiInputPort* openInputAt (int index); // the open port of an input entry, or nullptr

    VirtualMidiPortSystem virtualPorts;
    RecordingPortSystem ports { virtualPorts };
    std::vector<std::unique_ptr<InterfaceEmulator>> emulators;
    std::vector<Alert> alerts; // written on the message thread only
    std::unique_ptr<MainComponent> app;
    std::unique_ptr<MainComponentProbe> probe;
};
