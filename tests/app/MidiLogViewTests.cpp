#include "MidiLogView.h"
#include <gtest/gtest.h>

// The log view as the user works with it: it follows the newest line, lines can be
// selected with the mouse and copied, and a new line drops the selection.

class MidiLogViewTest : public ::testing::Test
{
protected:
    MidiLogView view;
    juce::StringArray copied;
    const juce::KeyPress copyKey { 'c', juce::ModifierKeys::commandModifier, 0 };

    void SetUp() override
    {
        view.setSize (400, 140);
        view.copyToClipboard = [this] (const juce::String& text)
        { copied.add (text); };
        for (int i = 0; i < 200; ++i)
            view.appendLine ("line " + juce::String (i));
    }

    juce::ListBox& list() { return dynamic_cast<juce::ListBox&> (*view.getChildComponent (0)); }

    // What a click on a row does, with the modifier keys held.
    void clickRow (int row, juce::ModifierKeys modifiers = {}) { list().selectRowsBasedOnModifierKeys (row, modifiers, false); }

    bool isRowFullyVisible (int row)
    {
        const auto& viewport = *list().getViewport();
        const auto rowHeight = list().getRowHeight();
        return row * rowHeight >= viewport.getViewPositionY() && (row + 1) * rowHeight <= viewport.getViewPositionY() + viewport.getViewHeight();
    }
};

TEST_F (MidiLogViewTest, FollowsTheNewestLineEvenWhenTheUserHadScrolledBack)
{
    EXPECT_TRUE (isRowFullyVisible (199));
    EXPECT_FALSE (isRowFullyVisible (0));

    list().getViewport()->setViewPosition (0, 0);
    ASSERT_TRUE (isRowFullyVisible (0));
    view.appendLine ("newest");

    EXPECT_TRUE (isRowFullyVisible (200));
    EXPECT_EQ (view.getLine (200), "newest");
}

TEST_F (MidiLogViewTest, SelectedLinesAreCopiedInLogOrderWithTheirLineEnds)
{
    // Ctrl/Cmd-C with nothing selected leaves the clipboard alone.
    EXPECT_TRUE (view.keyPressed (copyKey));
    EXPECT_TRUE (copied.isEmpty());

    clickRow (2);
    clickRow (4, juce::ModifierKeys::shiftModifier);
    clickRow (0, juce::ModifierKeys::commandModifier);

    // The key goes past the list, which does not use it, to the view.
    EXPECT_FALSE (list().keyPressed (copyKey));
    EXPECT_TRUE (view.keyPressed (copyKey));
    EXPECT_EQ (copied, juce::StringArray ("line 0\r\nline 2\r\nline 3\r\nline 4\r\n"));
}

TEST_F (MidiLogViewTest, ANewLineDropsTheSelectionAndIsAddedAtTheEnd)
{
    clickRow (3);
    clickRow (5, juce::ModifierKeys::shiftModifier);
    ASSERT_EQ (view.getSelectedText(), "line 3\r\nline 4\r\nline 5\r\n");

    view.appendLine ("after the selection");

    EXPECT_EQ (list().getNumSelectedRows(), 0);
    EXPECT_EQ (view.getSelectedText(), "");
    EXPECT_EQ (view.getNumLines(), 201);
    EXPECT_EQ (view.getLine (200), "after the selection");
}
