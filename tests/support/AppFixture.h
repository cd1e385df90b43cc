#pragma once

#include "InterfaceEmulator.h"
#include "MainComponentProbe.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>
#include <mutex>

// Sits between the component and the virtual ports and writes down every open, start, stop
// and close in the order they happen, so a test can tell which port closed before which
// opened. The ports it hands out report themselves as the source, as every port must.
class RecordingPortSystem final : public MidiPortSystem
{
public:
    explicit RecordingPortSystem (VirtualMidiPortSystem& portsToWrap)
        : ports (portsToWrap)
    {
    }

    // Events read "open in <id>", "start in <id>", "stop in <id>", "close in <id>",
    // "open out <id>", "close out <id>"; a refused open is not written.
    std::vector<juce::String> events() const;
    void clearEvents();

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override { return ports.getAvailableInputs(); }
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override { return ports.getAvailableOutputs(); }
    std::unique_ptr<MidiInputPort> openInput (const juce::String& identifier, MidiInputPortCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (const juce::String& identifier) override;

    void record (const juce::String& event);

private:
    VirtualMidiPortSystem& ports;
    mutable std::mutex lock;
    std::vector<juce::String> log;

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
        double timeMs = 0.0; // on the clock of juce::Time::getMillisecondCounterHiRes
    };

    struct PortPair
    {
        juce::String input, output;
    };

    // Hand-built frames and bodies for what an emulator does not send by itself.
    static juce::MidiMessage makeFrame (const std::vector<juce::uint8>& body,
                                        juce::uint16 productId,
                                        juce::uint32 serialNumber,
                                        juce::uint32 sessionId,
                                        juce::uint32 sequenceNumber);

    // The RetParmVal DeviceInfo reply holding a product name.
    static std::vector<juce::uint8> productNameBody (const std::string& name);

protected:
    AppFixture();
    ~AppFixture() override;

    //==============================================================================
    // A new input and output, listed after those already there.
    PortPair addPortPair (const juce::String& name);

    // An interface on a new port pair of its own.
    InterfaceEmulator& addInterface (InterfaceEmulator::Config config = {});

    // An interface that answers on the given pairs.
    InterfaceEmulator& addInterfaceOn (const std::vector<PortPair>& pairs, InterfaceEmulator::Config config = {});

    //==============================================================================
    // Clicks "Search" and lets the message loop handle the click; discovery goes on.
    void clickSearch();

    // Clicks "Search" and waits until discovery is over (idle, no window running); false
    // when it was not over within the time.
    bool searchAndWait (int timeoutMs = 6000);

    // Selects a row of the interface list as a click would, then lets the loop run.
    void selectRow (int row);

    void showMidiMessages (bool shouldShow = true);

    //==============================================================================
    int numRows();
    juce::String rowText (int row);
    std::vector<juce::String> logLines();
    int countLogLinesContaining (const juce::String& text);

    // The open port of an entry, or nullptr.
    MidiInputPort* openInputAt (int index);

    //==============================================================================
    VirtualMidiPortSystem virtualPorts;
    RecordingPortSystem ports { virtualPorts };
    std::vector<std::unique_ptr<InterfaceEmulator>> emulators;

    std::vector<Alert> alerts; // written on the message thread only

    std::unique_ptr<MainComponent> app;
    std::unique_ptr<MainComponentProbe> probe;

private:
    int nextPortNumber = 1;
};
