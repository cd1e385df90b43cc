#include "AppFixture.h"

// The interface list: one row per interface found; selecting a row moves the open ports
// from the interface selected before to the new one.

class InterfaceList : public AppFixture
{
protected:
    void SetUp() override
    {
        InterfaceEmulator::Config alphaConfig;
        alphaConfig.productName = "Alpha";
        alphaConfig.productId = 0x1234;
        alphaConfig.serialNumber = 0x12345678;
        alpha = &addInterface (alphaConfig);

        InterfaceEmulator::Config betaConfig;
        betaConfig.productName = "Beta";
        betaConfig.productId = 0x0005;
        betaConfig.serialNumber = 0x0000ABCD;
        betaConfig.replyDelayMsFor[InterfaceEmulator::RequestKind::discovery] = 100.0;
        beta = &addInterface (betaConfig);

        ASSERT_TRUE (searchAndWait());
        ASSERT_EQ (numRows(), 2);
        ASSERT_EQ (rowText (0), "Alpha SN: 12345678");
        ASSERT_EQ (rowText (1), "Beta SN: 0000ABCD");
        ports.clearEvents();
    }

    juce::String inputOf (int row) { return probe->midiInputs()[probe->discoveredInterfaces()[row]->inputIndex]->deviceInfo.identifier; }
    juce::String outputOf (int row) { return probe->midiOutputs()[probe->discoveredInterfaces()[row]->outputIndex]->deviceInfo.identifier; }

    std::vector<juce::String> opening (int row) { return { "open in " + inputOf (row), "start in " + inputOf (row), "open out " + outputOf (row) }; }
    std::vector<juce::String> closing (int row) { return { "stop in " + inputOf (row), "close in " + inputOf (row), "close out " + outputOf (row) }; }

    static std::vector<juce::String> concat (std::vector<juce::String> a, const std::vector<juce::String>& b)
    {
        a.insert (a.end(), b.begin(), b.end());
        return a;
    }

    juce::Button& saveSettings() { return ui::button (*app, "Save Settings"); }

    int framesReceivedByInterfaces() { return (int) (alpha->receivedFrames().size() + beta->receivedFrames().size()); }

    InterfaceEmulator* alpha = nullptr;
    InterfaceEmulator* beta = nullptr;
};

//==============================================================================
TEST_F (InterfaceList, SelectingARowOpensThatInterfacesInputAndOutput)
{
    selectRow (0);

    EXPECT_EQ (ports.events(), opening (0));
    EXPECT_TRUE (virtualPorts.isInputStarted (inputOf (0)));
    EXPECT_TRUE (virtualPorts.isOutputOpen (outputOf (0)));
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 2);
    EXPECT_EQ (probe->deviceListBox().getLastSelectedRow(), 0);
}

TEST_F (InterfaceList, SelectingAnotherRowClosesThePreviousPortsFirstClearsThePanelsAndEndsTheWaitQuietly)
{
    selectRow (0);
    const auto framesBefore = framesReceivedByInterfaces();

    // As if settings had been read and a request were under way.
    saveSettings().setVisible (true);
    probe->setSettingsLoaded (true);
    probe->setRequestState (MainComponent::readingFeatures);
    probe->awaitReply();
    ports.clearEvents();

    selectRow (1);

    EXPECT_EQ (ports.events(), concat (closing (0), opening (1)));
    EXPECT_FALSE (saveSettings().isVisible());
    EXPECT_FALSE (probe->settingsLoaded());
    EXPECT_FALSE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_EQ (probe->requestState(), MainComponent::readingFeatures) << "a late reply may still be handled";
    EXPECT_EQ (probe->deviceListBox().getLastSelectedRow(), 1);

    ui::pump (100);
    EXPECT_TRUE (alerts.empty());
    EXPECT_EQ (framesReceivedByInterfaces(), framesBefore) << "a selection sends nothing";
}

TEST_F (InterfaceList, ClickingTheSelectedRowChangesNothing)
{
    selectRow (0);
    saveSettings().setVisible (true);
    probe->awaitReply();
    ports.clearEvents();

    selectRow (0);

    // The framework also reports an unchanged selection when the rows are set again.
    juce::SparseSet<int> sameRow;
    sameRow.addRange ({ 0, 1 });
    probe->deviceListBox().setSelectedRows (sameRow, juce::sendNotification);
    ui::pump (10);

    EXPECT_TRUE (ports.events().empty());
    EXPECT_TRUE (saveSettings().isVisible());
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_TRUE (virtualPorts.isInputStarted (inputOf (0)));
}

TEST_F (InterfaceList, DeselectingClosesThePreviousInterfaceAndOpensNothing)
{
    selectRow (0);
    saveSettings().setVisible (true);
    probe->awaitReply();
    ports.clearEvents();

    probe->deviceListBox().deselectRow (0);
    ui::pump (10);

    EXPECT_EQ (ports.events(), closing (0));
    EXPECT_FALSE (saveSettings().isVisible());
    EXPECT_FALSE (probe->isTimerRunning (MainComponent::replyTimeout));
    EXPECT_EQ (probe->deviceListBox().getLastSelectedRow(), -1);
    EXPECT_EQ (virtualPorts.getNumOpenPorts(), 0);
}

TEST_F (InterfaceList, AfterAListResetTheNextClickClosesNothing)
{
    selectRow (0);
    saveSettings().setVisible (true);
    ports.clearEvents();

    probe->deviceListBox().resetList();
    ui::pump (10);

    EXPECT_EQ (probe->deviceListBox().getSelectedRow(), -1);
    EXPECT_EQ (probe->deviceListBox().getLastSelectedRow(), -1);
    EXPECT_TRUE (ports.events().empty()) << "the reset closes no port";
    EXPECT_TRUE (saveSettings().isVisible()) << "the reset clears no panel";

    selectRow (1);

    EXPECT_EQ (ports.events(), opening (1));
    EXPECT_TRUE (virtualPorts.isInputOpen (inputOf (0))) << "row 0 was no longer the last selected";
}

TEST_F (InterfaceList, ASelectedRowIsFilledHalfwayToTheBackgroundAndTheTextStartsFivePixelsIn)
{
    selectRow (0);

    auto& list = probe->deviceListBox();
    ASSERT_EQ (list.getBounds(), juce::Rectangle<int> (10, 46, 240, 132));

    const auto image = list.createComponentSnapshot (list.getLocalBounds());
    const auto& laf = list.getLookAndFeel();
    const auto text = laf.findColour (juce::ListBox::textColourId);
    const auto background = list.findColour (juce::ListBox::backgroundColourId);
    const auto selectedFill = text.interpolatedWith (laf.findColour (juce::ListBox::backgroundColourId), 0.5f);

    const int rowHeight = list.getRowHeight();
    const int rowTop = 1; // inside the one-pixel outline
    const int right = list.getWidth() - 4;

    auto near = [] (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getRed() - b.getRed()) <= 2 && std::abs (a.getGreen() - b.getGreen()) <= 2
               && std::abs (a.getBlue() - b.getBlue()) <= 2;
    };

    auto rowHasInk = [&] (int row, int fromX, int toX, juce::Colour rowBackground)
    {
        for (int y = rowTop + row * rowHeight; y < rowTop + (row + 1) * rowHeight; ++y)
            for (int x = fromX; x < toX; ++x)
                if (! near (image.getPixelAt (x, y), rowBackground))
                    return true;
        return false;
    };

    const int middleOfRow1 = rowTop + rowHeight + rowHeight / 2;
    EXPECT_TRUE (near (image.getPixelAt (right, rowTop + rowHeight / 2), selectedFill));
    EXPECT_TRUE (near (image.getPixelAt (right, middleOfRow1), background)) << "rows that are not selected get no fill";

    EXPECT_TRUE (rowHasInk (1, 6, 80, background)) << "the label is drawn";
    EXPECT_FALSE (rowHasInk (1, 1, 5, background)) << "nothing left of the text area";
}
