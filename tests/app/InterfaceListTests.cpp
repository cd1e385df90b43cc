#include "AppFixture.h"

// The interface list: one row per interface found; selecting a row moves the open ports
// from the interface selected before to the new one.

class InterfaceList : public AppFixture
{
protected:
    void SetUp() override
    {
        addInterface (interfaceNamed ("Alpha", 0x1234, 0x12345678));
        addInterface (interfaceNamed ("Beta", 0x0005, 0x0000ABCD)).configure ([] (auto& c)
                                                                              { c.replyDelayMsFor[InterfaceEmulator::RequestKind::discovery] = 100.0; });
        ASSERT_TRUE (searchAndWait());
        ASSERT_EQ (numRows(), 2);
        ports.events.clear();

        selectRow (0);
        ASSERT_EQ (ports.events, opening (0));
        ASSERT_EQ (virtualPorts.getNumOpenPorts(), 2);

        // As if settings had been read and a request were under way.
        saveSettings().setVisible (true);
        probe->setSettingsLoaded (true);
        probe->setRequestState (MainComponent::readingFeatures);
        probe->awaitReply();
        ports.events.clear();
    }

    juce::String inputOf (int row) { return probe->midiInputs()[probe->discoveredInterfaces()[row]->inputIndex]->deviceInfo.identifier; }
    juce::String outputOf (int row) { return probe->midiOutputs()[probe->discoveredInterfaces()[row]->outputIndex]->deviceInfo.identifier; }
    std::vector<juce::String> opening (int row) { return { "open in " + inputOf (row), "start in " + inputOf (row), "open out " + outputOf (row) }; }
    juce::Button& saveSettings() { return ui::button (*app, "Save Settings"); }
};

TEST_F (InterfaceList, SelectingAnotherRowClosesThePreviousPortsFirstClearsThePanelsAndEndsTheWaitQuietly)
{
    const auto framesBefore = emulators[0]->receivedFrames().size() + emulators[1]->receivedFrames().size();

    selectRow (1);

    auto closingRow0ThenOpeningRow1 = opening (1);
    closingRow0ThenOpeningRow1.insert (closingRow0ThenOpeningRow1.begin(), { "stop in " + inputOf (0), "close in " + inputOf (0), "close out " + outputOf (0) });
    EXPECT_EQ (ports.events, closingRow0ThenOpeningRow1);
    EXPECT_FALSE (saveSettings().isVisible() || probe->settingsLoaded() || probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_EQ (probe->requestState(), MainComponent::readingFeatures) << "a late reply may still be handled";

    ui::pump (100);
    EXPECT_TRUE (alerts.empty());
    EXPECT_EQ (emulators[0]->receivedFrames().size() + emulators[1]->receivedFrames().size(), framesBefore) << "a selection sends nothing";
}

TEST_F (InterfaceList, ClickingTheSelectedRowOrSettingItAgainChangesNothingNorDoesTheNextClickAfterAListReset)
{
    selectRow (0);
    juce::SparseSet<int> sameRow; // the framework reports an unchanged selection when the rows are set again
    sameRow.addRange ({ 0, 1 });
    probe->deviceListBox().setSelectedRows (sameRow, juce::sendNotification);
    ui::pump (10);

    EXPECT_TRUE (ports.events.empty() && virtualPorts.isInputStarted (inputOf (0)));
    EXPECT_TRUE (saveSettings().isVisible() && probe->settingsLoaded() && probe->isTimerRunning (MainComponent::replyTimeout));

    // After a list reset the next click closes nothing.
    probe->deviceListBox().resetList();
    ui::pump (10);
    EXPECT_EQ (probe->deviceListBox().getSelectedRow(), -1);
    EXPECT_TRUE (ports.events.empty()) << "the reset closes no port";

    selectRow (1);
    EXPECT_EQ (ports.events, opening (1));
    EXPECT_TRUE (virtualPorts.isInputOpen (inputOf (0))) << "row 0 was no longer the last selected";
}

// The list asks for its rows as soon as it has a model: built on memory that held other
// values, a list that asked too early showed rows of garbage (a content 370 million pixels high).
TEST (InterfaceListStart, AFreshListHasNoRowsWhateverItsMemoryHeldBefore)
{
    VirtualMidiPortSystem ports;
    auto* memory = ::operator new (sizeof (MainComponent));
    std::memset (memory, 0x01, sizeof (MainComponent));
    auto* component = new (memory) MainComponent (ports, [] (const juce::String&, const juce::String&) {});

    auto& list = MainComponentProbe (*component).deviceListBox();
    EXPECT_TRUE (list.getViewport()->getViewedComponent()->getHeight() == 0 && list.getNumSelectedRows() == 0);

    component->~MainComponent();
    ::operator delete (memory);
}
