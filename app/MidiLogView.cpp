#include "MidiLogView.h"

namespace
{
const juce::String lineEnd { "\r\n" };

// The geometry of a juce::TextEditor, so the log sits in the window as an editor would:
// a border inside the outline, the text indented within it, a little room on the right.
const juce::BorderSize<int> border { 1, 1, 1, 3 };
constexpr int leftIndent = 4;
constexpr int topIndent = 4;
constexpr int rightEdgeSpace = 2;

// Runs of whitespace and runs of anything else are the atoms a line wraps between.
bool isSpace (juce::juce_wchar c) noexcept
{
    return c < 128 ? (c == ' ' || (c >= 9 && c <= 13)) : juce::CharacterFunctions::isWhitespace (c);
}

// What a double-click takes as a word, as the editor does.
bool isWordCharacter (juce::juce_wchar c) noexcept
{
    return juce::CharacterFunctions::isLetterOrDigit (c) || c > 128;
}
} // namespace

MidiLogView::MidiLogView()
    : copyToClipboard ([] (const juce::String& text)
                       { juce::SystemClipboard::copyTextToClipboard (text); })
{
    setWantsKeyboardFocus (true);
    setMouseCursor (juce::MouseCursor::IBeamCursor);

    scrollBar.setAutoHide (true);
    scrollBar.addListener (this);
    addAndMakeVisible (scrollBar);

    measureFont();
}

MidiLogView::~MidiLogView()
{
    scrollBar.removeListener (this);
}

//==============================================================================
void MidiLogView::appendLine (const juce::String& line)
{
    lines.push_back (line);
    addRowsOfNewLine (countRows (line));

    // A new line ends any selection, as typing at the end of a text would.
    anchor = caret = endOfText();
    followNewest = true;
    scheduleUpdate();
}

void MidiLogView::clear()
{
    std::vector<juce::String>().swap (lines);
    std::vector<int>().swap (rowCounts);
    std::vector<int>().swap (blockFirstRows);
    totalRows = 0;
    anchor = caret = {};
    followNewest = false;
    viewTop = 0.0;
    updateScrollBar();
    repaint();
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
    const auto [start, end] = std::minmax (anchor, caret);
    juce::MemoryOutputStream text;

    for (auto line = start.line; line <= end.line && line < getNumLines(); ++line)
    {
        const auto& whole = lines[(size_t) line];
        const auto from = line == start.line ? start.index : 0;
        const auto to = line == end.line ? end.index : whole.length();
        text << whole.substring (from, to);

        if (line < end.line)
            text << lineEnd;
    }

    return text.toUTF8();
}

void MidiLogView::copySelectedText()
{
    const auto text = getSelectedText();
    if (text.isNotEmpty() && copyToClipboard != nullptr)
        copyToClipboard (text);
}

void MidiLogView::selectAll()
{
    select ({}, endOfText());
}

void MidiLogView::setFont (const juce::Font& newFont)
{
    font = newFont;
    measureFont();
    rewrapAll();
}

//==============================================================================
void MidiLogView::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::TextEditor::backgroundColourId));

    const auto area = getTextArea().withTrimmedRight (scrollBar.getWidth());
    const auto lineHeight = (double) font.getHeight();

    if (totalRows > 0 && ! area.isEmpty())
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (area);

        const auto clip = g.getClipBounds();
        const auto contentTop = (double) area.getY() + topIndent - viewTop;
        auto row = juce::jmax (0, (int) std::floor (((double) clip.getY() - contentTop) / lineHeight));
        const auto endRow = juce::jmin (totalRows, (int) std::ceil (((double) clip.getBottom() - contentTop) / lineHeight));

        // Lay out one line at a time, only the lines that have a row in view.
        while (row < endRow)
        {
            const auto [line, rowInLine] = lineAndRowAt (row);
            const auto starts = rowStartsOf (line);
            const auto length = lines[(size_t) line].length();

            for (auto i = (size_t) rowInLine; i < starts.size() && row < endRow; ++i, ++row)
                paintRow (g, { line, starts[i], i + 1 < starts.size() ? starts[i + 1] : length }, (float) rowTop (row));
        }
    }

    g.setColour (findColour (juce::TextEditor::outlineColourId));
    g.drawRect (getLocalBounds());
}

void MidiLogView::paintRow (juce::Graphics& g, const Row& row, float top) const
{
    const auto& text = lines[(size_t) row.line];
    const auto left = textLeft();

    // The selected part of this row, in characters.
    const auto [start, end] = std::minmax (anchor, caret);
    const auto from = start.line < row.line ? row.start : (start.line == row.line ? juce::jlimit (row.start, row.end, start.index) : row.end);
    const auto to = end.line > row.line ? row.end : (end.line == row.line ? juce::jlimit (row.start, row.end, end.index) : row.start);
    const auto hasSelection = from < to;

    if (hasSelection)
    {
        g.setColour (findColour (juce::TextEditor::highlightColourId));
        const auto x1 = left + xOf (text, row.start, from);
        const auto x2 = left + xOf (text, row.start, to);
        g.fillRect (juce::Rectangle<float> (x1, top, x2 - x1, font.getHeight()));
    }

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font, text.substring (row.start, row.end), left, top + font.getAscent());

    // Place each glyph where the cached advances say, so that what is drawn and what a
    // click hits agree to the pixel.
    const auto textColour = findColour (juce::TextEditor::textColourId);
    const auto selectedColour = findColour (juce::TextEditor::highlightedTextColourId);
    auto x = left;
    auto p = text.getCharPointer() + row.start;

    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
    {
        auto& glyph = glyphs.getGlyph (i);
        glyph.moveBy (x - glyph.getLeft(), 0.0f);
        x += advanceOf (p.getAndAdvance());

        const auto index = row.start + i;
        g.setColour (hasSelection && index >= from && index < to ? selectedColour : textColour);
        glyph.draw (g);
    }
}

void MidiLogView::resized()
{
    const auto area = getTextArea();
    const auto thickness = getLookAndFeel().getDefaultScrollbarWidth();
    scrollBar.setBounds (area.getRight() - thickness, area.getY(), thickness, area.getHeight());

    // The text wraps as if the scroll bar were always there, so that its appearing never
    // re-wraps the log.
    const auto newWrapWidth = juce::jmax (1, area.getWidth() - thickness - leftIndent - rightEdgeSpace) * (int) unitsPerPixel;

    if (newWrapWidth != wrapWidth)
    {
        wrapWidth = newWrapWidth;
        rewrapAll();
    }
    else
    {
        setViewTop (followNewest ? maxViewTop() : viewTop);
        updateScrollBar();
    }
}

//==============================================================================
void MidiLogView::mouseDown (const juce::MouseEvent& e)
{
    // While the button is held, drags keep arriving, so a pointer held still outside the
    // view keeps scrolling it.
    beginDragAutoRepeat (100);

    const auto position = positionAt (e.position);
    select (e.mods.isShiftDown() ? anchor : position, position);
}

void MidiLogView::mouseDrag (const juce::MouseEvent& e)
{
    const auto position = positionAt (e.position);
    select (anchor, position);
    scrollToShow (position);
}

void MidiLogView::mouseDoubleClick (const juce::MouseEvent& e)
{
    // Two clicks take a word, three the line, more the whole text.
    if (e.getNumberOfClicks() > 3)
        return selectAll();

    const auto position = positionAt (e.position);
    if (position.line >= getNumLines())
        return;

    const auto& text = lines[(size_t) position.line];
    auto start = position.index, end = position.index;

    if (e.getNumberOfClicks() > 2)
    {
        start = 0;
        end = text.length();
    }
    else
    {
        while (end < text.length() && isWordCharacter (text[end]))
            ++end;
        while (start > 0 && isWordCharacter (text[start - 1]))
            --start;
    }

    select ({ position.line, start }, { position.line, end });
}

void MidiLogView::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    if (wheel.deltaY == 0.0f || maxViewTop() <= 0.0)
        return Component::mouseWheelMove (e, wheel);

    // As far per notch as a viewport scrolls a text editor.
    auto distance = wheel.deltaY * 14.0f * font.getHeight();
    distance = distance < 0 ? juce::jmin (distance, -1.0f) : juce::jmax (distance, 1.0f);
    followNewest = false;
    setViewTop (viewTop - (double) distance);
    updateScrollBar();
    repaint();
}

bool MidiLogView::keyPressed (const juce::KeyPress& key)
{
    if (key == juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0))
    {
        selectAll();
        return true;
    }

    if (key == juce::KeyPress ('c', juce::ModifierKeys::commandModifier, 0)
        || key == juce::KeyPress (juce::KeyPress::insertKey, juce::ModifierKeys::commandModifier, 0))
    {
        copySelectedText();
        return true;
    }

    return false;
}

void MidiLogView::lookAndFeelChanged()
{
    resized();
    repaint();
}

//==============================================================================
void MidiLogView::timerCallback()
{
    // One frame's worth of appends, brought to the screen at once.
    stopTimer();

    if (followNewest)
        setViewTop (maxViewTop());

    updateScrollBar();
    repaint();
}

void MidiLogView::scrollBarMoved (juce::ScrollBar*, double newRangeStart)
{
    followNewest = false;
    setViewTop (newRangeStart);
    repaint();
}

void MidiLogView::scheduleUpdate()
{
    if (! isTimerRunning())
        startTimerHz (60);
}

//==============================================================================
void MidiLogView::measureFont()
{
    for (int c = 0; c < (int) asciiAdvances.size(); ++c)
        asciiAdvances[(size_t) c] = c < 32 ? 0 : juce::roundToInt (font.getStringWidthFloat (juce::String::charToString ((juce::juce_wchar) c)) * unitsPerPixel);
}

int MidiLogView::advanceUnitsOf (juce::juce_wchar c) const
{
    return (juce::uint32) c < asciiAdvances.size() ? asciiAdvances[(size_t) c]
                                                   : juce::roundToInt (font.getStringWidthFloat (juce::String::charToString (c)) * unitsPerPixel);
}

// Wraps as the editor does: whitespace stays at the end of its row, a word that does not
// fit starts a new row, and a word wider than a whole row starts a row of its own and is
// broken where it must. Calls onBreak with the index of each row's first character after
// the first row, and returns the number of rows.
template <typename OnBreak>
int MidiLogView::wrap (const juce::String& text, OnBreak&& onBreak) const
{
    int rows = 1, index = 0, x = 0;
    auto p = text.getCharPointer();

    auto breakAt = [&] (int at)
    {
        onBreak (at);
        ++rows;
    };

    while (! p.isEmpty())
    {
        // One atom: the characters up to the next change between blank and not.
        const auto atomStart = p;
        const auto atomIndex = index;
        auto c = p.getAndAdvance();
        const auto space = isSpace (c);
        auto width = advanceUnitsOf (c);

        for (++index;; ++index)
        {
            auto next = p;
            c = next.getAndAdvance();
            if (c == 0 || isSpace (c) != space)
                break;
            width += advanceUnitsOf (c);
            p = next;
        }

        if (space)
        {
            x = juce::jmin (x + width, wrapWidth);
        }
        else if (! shouldWrap (x + width))
        {
            x += width;
        }
        else if (! shouldWrap (width))
        {
            breakAt (atomIndex);
            x = width;
        }
        else
        {
            if (atomIndex > 0)
                breakAt (atomIndex);

            x = 0;
            auto q = atomStart;
            for (int i = atomIndex, inRow = 0; i < index; ++i, ++inRow)
            {
                const auto advance = advanceUnitsOf (q.getAndAdvance());
                if (inRow > 0 && shouldWrap (x + advance))
                {
                    breakAt (i);
                    x = 0;
                    inRow = 0;
                }
                x += advance;
            }
        }
    }

    return rows;
}

int MidiLogView::countRows (const juce::String& text) const
{
    return wrap (text, [] (int) {});
}

std::vector<int> MidiLogView::rowStartsOf (int line) const
{
    std::vector<int> starts { 0 };
    wrap (lines[(size_t) line], [&starts] (int start)
          { starts.push_back (start); });
    return starts;
}

void MidiLogView::rewrapAll()
{
    // Keep the user's place: the newest line when the view was following it, else the
    // line at the top of the view.
    const auto wasAtEnd = followNewest || viewTop >= maxViewTop() - 0.5;
    const auto topLine = totalRows > 0 ? lineAndRowAt (juce::jlimit (0, totalRows - 1, (int) ((viewTop - topIndent) / font.getHeight()))).first : 0;

    totalRows = 0;
    blockFirstRows.clear();

    for (size_t line = 0; line < lines.size(); ++line)
    {
        if (line % blockSize == 0)
            blockFirstRows.push_back (totalRows);

        rowCounts[line] = countRows (lines[line]);
        totalRows += rowCounts[line];
    }

    setViewTop (wasAtEnd || lines.empty() ? maxViewTop() : topIndent + firstRowOf (topLine) * (double) font.getHeight());
    updateScrollBar();
    repaint();
}

//==============================================================================
int MidiLogView::firstRowOf (int line) const
{
    const auto block = line / blockSize;
    auto row = blockFirstRows[(size_t) block];
    for (auto i = block * blockSize; i < line; ++i)
        row += rowCounts[(size_t) i];
    return row;
}

std::pair<int, int> MidiLogView::lineAndRowAt (int row) const
{
    // The last block starting at or before the row, then the line within it.
    const auto next = std::upper_bound (blockFirstRows.begin(), blockFirstRows.end(), row);
    const auto block = (int) std::distance (blockFirstRows.begin(), next) - 1;
    auto line = block * blockSize;
    auto first = blockFirstRows[(size_t) block];

    while (line + 1 < getNumLines() && first + rowCounts[(size_t) line] <= row)
        first += rowCounts[(size_t) line++];

    return { line, row - first };
}

void MidiLogView::addRowsOfNewLine (int rows)
{
    if ((lines.size() - 1) % blockSize == 0)
        blockFirstRows.push_back (totalRows);

    rowCounts.push_back (rows);
    totalRows += rows;
}

//==============================================================================
juce::Rectangle<int> MidiLogView::getTextArea() const
{
    return border.subtractedFrom (getLocalBounds());
}

float MidiLogView::textLeft() const
{
    return (float) (getTextArea().getX() + leftIndent);
}

double MidiLogView::rowTop (int row) const
{
    return getTextArea().getY() + topIndent + row * (double) font.getHeight() - viewTop;
}

double MidiLogView::maxViewTop() const
{
    const auto contentHeight = topIndent + totalRows * (double) font.getHeight();
    return juce::jmax (0.0, contentHeight - getTextArea().getHeight());
}

void MidiLogView::setViewTop (double newTop)
{
    viewTop = juce::jlimit (0.0, maxViewTop(), newTop);
}

void MidiLogView::updateScrollBar()
{
    const auto viewHeight = (double) getTextArea().getHeight();
    scrollBar.setRangeLimits (0.0, juce::jmax (viewHeight, maxViewTop() + viewHeight), juce::dontSendNotification);
    scrollBar.setCurrentRange (viewTop, viewHeight, juce::dontSendNotification);
    scrollBar.setSingleStepSize (font.getHeight());
}

//==============================================================================
MidiLogView::Position MidiLogView::positionAt (juce::Point<float> point) const
{
    const auto row = (int) std::floor ((point.y - rowTop (0)) / font.getHeight());

    // Below the last row is the end of the text, above the first row is the first row.
    if (row >= totalRows)
        return endOfText();

    const auto [line, rowInLine] = lineAndRowAt (juce::jmax (0, row));
    const auto starts = rowStartsOf (line);
    const auto& text = lines[(size_t) line];
    auto index = starts[(size_t) rowInLine];
    const auto end = (size_t) rowInLine + 1 < starts.size() ? starts[(size_t) rowInLine + 1] : text.length();

    // The nearer edge of the character under the point.
    auto x = textLeft();
    for (auto p = text.getCharPointer() + index; index < end; ++index)
    {
        const auto advance = advanceOf (p.getAndAdvance());
        if (point.x < x + advance * 0.5f)
            break;
        x += advance;
    }

    return { line, index };
}

float MidiLogView::xOf (const juce::String& text, int start, int index) const
{
    float x = 0.0f;
    auto p = text.getCharPointer() + start;
    for (auto i = start; i < index; ++i)
        x += advanceOf (p.getAndAdvance());
    return x;
}

void MidiLogView::scrollToShow (Position position)
{
    if (totalRows == 0)
        return;

    // The row holding the position, found by wrapping its line.
    auto row = totalRows - 1;
    if (position.line < getNumLines())
    {
        const auto starts = rowStartsOf (position.line);
        const auto within = std::upper_bound (starts.begin(), starts.end(), position.index) - starts.begin() - 1;
        row = firstRowOf (position.line) + (int) within;
    }

    const auto area = getTextArea();
    const auto top = rowTop (row);
    const auto bottom = top + font.getHeight();

    if (top < area.getY())
        setViewTop (viewTop - (area.getY() - top));
    else if (bottom > area.getBottom())
        setViewTop (viewTop + (bottom - area.getBottom()));

    followNewest = false;
    updateScrollBar();
    repaint();
}

void MidiLogView::select (Position newAnchor, Position newCaret)
{
    anchor = newAnchor;
    caret = newCaret;
    repaint();
}
