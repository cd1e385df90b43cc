#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The monitor's log, read like a read-only text editor: lines wrap at word boundaries to the
// view's width, any run of characters can be selected with the mouse and copied.
//
// It stays cheap however long the log grows: each line keeps only its text and its number
// of wrapped rows at the current width, a coarse running sum of rows maps a scroll position
// to a line, and only the visible rows are laid out and painted. Appending changes the
// model at once; the scroll bar and the scroll position follow at most once per displayed
// frame, since in a real window every change of a component's bounds is a round trip to
// the display server.
class MidiLogView final : public juce::Component,
                          private juce::Timer,
                          private juce::ScrollBar::Listener
{
public:
    MidiLogView();
    ~MidiLogView() override;

    // Adds one line at the end (without its line end), drops any selection and shows it.
    void appendLine (const juce::String& line);
    void clear();

    int getNumLines() const noexcept { return (int) lines.size(); }
    // The line at this index, or an empty string outside the log.
    const juce::String& getLine (int index) const;
    // All lines, each ended by "\r\n".
    juce::String getText() const;

    // Exactly the selected characters, with "\r\n" for each line end inside the selection.
    juce::String getSelectedText() const;
    // Puts the selected text on the clipboard; does nothing when nothing is selected.
    void copySelectedText();
    void selectAll();

    // Where copied text goes; the system clipboard unless replaced (tests record here).
    std::function<void (const juce::String&)> copyToClipboard;

    void setFont (const juce::Font& newFont);
    const juce::Font& getFont() const noexcept { return font; }

    void paint (juce::Graphics& g) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void lookAndFeelChanged() override;

private:
    // A place between two characters: before character `index` of line `line`. The end of
    // the whole text, after the last line end, is { number of lines, 0 }.
    struct Position
    {
        int line = 0, index = 0;

        bool operator<(const Position& other) const noexcept { return line != other.line ? line < other.line : index < other.index; }
        bool operator== (const Position& other) const noexcept { return line == other.line && index == other.index; }
    };

    // A wrapped row on the screen: characters [start, end) of one line.
    struct Row
    {
        int line = 0, start = 0, end = 0;
    };

    void timerCallback() override;
    void scrollBarMoved (juce::ScrollBar* bar, double newRangeStart) override;

    // Wrapping, with the advance of every ASCII character measured once per font. Widths
    // are summed in whole units of 1/1024 px: the sums are exact, in any order, and a
    // long line wraps in integer adds.
    static constexpr float unitsPerPixel = 1024.0f;
    void measureFont();
    int advanceUnitsOf (juce::juce_wchar c) const;
    float advanceOf (juce::juce_wchar c) const { return (float) advanceUnitsOf (c) / unitsPerPixel; }
    bool shouldWrap (int x) const noexcept { return x > wrapWidth; }
    template <typename OnBreak>
    int wrap (const juce::String& text, OnBreak&& onBreak) const;
    int countRows (const juce::String& text) const;
    std::vector<int> rowStartsOf (int line) const;
    void rewrapAll();

    // The running sum of rows, kept per block of lines.
    int firstRowOf (int line) const;
    // The line that holds this row, and the row's place within the line.
    std::pair<int, int> lineAndRowAt (int row) const;
    void addRowsOfNewLine (int rows);

    // Geometry: the text area inside the border, and the content's vertical extent.
    juce::Rectangle<int> getTextArea() const;
    float textLeft() const;
    double rowTop (int row) const;
    double maxViewTop() const;
    void setViewTop (double newTop);
    void updateScrollBar();
    void scheduleUpdate();

    Position positionAt (juce::Point<float> point) const;
    Position endOfText() const noexcept { return { getNumLines(), 0 }; }
    void scrollToShow (Position position);
    void select (Position newAnchor, Position newCaret);
    float xOf (const juce::String& text, int start, int index) const;

    void paintRow (juce::Graphics& g, const Row& row, float top) const;

    static constexpr int blockSize = 256;

    std::vector<juce::String> lines;
    std::vector<int> rowCounts; // wrapped rows of each line at the current width
    std::vector<int> blockFirstRows; // the first row of every block of lines
    int totalRows = 0;

    juce::Font font { 12.0f };
    std::array<int, 128> asciiAdvances {};
    int wrapWidth = 1; // in units

    double viewTop = 0.0; // the content's pixel at the top of the text area
    bool followNewest = false; // set by an append, cleared when the user scrolls
    Position anchor, caret; // the selection runs between them

    juce::ScrollBar scrollBar { true };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiLogView)
};
