#pragma once

#include "MainComponentProbe.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"
#include <gtest/gtest.h>
#include <typeindex>

// The window's controls parent by parent, back to front: kind, caption, whether the
// component listens to it, and its bounds in the parent at width 660.
namespace window
{
struct Control
{
    const char* kind;
    const char* caption;
    bool listens;
    juce::Rectangle<int> bounds;
};

inline const std::vector<Control> topControls {
    { "Label", "Select Interface", false, { 10, 10, 310, 24 } }, // width W / 2 - 20
    { "Label", "V7 P5", false, { 618, 10, 36, 24 } }, // x W - 42
    { "TextButton", "Search", true, { 120, 10, 100, 24 } },
    { "TextButton", "Clear Log", true, { 426, 10, 100, 24 } },
    { "TextButton", "Get Settings", true, { 10, 188, 100, 24 } },
    { "TextButton", "Save Settings", true, { 118, 188, 100, 24 } },
    { "ToggleButton", "Show MIDI Messages", false, { 258, 10, 160, 24 } },
    { "MidiLogView", "", false, { 258, 46, 392, 132 } }, // width W - 268
    { "ZUNDeviceListBox", "", false, { 10, 46, 240, 132 } },
    { "Label", "Preset", false, { 214, 188, 52, 24 } },
    { "ComboBox", "", true, { 270, 188, 164, 24 } },
    { "TextButton", "Load Preset", true, { 442, 188, 100, 24 } },
    { "TextButton", "Save Preset", true, { 548, 188, 100, 24 } },
    { "GroupComponent", "Runtime", false, { 10, 218, 640, 176 } },
    { "GroupComponent", "Settings", false, { 10, 398, 640, 180 } },
};

inline const std::vector<Control> runtimeControls {
    { "ToggleButton", "Allow Scene Selection", false, { 10, 18, 164, 24 } },
    { "ToggleButton", "Manual", true, { 436, 18, 76, 24 } },
    { "ToggleButton", "Poll", true, { 512, 18, 52, 24 } },
    { "ToggleButton", "Notify", true, { 564, 18, 76, 24 } },
    { "TextButton", "Scene A", true, { 10, 48, 164, 24 } },
    { "TextButton", "Scene B", true, { 10, 78, 164, 24 } },
    { "TextButton", "Clear Alarm", true, { 308, 78, 120, 24 } },
    { "TextButton", "Arm Failover", true, { 180, 48, 120, 24 } },
    { "TextButton", "Disarm Failover", true, { 180, 78, 120, 24 } },
    { "TextButton", "Get Runtime", true, { 436, 48, 120, 24 } },
    { "TextButton", "ARMED", true, { 180, 18, 120, 24 } },
    { "TextButton", "ALARM", true, { 308, 18, 120, 54 } },
    { "Label", "USB 1 Status:", false, { 10, 108, 100, 24 } },
    { "Label", "", false, { 106, 108, 80, 24 } },
    { "Label", "", false, { 186, 108, 80, 24 } },
    { "Label", "USB 2 Status:", false, { 10, 138, 100, 24 } },
    { "Label", "", false, { 106, 138, 80, 24 } },
    { "Label", "", false, { 186, 138, 80, 24 } },
    { "TextButton", "Ready", false, { 266, 108, 64, 24 } },
    { "TextButton", "Ready", false, { 266, 138, 64, 24 } },
    { "TextButton", "Fail", false, { 266, 108, 64, 24 } },
    { "TextButton", "Fail", false, { 266, 138, 64, 24 } },
    { "TextButton", "Master", false, { 338, 108, 64, 24 } },
    { "TextButton", "Master", false, { 338, 138, 64, 24 } },
};

inline const std::vector<Control> settingsControls {
    { "Label", "Failover Mode", false, { 10, 18, 100, 24 } },
    { "Label", "Trigger Mode", false, { 10, 48, 100, 24 } },
    { "Label", "Audio Trigger", false, { 10, 78, 100, 24 } },
    { "Label", "Audio Channel:", false, { 278, 78, 108, 24 } },
    { "Label", "Audio Timeout:", false, { 418, 78, 108, 24 } },
    { "Label", "ms", false, { 580, 78, 30, 24 } },
    { "Label", "MIDI Trigger", false, { 10, 108, 100, 24 } },
    { "Label", "MIDI Port:", false, { 278, 108, 108, 24 } },
    { "Label", "MIDI Timeout:", false, { 418, 108, 108, 24 } },
    { "Label", "ms", false, { 580, 108, 30, 24 } },
    { "Label", "", true, { 382, 78, 32, 24 } }, // audio channel value
    { "Label", "", true, { 522, 78, 58, 24 } }, // audio timeout value
    { "Label", "", true, { 382, 108, 32, 24 } }, // MIDI port value
    { "Label", "", true, { 522, 108, 58, 24 } }, // MIDI timeout value
    { "ComboBox", "", true, { 114, 18, 160, 24 } }, // failover mode
    { "ComboBox", "", true, { 114, 48, 160, 24 } }, // trigger mode
    { "ComboBox", "", true, { 114, 78, 160, 24 } }, // audio trigger
    { "ComboBox", "", true, { 114, 108, 160, 24 } }, // MIDI trigger
    { "ToggleButton", "Auto Arm Failover", true, { 278, 18, 148, 24 } },
    { "ToggleButton", "Auto Switch Back to Scene A", true, { 422, 18, 212, 24 } },
    { "ToggleButton", "Auto Clear Alarm", true, { 278, 48, 148, 24 } },
    { "ToggleButton", "Send MIDI Panic", true, { 422, 48, 212, 24 } },
    { "ToggleButton", "Tone Check", true, { 10, 138, 100, 24 } },
    { "Slider", "", true, { 210, 138, 300, 24 } },
    { "Label", "Max Vol", false, {} }, // follows the slider
};

constexpr int versionLabel = 1, runtimeGroup = 13, settingsGroup = 14, maxVolSlider = 23, maxVolLabel = 24;

// Bounds at width w: the heading, the version and the log follow it; setBounds clamps a
// negative width to 0.
inline juce::Rectangle<int> boundsAtWidth (const Control& control, int w)
{
    if (juce::String (control.caption) == "Select Interface")
        return control.bounds.withWidth (juce::jmax (0, w / 2 - 20));
    if (juce::String (control.caption) == "V7 P5")
        return control.bounds.withX (w - 42);
    if (juce::String (control.kind) == "MidiLogView")
        return control.bounds.withWidth (juce::jmax (0, w - 268));
    return control.bounds;
}

inline juce::String kindOf (juce::Component& c)
{
    static const std::map<std::type_index, const char*> kinds { { typeid (juce::Label), "Label" }, { typeid (juce::TextButton), "TextButton" }, { typeid (juce::ToggleButton), "ToggleButton" }, { typeid (juce::ComboBox), "ComboBox" }, { typeid (juce::Slider), "Slider" }, { typeid (juce::GroupComponent), "GroupComponent" }, { typeid (MidiLogView), "MidiLogView" }, { typeid (ZUNDeviceListBox), "ZUNDeviceListBox" } };
    const auto kind = kinds.find (typeid (c));
    return kind != kinds.end() ? kind->second : "other";
}

// One component on ports in memory (one input, one output, so that "nothing opened" and
// "nothing sent" mean something), with every alert recorded instead of shown.
class WindowTest : public ::testing::Test
{
protected:
    VirtualMidiPortSystem ports;
    juce::Array<juce::MidiMessage> sent;
    juce::StringArray alerts;
    juce::String inputId = ports.addInput ("Test In");
    juce::String outputId = ports.addOutput ("Test Out", [this] (const juce::MidiMessage& m)
                                             { sent.add (m); });
    AlertFunction recordAlert = [this] (const juce::String& title, const juce::String& message)
    { alerts.add (title + ": " + message); };
    MainComponent component { ports, recordAlert };
    MainComponentProbe probe { component };

    juce::Component& top (int i) { return *component.getChildComponent (i); }
    juce::Component& runtime (int i) { return *top (runtimeGroup).getChildComponent (i); }
    juce::Component& settings (int i) { return *top (settingsGroup).getChildComponent (i); }
    juce::Slider& slider() { return dynamic_cast<juce::Slider&> (settings (maxVolSlider)); }

    // Each parent with its name and the table of its children.
    std::vector<std::tuple<const char*, juce::Component*, const std::vector<Control>*>> parents() { return { { "MainComponent", &component, &topControls }, { "Runtime", &top (runtimeGroup), &runtimeControls }, { "Settings", &top (settingsGroup), &settingsControls } }; }
};
} // namespace window
