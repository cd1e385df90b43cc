#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The monitor's log: the lines live in a vector and only the visible rows are painted,
// so appending costs the same however long the log has grown. Lines can be selected
// (click, shift-click, ctrl/cmd-click, ctrl/cmd-A) and copied with ctrl/cmd-C.
class MidiLogView final : public juce::Component,
                          private juce::ListBoxModel
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

    // The selected lines in log order, each ended by "\r\n"; empty when nothing is selected.
    juce::String getSelectedText() const;
    // Puts the selected lines on the clipboard; does nothing when nothing is selected.
    void copySelectedLines();

    // Where copied text goes; the system clipboard unless replaced (tests record here).
    std::function<void (const juce::String&)> copyToClipboard;

    void setFont (const juce::Font& newFont);
    const juce::Font& getFont() const noexcept { return font; }

    void resized() override;
    bool keyPressed (const juce::KeyPress& key) override;
    void lookAndFeelChanged() override;

private:
    int getNumRows() override;
    void paintListBoxItem (int rowNumber, juce::Graphics& g, int width, int height, bool rowIsSelected) override;
    juce::String getNameForRow (int rowNumber) override;

    void updateColours();
    int widthOf (const juce::String& line) const;
    void showNewestLine();

    static constexpr int textInset = 3;

    std::vector<juce::String> lines;
    juce::Font font { 12.0f };
    int widestLine = 0; // lets the rows scroll sideways instead of cutting long lines off
    juce::ListBox listBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiLogView)
};
