#include "ZUNDeviceListBox.h"
#include "MainComponent.h"

// The list box is its own model, but JUCE 7 reads a model's shared state while the list is
// built, before the model base exists: so the model is set once the object is whole, and
// taken away before the model base goes.
ZUNDeviceListBox::ZUNDeviceListBox (MainComponent& owner)
    : juce::ListBox ("Device Selector", nullptr)
    , parent (owner)
{
    setModel (this);
    setOutlineThickness (1);
    setMultipleSelectionEnabled (false);
    setClickingTogglesRowSelection (true);
    lastSelectedRow = -1;
}

ZUNDeviceListBox::~ZUNDeviceListBox()
{
    setModel (nullptr);
}

// lastSelectedRow goes first, so the selection change that deselectAllRows causes finds
// nothing new and leaves the panels and the ports alone.
void ZUNDeviceListBox::resetList()
{
    lastSelectedRow = -1;
    deselectAllRows();
    updateContent();
    repaint();
}

int ZUNDeviceListBox::getNumRows()
{
    return parent.getDiscoveredInterfaces().size();
}

void ZUNDeviceListBox::paintListBoxItem (int rowNumber, juce::Graphics& g, int width, int height, bool rowIsSelected)
{
    auto& laf = getLookAndFeel();
    const auto textColour = laf.findColour (juce::ListBox::textColourId);

    if (rowIsSelected)
        g.fillAll (textColour.interpolatedWith (laf.findColour (juce::ListBox::backgroundColourId), 0.5f));

    g.setColour (textColour);
    g.setFont ((float) height * 0.7f);

    if (const auto* item = parent.getDiscoveredInterfaces()[rowNumber])
        g.drawText (item->label, 5, 0, width, height, juce::Justification::centredLeft, true);
}

// Moves the open ports to the newly selected interface. Nothing is sent, and requestState
// stays as it is, so a late reply that still fits the present state is handled.
void ZUNDeviceListBox::selectedRowsChanged (int)
{
    const auto newRow = getSelectedRow (0);

    if (newRow == lastSelectedRow)
        return;

    parent.clrGUI();
    parent.stopReplyWait();

    if (lastSelectedRow >= 0)
        parent.closeDevice (lastSelectedRow);

    if (const auto* item = parent.getDiscoveredInterfaces()[newRow])
    {
        parent.openDevice (true, item->inputIndex);
        parent.openDevice (false, item->outputIndex);
    }

    lastSelectedRow = newRow;
}
