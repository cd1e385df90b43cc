#include "ZUNDeviceListBox.h"
#include "MainComponent.h"

ZUNDeviceListBox::ZUNDeviceListBox (MainComponent& owner) : juce::ListBox ("Device Selector", this), parent (owner) {}
void ZUNDeviceListBox::resetList() {}
int ZUNDeviceListBox::getNumRows() { return 0; }
void ZUNDeviceListBox::paintListBoxItem (int, juce::Graphics&, int, int, bool) {}
void ZUNDeviceListBox::selectedRowsChanged (int) {}
