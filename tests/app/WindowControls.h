#pragma once

#include "MainComponentProbe.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"
#include <gtest/gtest.h>

// The window's controls as the user sees them, parent by parent, in the order they lie
// (back to front): kind, caption, who listens, and bounds in the parent at width 660.

namespace window
{
enum class Listens
{
    none,
    button,
    combo,
    label,
    slider
};

struct Control
{
    const char* kind;
    const char* caption;
    Listens listener;
    juce::Rectangle<int> bounds;
};

// The width-dependent bounds at width 660 are given here; see boundsAtWidth().
inline const std::vector<Control>& mainComponentControls()
{
    static const std::vector<Control> controls {
        { "Label", "Select Interface", Listens::none, { 10, 10, 310, 24 } },
        { "Label", "V7 P5", Listens::none, { 618, 10, 36, 24 } },
        { "TextButton", "Search", Listens::button, { 120, 10, 100, 24 } },
        { "TextButton", "Clear Log", Listens::button, { 426, 10, 100, 24 } },
        { "TextButton", "Get Settings", Listens::button, { 10, 188, 100, 24 } },
        { "TextButton", "Save Settings", Listens::button, { 118, 188, 100, 24 } },
        { "ToggleButton", "Show MIDI Messages", Listens::none, { 258, 10, 160, 24 } },
        { "MidiLogView", "", Listens::none, { 258, 46, 392, 132 } },
        { "ZUNDeviceListBox", "", Listens::none, { 10, 46, 240, 132 } },
        // the preset row and the two groups
        { "Label", "Preset", Listens::none, { 214, 188, 52, 24 } },
        { "ComboBox", "", Listens::combo, { 270, 188, 164, 24 } },
        { "TextButton", "Load Preset", Listens::button, { 442, 188, 100, 24 } },
        { "TextButton", "Save Preset", Listens::button, { 548, 188, 100, 24 } },
        { "GroupComponent", "Runtime", Listens::none, { 10, 218, 640, 176 } },
        { "GroupComponent", "Settings", Listens::none, { 10, 398, 640, 180 } },
    };
    return controls;
}

inline const std::vector<Control>& runtimeGroupControls()
{
    static const std::vector<Control> controls {
        { "ToggleButton", "Allow Scene Selection", Listens::none, { 10, 18, 164, 24 } },
        { "ToggleButton", "Manual", Listens::button, { 436, 18, 76, 24 } },
        { "ToggleButton", "Poll", Listens::button, { 512, 18, 52, 24 } },
        { "ToggleButton", "Notify", Listens::button, { 564, 18, 76, 24 } },
        { "TextButton", "Scene A", Listens::button, { 10, 48, 164, 24 } },
        { "TextButton", "Scene B", Listens::button, { 10, 78, 164, 24 } },
        { "TextButton", "Clear Alarm", Listens::button, { 308, 78, 120, 24 } },
        { "TextButton", "Arm Failover", Listens::button, { 180, 48, 120, 24 } },
        { "TextButton", "Disarm Failover", Listens::button, { 180, 78, 120, 24 } },
        { "TextButton", "Get Runtime", Listens::button, { 436, 48, 120, 24 } },
        { "TextButton", "ARMED", Listens::button, { 180, 18, 120, 24 } },
        { "TextButton", "ALARM", Listens::button, { 308, 18, 120, 54 } },
        { "Label", "USB 1 Status:", Listens::none, { 10, 108, 100, 24 } },
        { "Label", "", Listens::none, { 106, 108, 80, 24 } },
        { "Label", "", Listens::none, { 186, 108, 80, 24 } },
        { "Label", "USB 2 Status:", Listens::none, { 10, 138, 100, 24 } },
        { "Label", "", Listens::none, { 106, 138, 80, 24 } },
        { "Label", "", Listens::none, { 186, 138, 80, 24 } },
        { "TextButton", "Ready", Listens::none, { 266, 108, 64, 24 } },
        { "TextButton", "Ready", Listens::none, { 266, 138, 64, 24 } },
        { "TextButton", "Fail", Listens::none, { 266, 108, 64, 24 } },
        { "TextButton", "Fail", Listens::none, { 266, 138, 64, 24 } },
        { "TextButton", "Master", Listens::none, { 338, 108, 64, 24 } },
        { "TextButton", "Master", Listens::none, { 338, 138, 64, 24 } },
    };
    return controls;
}

// "Max Vol" follows the slider; its bounds are checked against the slider instead.
inline const std::vector<Control>& settingsGroupControls()
{
    static const std::vector<Control> controls {
        { "Label", "Failover Mode", Listens::none, { 10, 18, 100, 24 } },
        { "Label", "Trigger Mode", Listens::none, { 10, 48, 100, 24 } },
        { "Label", "Audio Trigger", Listens::none, { 10, 78, 100, 24 } },
        { "Label", "Audio Channel:", Listens::none, { 278, 78, 108, 24 } },
        { "Label", "Audio Timeout:", Listens::none, { 418, 78, 108, 24 } },
        { "Label", "ms", Listens::none, { 580, 78, 30, 24 } },
        { "Label", "MIDI Trigger", Listens::none, { 10, 108, 100, 24 } },
        { "Label", "MIDI Port:", Listens::none, { 278, 108, 108, 24 } },
        { "Label", "MIDI Timeout:", Listens::none, { 418, 108, 108, 24 } },
        { "Label", "ms", Listens::none, { 580, 108, 30, 24 } },
        { "Label", "", Listens::label, { 382, 78, 32, 24 } },
        { "Label", "", Listens::label, { 522, 78, 58, 24 } },
        { "Label", "", Listens::label, { 382, 108, 32, 24 } },
        { "Label", "", Listens::label, { 522, 108, 58, 24 } },
        { "ComboBox", "", Listens::combo, { 114, 18, 160, 24 } },
        { "ComboBox", "", Listens::combo, { 114, 48, 160, 24 } },
        { "ComboBox", "", Listens::combo, { 114, 78, 160, 24 } },
        { "ComboBox", "", Listens::combo, { 114, 108, 160, 24 } },
        { "ToggleButton", "Auto Arm Failover", Listens::button, { 278, 18, 148, 24 } },
        { "ToggleButton", "Auto Switch Back to Scene A", Listens::button, { 422, 18, 212, 24 } },
        { "ToggleButton", "Auto Clear Alarm", Listens::button, { 278, 48, 148, 24 } },
        { "ToggleButton", "Send MIDI Panic", Listens::button, { 422, 48, 212, 24 } },
        { "ToggleButton", "Tone Check", Listens::button, { 10, 138, 100, 24 } },
        { "Slider", "", Listens::slider, { 210, 138, 300, 24 } },
        { "Label", "Max Vol", Listens::none, {} },
    };
    return controls;
}

// Indices into the tables above, for controls that have no caption of their own.
namespace index
{
    constexpr int selectInterfaceLabel = 0, versionLabel = 1, midiLog = 7, deviceList = 8, presetCombo = 10,
                  runtimeGroup = 13, settingsGroup = 14;
    constexpr int usb1AudioStatus = 13, usb1MidiStatus = 14, usb2AudioStatus = 16, usb2MidiStatus = 17;
    constexpr int audioChannelValue = 10, audioTimeoutValue = 11, midiPortValue = 12, midiTimeoutValue = 13,
                  failoverModeCombo = 14, triggerModeCombo = 15, audioTriggerCombo = 16, midiTriggerCombo = 17,
                  maxVolSlider = 23, maxVolLabel = 24;
} // namespace index

// Bounds of a top-level control at width w: the "Select Interface" label, the version
// label and the log follow the width; setBounds clamps a negative width to 0.
inline juce::Rectangle<int> boundsAtWidth (int childIndex, int w)
{
    auto bounds = mainComponentControls()[(size_t) childIndex].bounds;

    if (childIndex == index::selectInterfaceLabel)
        bounds.setWidth (juce::jmax (0, w / 2 - 20));
    else if (childIndex == index::versionLabel)
        bounds.setX (w - 42);
    else if (childIndex == index::midiLog)
        bounds.setWidth (juce::jmax (0, w - 268));

    return bounds;
}

inline juce::String kindOf (juce::Component& c)
{
    // Most derived first.
    if (dynamic_cast<ZUNDeviceListBox*> (&c) != nullptr)
        return "ZUNDeviceListBox";
    if (dynamic_cast<MidiLogView*> (&c) != nullptr)
        return "MidiLogView";
    if (dynamic_cast<juce::ToggleButton*> (&c) != nullptr)
        return "ToggleButton";
    if (dynamic_cast<juce::TextButton*> (&c) != nullptr)
        return "TextButton";
    if (dynamic_cast<juce::Label*> (&c) != nullptr)
        return "Label";
    if (dynamic_cast<juce::ComboBox*> (&c) != nullptr)
        return "ComboBox";
    if (dynamic_cast<juce::GroupComponent*> (&c) != nullptr)
        return "GroupComponent";
    if (dynamic_cast<juce::Slider*> (&c) != nullptr)
        return "Slider";
    return "other";
}

//==============================================================================
// One component on ports in memory (one input and one output, so that "nothing opened"
// and "nothing sent" mean something), with every alert recorded instead of shown.
class WindowTest : public ::testing::Test
{
protected:
    WindowTest()
    {
        inputId = ports.addInput ("Test In");
        outputId = ports.addOutput ("Test Out", [this] (const juce::MidiMessage& m)
                                    { sent.add (m); });
        component = std::make_unique<MainComponent> (ports, [this] (const juce::String& title, const juce::String& message)
                                                     { alerts.add (title + ": " + message); });
        probe = std::make_unique<MainComponentProbe> (*component);
    }

    ~WindowTest() override
    {
        probe.reset();
        component.reset();
    }

    juce::Component& child (juce::Component& parent, int index) { return *parent.getChildComponent (index); }
    juce::Component& top (int index) { return child (*component, index); }
    juce::Component& runtime (int index) { return child (top (index::runtimeGroup), index); }
    juce::Component& settings (int index) { return child (top (index::settingsGroup), index); }

    template <typename Type>
    Type& as (juce::Component& c)
    {
        auto* typed = dynamic_cast<Type*> (&c);
        if (typed == nullptr)
            throw std::runtime_error ("control of an unexpected kind");
        return *typed;
    }

    juce::Label& versionLabel() { return as<juce::Label> (top (index::versionLabel)); }
    juce::Slider& maxVolSlider() { return as<juce::Slider> (settings (index::maxVolSlider)); }
    juce::Label& maxVolLabel() { return as<juce::Label> (settings (index::maxVolLabel)); }

    VirtualMidiPortSystem ports;
    juce::String inputId, outputId;
    juce::Array<juce::MidiMessage> sent;
    juce::StringArray alerts;
    std::unique_ptr<MainComponent> component;
    std::unique_ptr<MainComponentProbe> probe;
};
} // namespace window
