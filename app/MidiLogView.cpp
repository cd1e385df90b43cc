#include "MidiLogView.h"

namespace
{
const juce::String lineEnd { "\r\n" };

int rowHeightFor (const juce::Font& font)
{
    return juce::jmax (1, juce::roundToInt (std::ceil (font.getHeight())) + 2);
}
} // namespace

MidiLogView::MidiLogView()
    : copyToClipboard ([] (const juce::String& text)
                       { juce::SystemClipboard::copyTextToClipboard (text); })
    , listBox ({}, this)
{
    listBox.setMultipleSelectionEnabled (true);
    listBox.setRowHeight (rowHeightFor (font));
    listBox.setOutlineThickness (1);
    listBox.getViewport()->setScrollBarsShown (true, true);
    updateColours();
    addAndMakeVisible (listBox);
}

MidiLogView::~MidiLogView()
{
    listBox.setModel (nullptr);
}

//==============================================================================
void MidiLogView::appendLine (const juce::String& line)
{
    lines.push_back (line);

    const auto width = widthOf (line);
    if (width > widestLine)
    {
        widestLine = width;
        listBox.setMinimumContentWidth (widestLine);
    }

    // A new line ends any selection, as typing at the end of a text would.
    listBox.deselectAllRows();
    listBox.updateContent();
    showNewestLine();
}

void MidiLogView::clear()
{
    listBox.deselectAllRows();
    std::vector<juce::String>().swap (lines);
    widestLine = 0;
    listBox.setMinimumContentWidth (0);
    listBox.updateContent();
    listBox.getViewport()->setViewPosition (0, 0);
}

const juce::String& MidiLogView::getLine (int index) const
{
    static const juce::String none;
    return juce::isPositiveAndBelow (index, getNumLines()) ? lines[(size_t) index] : none;
}

juce::String MidiLogView::getText() const
{
    juce::MemoryOutputStream text;
    for (const auto& line : lines)
        text << line << lineEnd;

    return text.toUTF8();
}

juce::String MidiLogView::getSelectedText() const
{
    const auto selected = listBox.getSelectedRows();
    juce::MemoryOutputStream text;

    for (int i = 0; i < selected.getNumRanges(); ++i)
    {
        const auto range = selected.getRange (i).getIntersectionWith ({ 0, getNumLines() });
        for (auto row = range.getStart(); row < range.getEnd(); ++row)
            text << lines[(size_t) row] << lineEnd;
    }

    return text.toUTF8();
}

void MidiLogView::copySelectedLines()
{
    const auto text = getSelectedText();
    if (text.isNotEmpty() && copyToClipboard != nullptr)
        copyToClipboard (text);
}

//==============================================================================
void MidiLogView::setFont (const juce::Font& newFont)
{
    font = newFont;
    listBox.setRowHeight (rowHeightFor (font));

    widestLine = 0;
    for (const auto& line : lines)
        widestLine = juce::jmax (widestLine, widthOf (line));

    listBox.setMinimumContentWidth (widestLine);
    listBox.updateContent();
    listBox.repaint();
}

void MidiLogView::resized()
{
    listBox.setBounds (getLocalBounds());
    showNewestLine();
}

bool MidiLogView::keyPressed (const juce::KeyPress& key)
{
    // The list handles the arrows and select-all; copying is ours.
    if (key == juce::KeyPress ('c', juce::ModifierKeys::commandModifier, 0)
        || key == juce::KeyPress (juce::KeyPress::insertKey, juce::ModifierKeys::commandModifier, 0))
    {
        copySelectedLines();
        return true;
    }

    return false;
}

void MidiLogView::lookAndFeelChanged()
{
    updateColours();
}

//==============================================================================
int MidiLogView::getNumRows()
{
    return getNumLines();
}

void MidiLogView::paintListBoxItem (int rowNumber, juce::Graphics& g, int /*width*/, int height, bool rowIsSelected)
{
    if (! juce::isPositiveAndBelow (rowNumber, getNumLines()))
        return;

    if (rowIsSelected)
        g.fillAll (findColour (juce::TextEditor::highlightColourId));

    g.setColour (findColour (rowIsSelected ? juce::TextEditor::highlightedTextColourId : juce::TextEditor::textColourId));

    juce::GlyphArrangement glyphs;
    const auto baseline = ((float) height - font.getHeight()) * 0.5f + font.getAscent();
    glyphs.addLineOfText (font, lines[(size_t) rowNumber], (float) textInset, baseline);

    // A long line reaches far past the view, and a glyph drawn outside it costs as much as
    // one inside: draw only those that cross the area being painted.
    const auto area = g.getClipBounds().toFloat();
    int first = 0, end = glyphs.getNumGlyphs();
    while (first < end && glyphs.getGlyph (first).getRight() < area.getX())
        ++first;
    while (end > first && glyphs.getGlyph (end - 1).getLeft() > area.getRight())
        --end;

    glyphs.removeRangeOfGlyphs (end, -1);
    glyphs.removeRangeOfGlyphs (0, first);
    glyphs.draw (g);
}

juce::String MidiLogView::getNameForRow (int rowNumber)
{
    return getLine (rowNumber);
}

//==============================================================================
void MidiLogView::updateColours()
{
    // Looks like the read-only text editor a log usually is.
    listBox.setColour (juce::ListBox::backgroundColourId, findColour (juce::TextEditor::backgroundColourId));
    listBox.setColour (juce::ListBox::outlineColourId, findColour (juce::TextEditor::outlineColourId));
    listBox.repaint();
}

int MidiLogView::widthOf (const juce::String& line) const
{
    return juce::roundToInt (std::ceil (font.getStringWidthFloat (line))) + 2 * textInset;
}

void MidiLogView::showNewestLine()
{
    if (! lines.empty())
        listBox.scrollToEnsureRowIsOnscreen (getNumLines() - 1);
}
