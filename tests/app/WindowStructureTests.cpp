#include "WindowControls.h"

// What the user finds in the window right after it opens: the controls in their order with
// their captions and styles, which of them act, the radio group, and a component that has
// opened nothing, started nothing and sent nothing.

using namespace window;

namespace
{
// JUCE offers no query of a control's listeners. An explicit instantiation may name a
// private member, which lets the test read the lists without changing JUCE.
template <typename Owner, typename Listener, juce::ListenerList<Listener> Owner::*list>
struct ListenerAccess
{
    friend bool hasListener (Owner& owner, Listener* listener) { return (owner.*list).contains (listener); }
};

bool hasListener (juce::Button&, juce::Button::Listener*);
bool hasListener (juce::Label&, juce::Label::Listener*);
bool hasListener (juce::ComboBox&, juce::ComboBox::Listener*);
template struct ListenerAccess<juce::Button, juce::Button::Listener, &juce::Button::buttonListeners>;
template struct ListenerAccess<juce::Label, juce::Label::Listener, &juce::Label::listeners>;
template struct ListenerAccess<juce::ComboBox, juce::ComboBox::Listener, &juce::ComboBox::listeners>;

// Whether the component listens to this control; empty where JUCE hides the list (the slider).
std::optional<bool> componentListensTo (juce::Component& c, MainComponentProbe& probe)
{
    if (auto* b = dynamic_cast<juce::Button*> (&c))
        return hasListener (*b, probe.asButtonListener());
    if (auto* l = dynamic_cast<juce::Label*> (&c))
        return hasListener (*l, probe.asLabelListener());
    if (auto* combo = dynamic_cast<juce::ComboBox*> (&c))
        return hasListener (*combo, probe.asComboBoxListener());
    return std::nullopt;
}
} // namespace

using WindowStructure = WindowTest;

TEST_F (WindowStructure, EveryControlLiesInItsParentInOrderWithItsCaptionStyleAndListener)
{
    // The top strip (9) and the preset row with the two groups (6); 24 and 25 in the groups.
    ASSERT_EQ (topControls.size(), 9u + 6u);
    ASSERT_EQ (runtimeControls.size(), 24u);
    ASSERT_EQ (settingsControls.size(), 25u);
    const std::map<juce::String, juce::Colour> lamps { { "ARMED", juce::Colours::green }, { "ALARM", juce::Colours::red }, { "Ready", juce::Colours::green }, { "Fail", juce::Colours::red }, { "Master", juce::Colours::blue } };
    constexpr auto colourId = juce::TextButton::buttonColourId;

    for (auto& [name, parent, controls] : parents())
    {
        SCOPED_TRACE (name);
        ASSERT_EQ (parent->getNumChildComponents(), (int) controls->size());

        for (int i = 0; i < (int) controls->size(); ++i)
        {
            const auto& expected = (*controls)[(size_t) i];
            auto& actual = *parent->getChildComponent (i);
            SCOPED_TRACE ("child " + juce::String (i) + " " + expected.caption);

            EXPECT_EQ (kindOf (actual), expected.kind);
            EXPECT_EQ (ui::captionOf (actual), expected.caption);
            if (const auto listens = componentListensTo (actual, probe))
            {
                EXPECT_EQ (*listens, expected.listens);
            }

            // Captions at 15 points, "V7 P5" at 12; only the value labels, which are listened to, are editable.
            if (auto* label = dynamic_cast<juce::Label*> (&actual))
            {
                EXPECT_FLOAT_EQ (label->getFont().getHeight(), &actual == &top (versionLabel) ? 12.0f : 15.0f);
                EXPECT_EQ (label->isEditableOnSingleClick(), expected.listens);
            }

            // Only the lamps have a colour of their own.
            if (auto* b = dynamic_cast<juce::TextButton*> (&actual))
            {
                const auto lamp = lamps.find (expected.caption);
                EXPECT_EQ (b->isColourSpecified (colourId) ? b->findColour (colourId) : juce::Colour(), lamp != lamps.end() ? lamp->second : juce::Colour());
            }
        }
    }

    EXPECT_EQ (slider().getTextValueSuffix(), " dB");
    auto& maxVol = dynamic_cast<juce::Label&> (settings (maxVolLabel));
    EXPECT_EQ (maxVol.getAttachedComponent(), &slider());
    EXPECT_TRUE (maxVol.isAttachedOnLeft());
}

TEST_F (WindowStructure, RightAfterConstructionNothingIsOpenRunningSentOrShownAndSaveSettingsDoesNothing)
{
    const auto expectQuiet = [this]
    {
        ui::pump (50); // anything the constructor or a click might have posted
        EXPECT_EQ (ports.getNumOpenPorts(), 0);
        EXPECT_TRUE (sent.isEmpty());
        EXPECT_FALSE (probe.anyTimerRunning());
        EXPECT_TRUE (alerts.isEmpty());
        EXPECT_EQ (probe.requestState(), MainComponent::idle);
        EXPECT_EQ (probe.midiLog().getNumLines(), 0);
        EXPECT_FALSE (ui::button (component, "Save Settings").isVisible());
    };

    expectQuiet();
    EXPECT_EQ (component.getBounds(), juce::Rectangle<int> (0, 0, 660, 592));
    EXPECT_EQ (probe.logLineCounter(), 1);
    EXPECT_FALSE (probe.showMidiMessagesToggle().getToggleState());
    EXPECT_EQ (probe.deviceListBox().getModel()->getNumRows(), 0);

    // Of the panels, only the lamps are hidden until a runtime reading shows them.
    const juce::StringArray lamps { "ARMED", "ALARM", "Ready", "Fail", "Master" };
    for (auto* c : top (runtimeGroup).getChildren())
        EXPECT_EQ (c->isVisible(), ! lamps.contains (ui::captionOf (*c))) << ui::captionOf (*c);

    for (auto* caption : { "Save Settings", "ARMED", "ALARM" })
    {
        SCOPED_TRACE (caption);
        ui::button (component, caption).triggerClick();
        expectQuiet();
    }
}

TEST_F (WindowStructure, RuntimeModeTogglesFormOneRadioGroupThatLeavesOtherTogglesAlone)
{
    ui::click (component, "Allow Scene Selection");

    for (auto* caption : { "Poll", "Manual", "Notify", "Poll", "Poll" })
    {
        SCOPED_TRACE (caption);
        ui::click (component, caption);

        for (auto* mode : { "Manual", "Poll", "Notify" })
            EXPECT_EQ (ui::button (component, mode).getToggleState(), juce::String (mode) == caption) << mode;
        EXPECT_TRUE (ui::button (component, "Allow Scene Selection").getToggleState());
    }
}
