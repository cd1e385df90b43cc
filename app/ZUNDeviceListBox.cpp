#include "ZUNDeviceListBox.h"
#include "MainComponent.h"

// The list box is its own model, but JUCE 7 asks a model for its rows as soon as it is set,
// and the rows live in the owner: so the owner sets the model once it is whole, and the
// model is taken away before the model base goes.
ZUNDeviceListBox::ZUNDeviceListBox (MainComponent& owner)
    : juce::ListBox ("Device Selector", nullptr)
    , parent (owner)
{
    setOutlineThickness (1);
    setMultipleSelectionEnabled (false);
    setClickingTogglesRowSelection (true);
    lastSelectedRow = -1;
}

void ZUNDeviceListBox::useItselfAsModel()
{
    setModel (this);
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
