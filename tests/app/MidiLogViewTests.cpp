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

namespace
{
// Lines of hex bytes, as the monitor writes them: "00 01 02 ...".
juce::String bytesLine (int first, int count)
{
    juce::StringArray bytes;
    for (int i = first; i < first + count; ++i)
        bytes.add (juce::String::toHexString (i & 0xff).paddedLeft ('0', 2));
    return bytes.joinIntoString (" ");
}
} // namespace

class MidiLogViewTest : public ::testing::Test
{
protected:
    MidiLogView view;
    juce::StringArray copied;
    const juce::Font mono { juce::Font::getDefaultMonospacedFontName(), 12.0f, juce::Font::plain };
    const float advance = mono.getStringWidthFloat ("0");

    void SetUp() override
    {
        view.setFont (mono);
        setWidthInColumns (20);
        view.copyToClipboard = [this] (const juce::String& text)
        { copied.add (text); };
    }

    // Exactly this many characters fit on a row: 7 bytes with their blanks, then a break.
    void setWidthInColumns (int columns) { view.setSize (18 + (int) ((columns + 0.5f) * advance), 132); }

    // The point over the left part of the character at this column of a visible row, so
    // that pressing there puts the selection edge just before that character.
    juce::Point<float> at (int row, int column) const { return { 5.0f + (column + 0.25f) * advance, 5.0f + (row + 0.5f) * mono.getHeight() - viewTop }; }

    float viewTop = 0.0f;
    // The text area is 130 px high, and the content is 4 px taller than its rows.
    void scrolledToTheEndOf (int rows) { viewTop = juce::jmax (0.0f, 4.0f + (float) rows * mono.getHeight() - 130.0f); }

    juce::MouseEvent event (juce::Point<float> p, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier, int clicks = 1)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), p, mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &view, &view, now, p, now, clicks, false };
    }

    void drag (juce::Point<float> from, juce::Point<float> to)
    {
        view.mouseDown (event (from));
        view.mouseDrag (event (to));
        view.mouseUp (event (to));
    }

    void click (juce::Point<float> p, int clicks, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        view.mouseDown (event (p, mods, clicks));
        if (clicks > 1)
            view.mouseDoubleClick (event (p, mods, clicks));
        view.mouseUp (event (p, mods, clicks));
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
        drag ({ 5.0f, 5.0f }, { (float) view.getWidth() - 12.0f, (float) view.getHeight() - 3.0f });
        return copy();
    }

    // Lets the once-a-frame update run.
    void letAFramePass() { ui::pump (60); }
};

//==============================================================================
TEST_F (MidiLogViewTest, ADragCopiesExactlyTheCharactersBetweenItsTwoPointsAcrossWrappedRowsAndLines)
{
    // Each line of 12 bytes wraps into two rows: bytes 0-6 (21 characters, the blank after
    // byte 6 staying on the row) and bytes 7-11.
    const auto first = bytesLine (0x00, 12), second = bytesLine (0x20, 12);
    view.appendLine (first);
    view.appendLine (second);
    // A word wider than a row starts a row of its own and breaks after 20 characters.
    view.appendLine ("x abcdefghijklmnopqrstuvwxyz0123");
    letAFramePass();

    struct Case
    {
        int fromRow, fromColumn, toRow, toColumn;
        const char* copied;
    };
    const Case cases[] {
        { 0, 3, 0, 8, "01 02" }, // within a row
        { 0, 18, 1, 2, "06 07" }, // across a wrap inside a line
        { 1, 9, 2, 5, "0a 0b\r\n20 21" }, // across two lines
        { 2, 5, 1, 9, "0a 0b\r\n20 21" }, // dragged backwards
        { 1, 12, 3, 2, "0b\r\n20 21 22 23 24 25 26 27" }, // from one line to the second row of the next
        { 3, 6, 4, 0, "29 2a 2b\r\n" },
        { 4, 0, 5, 1, "x a" },
        { 5, 18, 6, 2, "stuv" },
        { 6, 9, 9, 0, "3\r\n" }, // below the last row is the end of the text
        { 0, 30, 1, 0, "" }, // right of a row's end is its end, which is where the next row begins
    };

    for (const auto& c : cases)
    {
        drag (at (c.fromRow, c.fromColumn), at (c.toRow, c.toColumn));
        EXPECT_EQ (copy(), c.copied) << c.fromRow << ":" << c.fromColumn << " to " << c.toRow << ":" << c.toColumn;
    }
}

TEST_F (MidiLogViewTest, ShiftClickExtendsDoubleClickTakesAWordTripleClickALineAndSelectAllTheText)
{
    view.appendLine ("12 - 00:00:05.250 R Note on C3");
    view.appendLine (bytesLine (0x40, 12));
    letAFramePass();
    const auto withModifier = [] (int modifier)
    { return juce::ModifierKeys (modifier | juce::ModifierKeys::leftButtonModifier); };

    // Nothing selected yet: copying leaves the clipboard alone.
    EXPECT_EQ (copy(), "");

    click (at (0, 5), 1);
    click (at (0, 10), 1, withModifier (juce::ModifierKeys::shiftModifier));
    EXPECT_EQ (copy(), "00:00");
    click (at (9, 0), 1, withModifier (juce::ModifierKeys::shiftModifier));
    EXPECT_EQ (copy(), "00:00:05.250 R Note on C3\r\n40 41 42 43 44 45 46 47 48 49 4a 4b\r\n") << "the anchor stays where the first click was";

    const std::pair<int, const char*> clicks[] { { 2, "05" }, { 3, "12 - 00:00:05.250 R Note on C3" }, { 4, nullptr } };
    for (auto [count, expected] : clicks)
    {
        click (at (0, 11), count);
        EXPECT_EQ (copy(), expected != nullptr ? juce::String (expected) : view.getText()) << count << " clicks";
    }

    click (at (3, 3), 2);
    EXPECT_EQ (copy(), "48") << "a word on a wrapped row";

    EXPECT_TRUE (view.keyPressed (juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_EQ (copy(), view.getText());
}

//==============================================================================
TEST_F (MidiLogViewTest, FollowsTheNewestLineAndANewLineDropsTheSelection)
{
    // 10 rows of 12 px fit in the 126 px below the border and indent.
    for (int i = 0; i < 200; ++i)
        view.appendLine ("line " + juce::String (i));
    letAFramePass();
    EXPECT_TRUE (visibleText().endsWith ("line 198\r\nline 199")) << copy();

    // Scrolled back by the wheel, a new line brings the view back to the end.
    view.mouseWheelMove (event ({ 50.0f, 50.0f }), { 0.0f, 100.0f, false, false, false });
    EXPECT_TRUE (visibleText().startsWith ("line 0\r\nline 1\r\n")) << copy();

    click (at (0, 0), 2);
    ASSERT_EQ (copy(), "line");
    view.appendLine ("newest");
    EXPECT_EQ (copy(), "") << "the selection went with the new line";
    letAFramePass();

    EXPECT_TRUE (visibleText().endsWith ("line 199\r\nnewest")) << copy();
    EXPECT_EQ (view.getNumLines(), 201);
    EXPECT_EQ (view.getLine (200), "newest");
}

TEST_F (MidiLogViewTest, ResizingRewrapsAndKeepsTheNewestLineInView)
{
    for (int i = 0; i < 50; ++i)
        view.appendLine (bytesLine (i, 12));
    letAFramePass();

    // At 20 columns the newest line takes the last two rows; at 10, three bytes fit on a
    // row (8 characters and a blank), so it takes four.
    const auto newest = bytesLine (49, 12);
    EXPECT_TRUE (visibleText().endsWith ("\r\n" + newest));

    setWidthInColumns (10);
    EXPECT_TRUE (visibleText().endsWith ("\r\n" + newest));

    scrolledToTheEndOf (200); // 50 lines of 4 rows
    click (at (197, 1), 2);
    EXPECT_EQ (copy(), "34") << "the second row of the newest line starts with its fourth byte";
}

TEST_F (MidiLogViewTest, DraggingPastTheEdgeScrollsTheViewToExtendTheSelection)
{
    for (int i = 0; i < 100; ++i)
        view.appendLine ("line " + juce::String (i));
    letAFramePass();
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

    // Clear empties it all.
    view.clear();
    EXPECT_EQ (view.getNumLines(), 0);
    EXPECT_EQ (view.getText(), "");
    EXPECT_EQ (copy(), "");
}
