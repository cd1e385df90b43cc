#include "MidiLogView.h"
#include "UiHelpers.h"
#include <gtest/gtest.h>

// The log view as the user works with it, driven by mouse events and keys: lines wrap to
// the view's width, any run of characters can be selected and copied, a new line drops
// the selection and the view follows the newest line.
//
// A monospaced font makes every character equally wide, so a test can point at a column.
// The text starts where a text editor's does: 1 px of border and 4 px of indent on the
// left and on top; a wrapped row is 18 px narrower than the view (border, indents and the
// scroll bar), and rows are the font's height apart.

class MidiLogViewTest : public ::testing::Test
{
protected:
    MidiLogView view;
    juce::StringArray copied;
    const juce::Font mono { juce::Font::getDefaultMonospacedFontName(), 12.0f, juce::Font::plain };
    const float advance = mono.getStringWidthFloat ("0");
    float viewTop = 0.0f; // where the view is scrolled to, as the test expects it

    void SetUp() override
    {
        view.setFont (mono);
        setWidthInColumns (20);
        view.copyToClipboard = [this] (const juce::String& text)
        { copied.add (text); };
    }

    // Exactly this many characters fit on a row: 7 bytes with their blanks, then a break.
    void setWidthInColumns (int columns) { view.setSize (18 + (int) ((columns + 0.5f) * advance), 132); }

    // The text area is 130 px high, and the content is 4 px taller than its rows.
    void scrolledToTheEndOf (int rows) { viewTop = juce::jmax (0.0f, 4.0f + (float) rows * mono.getHeight() - 130.0f); }

    // The point over the left part of the character at this column of a row, so that
    // pressing there puts the selection edge just before that character.
    juce::Point<float> at (int row, int column) const { return { 5.0f + (column + 0.25f) * advance, 5.0f + (row + 0.5f) * mono.getHeight() - viewTop }; }

    juce::MouseEvent event (juce::Point<float> p, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier, int clicks = 1)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), p, mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &view, &view, now, p, now, clicks, false };
    }

    // A press at one point, a drag to another if given, and the release there.
    void press (juce::Point<float> from, std::optional<juce::Point<float>> to = {}, int clicks = 1, int modifier = 0)
    {
        const auto mods = juce::ModifierKeys (modifier | juce::ModifierKeys::leftButtonModifier);
        view.mouseDown (event (from, mods, clicks));
        if (to)
            view.mouseDrag (event (*to, mods));
        if (clicks > 1)
            view.mouseDoubleClick (event (from, mods, clicks));
        view.mouseUp (event (to.value_or (from), mods, clicks));
    }

    juce::String copy()
    {
        copied.clear();
        EXPECT_TRUE (view.keyPressed (juce::KeyPress ('c', juce::ModifierKeys::commandModifier, 0)));
        return copied.joinIntoString ("|");
    }

    // What the user sees: a drag from the top-left corner to the bottom-right corner.
    juce::String visibleText()
    {
        press ({ 5.0f, 5.0f }, juce::Point<float> { (float) view.getWidth() - 12.0f, (float) view.getHeight() - 3.0f });
        return copy();
    }
};

//==============================================================================
TEST_F (MidiLogViewTest, ADragCopiesExactlyTheCharactersBetweenItsTwoPointsAcrossWrappedRowsAndLines)
{
    // Each line of 12 bytes wraps into two rows: bytes 0-6 (21 characters, the blank after
    // byte 6 staying on the row) and bytes 7-11. A word wider than a row starts a row of
    // its own and breaks after 20 characters.
    view.appendLine ("00 01 02 03 04 05 06 07 08 09 0a 0b");
    view.appendLine ("20 21 22 23 24 25 26 27 28 29 2a 2b");
    view.appendLine ("x abcdefghijklmnopqrstuvwxyz0123");
    ui::pump (150); // the once-a-frame update, with room to spare

    const std::tuple<int, int, int, int, const char*> drags[] {
        // from row and column, to row and column, what is copied
        { 0, 3, 0, 8, "01 02" }, // within a row
        { 0, 18, 1, 2, "06 07" }, // across a wrap inside a line
        { 1, 9, 2, 5, "0a 0b\r\n20 21" }, // across two lines
        { 2, 5, 1, 9, "0a 0b\r\n20 21" }, // backwards
        { 1, 12, 3, 2, "0b\r\n20 21 22 23 24 25 26 27" }, // to the second row of the next line
        { 3, 6, 4, 0, "29 2a 2b\r\n" },
        { 4, 0, 5, 1, "x a" },
        { 5, 18, 6, 2, "stuv" },
        { 6, 9, 7, 0, "3\r\n" }, // below the last row is the end of the text
        { 0, 30, 1, 0, "" }, // right of a row's end is its end, which is where the next row begins
    };

    for (auto [fromRow, fromColumn, toRow, toColumn, expected] : drags)
    {
        press (at (fromRow, fromColumn), at (toRow, toColumn));
        EXPECT_EQ (copy(), expected) << fromRow << ":" << fromColumn << " to " << toRow << ":" << toColumn;
    }
}

TEST_F (MidiLogViewTest, ShiftClickExtendsDoubleClickTakesAWordTripleClickALineAndSelectAllTheText)
{
    view.appendLine ("12 - 00:00:05.250 R Note on C3");
    view.appendLine ("40 41 42 43 44 45 46 47 48 49 4a 4b");
    ui::pump (150);

    // Nothing selected yet: copying leaves the clipboard alone.
    EXPECT_EQ (copy(), "");
    EXPECT_TRUE (copied.isEmpty());

    press (at (0, 5));
    press (at (0, 10), {}, 1, juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (copy(), "00:00");
    press (at (9, 0), {}, 1, juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (copy(), "00:00:05.250 R Note on C3\r\n40 41 42 43 44 45 46 47 48 49 4a 4b\r\n") << "the anchor stays where the first click was";

    // By clicks and place: a word, a word at the start of a line, a word on a wrapped row, the line, everything.
    const std::tuple<int, int, int, juce::String> clicks[] { { 2, 0, 11, "05" }, { 2, 0, 1, "12" }, { 2, 3, 3, "48" }, { 3, 0, 11, "12 - 00:00:05.250 R Note on C3" }, { 4, 0, 11, view.getText() } };
    for (auto [count, row, column, expected] : clicks)
    {
        press (at (row, column), {}, count);
        EXPECT_EQ (copy(), expected) << count << " clicks at " << row << ":" << column;
    }

    press (at (0, 0));
    EXPECT_TRUE (view.keyPressed (juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_EQ (copy(), view.getText());
}

//==============================================================================
TEST_F (MidiLogViewTest, FollowsTheNewestLineThroughResizesAndANewLineDropsTheSelection)
{
    // 10 rows of 12 px fit in the 126 px below the border and indent.
    for (int i = 0; i < 200; ++i)
        view.appendLine ("line " + juce::String (i));
    ui::pump (150);
    EXPECT_TRUE (visibleText().endsWith ("line 198\r\nline 199")) << copy();

    // Scrolled back by the wheel, a new line brings the view back to the end.
    view.mouseWheelMove (event ({ 50.0f, 50.0f }), { 0.0f, 100.0f, false, false, false });
    EXPECT_TRUE (visibleText().startsWith ("line 0\r\nline 1\r\n")) << copy();

    press (at (0, 0), {}, 2);
    ASSERT_EQ (copy(), "line");
    const juce::String newest = "00 01 02 03 04 05 06 07 08 09 0a 0b";
    view.appendLine (newest);
    EXPECT_EQ (copy(), "") << "the selection went with the new line";
    ui::pump (150);
    EXPECT_TRUE (visibleText().endsWith ("line 199\r\n" + newest)) << copy();
    EXPECT_TRUE (view.getNumLines() == 201 && view.getLine (200) == newest);

    // At 10 columns three bytes fit on a row (8 characters and a blank), so the newest
    // line takes four rows; its second starts with its fourth byte.
    setWidthInColumns (10);
    EXPECT_TRUE (visibleText().endsWith ("line 199\r\n" + newest)) << copy();
    scrolledToTheEndOf (204);
    press (at (201, 1), {}, 2);
    EXPECT_EQ (copy(), "03");
}

TEST_F (MidiLogViewTest, DraggingPastTheEdgeScrollsTheViewToExtendTheSelectionAndClearEmptiesIt)
{
    for (int i = 0; i < 100; ++i)
        view.appendLine ("line " + juce::String (i));
    ui::pump (150);
    const auto firstLineOf = [] (const juce::String& text)
    { return text.upToFirstOccurrenceOf ("\r\n", false, false).fromFirstOccurrenceOf ("line ", false, false).getIntValue(); };
    const auto firstVisible = firstLineOf (visibleText());
    ASSERT_EQ (firstVisible, 89) << "the top row, partly hidden, of 100 rows scrolled to the end";

    // Held above the view, each drag scrolls it to take in the row under the pointer.
    view.mouseDown (event ({ 5.0f, 120.0f }));
    for (int i = 1; i <= 5; ++i)
    {
        view.mouseDrag (event ({ 5.0f, -20.0f }));
        EXPECT_EQ (firstLineOf (copy()), firstVisible - 2 * i);
    }
    EXPECT_TRUE (copy().endsWith ("line 98\r\n")) << "the anchor stays before line 99";

    view.clear();
    EXPECT_TRUE (view.getNumLines() == 0 && view.getText().isEmpty() && copy().isEmpty());
}
