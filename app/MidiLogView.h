#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The monitor's log: the lines live in a vector and only the visible rows are painted,
// so appending costs the same however long the log has grown.
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
    const juce::String& getLine (int index) const;
    // All lines, each ended by "\r\n".
    juce::String getText() const;

    void setFont (const juce::Font& newFont);
    const juce::Font& getFont() const noexcept { return font; }

    void resized() override;

private:
    int getNumRows() override;
    void paintListBoxItem (int rowNumber, juce::Graphics& g, int width, int height, bool rowIsSelected) override;

    std::vector<juce::String> lines;
    juce::Font font { 12.0f };
    juce::ListBox listBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiLogView)
};
