#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;

// The list of discovered interfaces; selecting a row moves the open ports to it.
class ZUNDeviceListBox final : public juce::ListBox,
                               private juce::ListBoxModel
{
public:
    explicit ZUNDeviceListBox (MainComponent& owner);
    ~ZUNDeviceListBox() override;

    // Makes the list its own model. The owner calls this once it is fully built, since the
    // list asks its model for the number of rows at once.
    void useItselfAsModel();

    // Forgets the selection without touching panels or ports, and re-reads the rows.
    void resetList();

    int getLastSelectedRow() const noexcept { return lastSelectedRow; }

private:
    int getNumRows() override;
    void paintListBoxItem (int rowNumber, juce::Graphics& g, int width, int height, bool rowIsSelected) override;
    void selectedRowsChanged (int lastRowSelected) override;

    MainComponent& parent;
    int lastSelectedRow = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZUNDeviceListBox)
};
