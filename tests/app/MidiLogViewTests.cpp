#include "MidiLogView.h"
#include "UiHelpers.h"
#include <gtest/gtest.h>

// The log view as the user works with it: it follows the newest line, lines can be
// selected with the mouse and copied, and a new line drops the selection.

namespace
{
const juce::KeyPress copyKey ('c', juce::ModifierKeys::commandModifier, 0);
} // namespace

class MidiLogViewTest : public ::testing::Test
{
protected:
    MidiLogView view;
    juce::StringArray copied;

    void SetUp() override
    {
        view.setSize (400, 140);
        view.copyToClipboard = [this] (const juce::String& text)
        { copied.add (text); };
    }

    juce::ListBox& list()
    {
        auto* listBox = dynamic_cast<juce::ListBox*> (view.getChildComponent (0));
        if (listBox == nullptr)
            throw std::runtime_error ("the log view shows no list");
        return *listBox;
    }

    void appendNumbered (int count)
    {
        const auto first = view.getNumLines();
        for (int i = first; i < first + count; ++i)
            view.appendLine ("line " + juce::String (i));
    }

    // What a click on a row does, with the modifier keys held.
    void clickRow (int row, juce::ModifierKeys modifiers = {})
    {
        list().selectRowsBasedOnModifierKeys (row, modifiers, false);
    }

    bool isRowFullyVisible (int row)
    {
        auto& viewport = *list().getViewport();
        const auto rowHeight = list().getRowHeight();
        return row * rowHeight >= viewport.getViewPositionY()
               && (row + 1) * rowHeight <= viewport.getViewPositionY() + viewport.getViewHeight();
    }
};

//==============================================================================
TEST_F (MidiLogViewTest, HoldsLinesInOrderAndGivesThemBackAsText)
{
    EXPECT_EQ (view.getNumLines(), 0);
    EXPECT_EQ (view.getText(), "");
    EXPECT_FLOAT_EQ (view.getFont().getHeight(), 12.0f);
    EXPECT_GE (list().getRowHeight(), 12);

    view.appendLine ("1 - 00:00:05.250 R f8");
    view.appendLine ("2 - 00:00:05.251 S Ping: 00");

    EXPECT_EQ (view.getNumLines(), 2);
    EXPECT_EQ (view.getLine (0), "1 - 00:00:05.250 R f8");
    EXPECT_EQ (view.getLine (1), "2 - 00:00:05.251 S Ping: 00");
    EXPECT_EQ (view.getText(), "1 - 00:00:05.250 R f8\r\n2 - 00:00:05.251 S Ping: 00\r\n");

    // Outside the log there is no line, and nothing breaks.
    EXPECT_EQ (view.getLine (2), "");
    EXPECT_EQ (view.getLine (-1), "");
}

TEST_F (MidiLogViewTest, FollowsTheNewestLine)
{
    appendNumbered (3);
    EXPECT_TRUE (isRowFullyVisible (0));
    EXPECT_TRUE (isRowFullyVisible (2));

    appendNumbered (200);
    EXPECT_TRUE (isRowFullyVisible (202));
    EXPECT_FALSE (isRowFullyVisible (0));

    // Even when the user had scrolled back to the top.
    list().getViewport()->setViewPosition (0, 0);
    ASSERT_TRUE (isRowFullyVisible (0));
    view.appendLine ("newest");
    EXPECT_TRUE (isRowFullyVisible (203));

    // And after the view is made smaller.
    view.setSize (400, 60);
    EXPECT_TRUE (isRowFullyVisible (203));
}

TEST_F (MidiLogViewTest, SelectedLinesAreCopiedWithTheirLineEnds)
{
    appendNumbered (10);

    clickRow (2);
    clickRow (4, juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (list().getNumSelectedRows(), 3);
    EXPECT_EQ (view.getSelectedText(), "line 2\r\nline 3\r\nline 4\r\n");

    // Ctrl/Cmd-C goes past the list, which does not use it, to the view.
    EXPECT_FALSE (list().keyPressed (copyKey));
    EXPECT_TRUE (view.keyPressed (copyKey));
    ASSERT_EQ (copied.size(), 1);
    EXPECT_EQ (copied[0], "line 2\r\nline 3\r\nline 4\r\n");

    // Ctrl/Cmd-click adds single lines; the copy keeps log order.
    clickRow (8, juce::ModifierKeys::commandModifier);
    clickRow (0, juce::ModifierKeys::commandModifier);
    EXPECT_TRUE (view.keyPressed (copyKey));
    ASSERT_EQ (copied.size(), 2);
    EXPECT_EQ (copied[1], "line 0\r\nline 2\r\nline 3\r\nline 4\r\nline 8\r\n");

    // Select-all, then copy, gives the whole log.
    EXPECT_TRUE (list().keyPressed (juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0)));
    view.copySelectedLines();
    ASSERT_EQ (copied.size(), 3);
    EXPECT_EQ (copied[2], view.getText());

    // Other keys are not taken.
    EXPECT_FALSE (view.keyPressed (juce::KeyPress ('c', juce::ModifierKeys::noModifiers, 0)));
}

TEST_F (MidiLogViewTest, CopyingWithNothingSelectedLeavesTheClipboardAlone)
{
    appendNumbered (5);
    EXPECT_EQ (view.getSelectedText(), "");
    EXPECT_TRUE (view.keyPressed (copyKey));
    EXPECT_TRUE (copied.isEmpty());
}

TEST_F (MidiLogViewTest, ANewLineDropsTheSelectionAndIsAddedAtTheEnd)
{
    appendNumbered (10);
    clickRow (3);
    clickRow (5, juce::ModifierKeys::shiftModifier);
    ASSERT_EQ (list().getNumSelectedRows(), 3);

    view.appendLine ("after the selection");

    EXPECT_EQ (list().getNumSelectedRows(), 0);
    EXPECT_EQ (view.getSelectedText(), "");
    EXPECT_EQ (view.getNumLines(), 11);
    EXPECT_EQ (view.getLine (10), "after the selection");
    EXPECT_EQ (view.getLine (3), "line 3");
}

TEST_F (MidiLogViewTest, ClearEmptiesTheLogAndItsSelection)
{
    appendNumbered (300);
    clickRow (299);
    ASSERT_EQ (list().getNumSelectedRows(), 1);

    view.clear();

    EXPECT_EQ (view.getNumLines(), 0);
    EXPECT_EQ (view.getText(), "");
    EXPECT_EQ (list().getNumSelectedRows(), 0);
    EXPECT_EQ (list().getViewport()->getViewPositionY(), 0);

    view.appendLine ("first again");
    EXPECT_EQ (view.getText(), "first again\r\n");
    EXPECT_TRUE (isRowFullyVisible (0));
}

TEST_F (MidiLogViewTest, LongLinesScrollSidewaysInsteadOfBeingCutOff)
{
    const auto longLine = juce::String::repeatedString ("f0 ", 120) + "f7";
    view.appendLine ("short");
    view.appendLine (longLine);

    auto& viewport = *list().getViewport();
    EXPECT_GE (viewport.getViewedComponent()->getWidth(), (int) view.getFont().getStringWidthFloat (longLine));
    EXPECT_TRUE (viewport.canScrollHorizontally());

    view.clear();
    view.appendLine ("short");
    EXPECT_FALSE (viewport.canScrollHorizontally());
}

TEST_F (MidiLogViewTest, OnlyTheVisibleRowsAreBuiltAndPainted)
{
    appendNumbered (20000);

    // The list keeps a handful of row components, however long the log.
    const auto rowsOnScreen = view.getHeight() / list().getRowHeight();
    EXPECT_LE (list().getViewport()->getViewedComponent()->getNumChildComponents(), rowsOnScreen + 5);

    // The newest lines are drawn: the snapshot is not blank.
    const auto image = view.createComponentSnapshot (view.getLocalBounds());
    const auto background = image.getPixelAt (image.getWidth() / 2, image.getHeight() - 8);
    int differing = 0;
    for (int x = 0; x < image.getWidth() / 2; ++x)
        if (image.getPixelAt (x, image.getHeight() - 8) != background)
            ++differing;

    EXPECT_GT (differing, 0);
}

TEST_F (MidiLogViewTest, ABiggerFontGivesTallerRows)
{
    appendNumbered (3);
    const auto smallRows = list().getRowHeight();

    view.setFont (juce::Font (24.0f));

    EXPECT_FLOAT_EQ (view.getFont().getHeight(), 24.0f);
    EXPECT_GE (list().getRowHeight(), 24);
    EXPECT_GT (list().getRowHeight(), smallRows);
    EXPECT_EQ (view.getNumLines(), 3);
}
