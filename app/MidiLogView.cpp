#include "MidiLogView.h"

MidiLogView::MidiLogView() {}
MidiLogView::~MidiLogView() = default;
void MidiLogView::appendLine (const juce::String& line) { lines.push_back (line); }
void MidiLogView::clear() { lines.clear(); }
const juce::String& MidiLogView::getLine (int index) const { return lines[(size_t) index]; }
juce::String MidiLogView::getText() const { return {}; }
void MidiLogView::setFont (const juce::Font& newFont) { font = newFont; }
void MidiLogView::resized() {}
int MidiLogView::getNumRows() { return 0; }
void MidiLogView::paintListBoxItem (int, juce::Graphics&, int, int, bool) {}
