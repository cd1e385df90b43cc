#include "WindowControls.h"

// What the user finds in the window right after it opens: the controls, their captions and
// order, which of them act, the caption style, the radio group, and a component that has
// opened nothing, started nothing and sent nothing.

using namespace window;

namespace
{
// JUCE keeps each control's listener list private and offers no query. Naming a private
// member in an explicit template instantiation is allowed, which lets the tests read the
// lists without changing JUCE or the application.
template <typename Tag, typename Tag::type member>
struct PrivateMember
{
    friend typename Tag::type get (Tag) { return member; }
};

struct ButtonListenersTag
{
    using type = juce::ListenerList<juce::Button::Listener> juce::Button::*;
    friend type get (ButtonListenersTag);
};

struct LabelListenersTag
{
    using type = juce::ListenerList<juce::Label::Listener> juce::Label::*;
    friend type get (LabelListenersTag);
};

struct ComboBoxListenersTag
{
    using type = juce::ListenerList<juce::ComboBox::Listener> juce::ComboBox::*;
    friend type get (ComboBoxListenersTag);
};

template struct PrivateMember<ButtonListenersTag, &juce::Button::buttonListeners>;
template struct PrivateMember<LabelListenersTag, &juce::Label::listeners>;
template struct PrivateMember<ComboBoxListenersTag, &juce::ComboBox::listeners>;

const juce::ListenerList<juce::Button::Listener>& listenersOf (juce::Button& b) { return b.*get (ButtonListenersTag {}); }
const juce::ListenerList<juce::Label::Listener>& listenersOf (juce::Label& l) { return l.*get (LabelListenersTag {}); }
const juce::ListenerList<juce::ComboBox::Listener>& listenersOf (juce::ComboBox& c) { return c.*get (ComboBoxListenersTag {}); }
} // namespace

class WindowStructure : public WindowTest
{
protected:
    struct Parent
    {
        const char* name;
        juce::Component* component;
        const std::vector<Control>* controls;
    };

    std::vector<Parent> parents()
    {
        return { { "MainComponent", component.get(), &mainComponentControls() },
                 { "Runtime", &top (index::runtimeGroup), &runtimeGroupControls() },
                 { "Settings", &top (index::settingsGroup), &settingsGroupControls() } };
    }

    // What a user could notice of the component's activity.
    juce::String activity()
    {
        return "state " + juce::String (probe->requestState()) + ", timers " + juce::String ((int) probe->anyTimerRunning())
               + ", open ports " + juce::String (ports.getNumOpenPorts()) + ", sent " + juce::String (sent.size())
               + ", log lines " + juce::String (probe->midiLog().getNumLines()) + ", alerts " + juce::String (alerts.size());
    }
};

//==============================================================================
TEST_F (WindowStructure, EveryControlLiesInItsParentInOrderWithItsCaption)
{
    for (auto& parent : parents())
    {
        SCOPED_TRACE (parent.name);
        ASSERT_EQ (parent.component->getNumChildComponents(), (int) parent.controls->size());

        for (int i = 0; i < (int) parent.controls->size(); ++i)
        {
            const auto& expected = (*parent.controls)[(size_t) i];
            auto& actual = child (*parent.component, i);
            SCOPED_TRACE ("child " + juce::String (i) + " " + expected.caption);

            EXPECT_EQ (kindOf (actual), expected.kind);
            EXPECT_EQ (ui::captionOf (actual), expected.caption);
        }
    }

    // The top strip, then the preset row and the two groups: 6, 24 and 25 panel controls.
    EXPECT_EQ (mainComponentControls().size(), 9u + 6u);
    EXPECT_EQ (runtimeGroupControls().size(), 24u);
    EXPECT_EQ (settingsGroupControls().size(), 25u);
}

TEST_F (WindowStructure, TheComponentListensToExactlyTheControlsThatAct)
{
    int buttons = 0, combos = 0, labels = 0;

    for (auto& parent : parents())
    {
        for (int i = 0; i < (int) parent.controls->size(); ++i)
        {
            const auto& expected = (*parent.controls)[(size_t) i];
            auto& actual = child (*parent.component, i);
            SCOPED_TRACE (juce::String (parent.name) + " child " + juce::String (i) + " " + expected.caption);

            if (auto* b = dynamic_cast<juce::Button*> (&actual))
            {
                const bool listens = expected.listener == Listens::button;
                EXPECT_EQ (listenersOf (*b).contains (probe->asButtonListener()), listens);
                EXPECT_EQ (listenersOf (*b).size(), listens ? 1 : 0);
                buttons += listens ? 1 : 0;
            }
            else if (auto* l = dynamic_cast<juce::Label*> (&actual))
            {
                const bool listens = expected.listener == Listens::label;
                EXPECT_EQ (listenersOf (*l).contains (probe->asLabelListener()), listens);
                EXPECT_EQ (listenersOf (*l).size(), listens ? 1 : 0);
                labels += listens ? 1 : 0;
            }
            else if (auto* c = dynamic_cast<juce::ComboBox*> (&actual))
            {
                EXPECT_EQ (expected.listener, Listens::combo);
                EXPECT_TRUE (listenersOf (*c).contains (probe->asComboBoxListener()));
                EXPECT_EQ (listenersOf (*c).size(), 1);
                ++combos;
            }
        }
    }

    // The four top-strip buttons and the 18 of the panels; 5 combo boxes; the 4 value labels.
    EXPECT_EQ (buttons, 4 + 18);
    EXPECT_EQ (combos, 5);
    EXPECT_EQ (labels, 4);
}

//==============================================================================
TEST_F (WindowStructure, RightAfterConstructionNothingIsOpenRunningSentOrShown)
{
    ui::pump (100); // anything the constructor might have posted

    EXPECT_EQ (ports.getNumOpenPorts(), 0);
    EXPECT_EQ (ports.getOpenCount (inputId), 0);
    EXPECT_EQ (ports.getOpenCount (outputId), 0);
    EXPECT_TRUE (sent.isEmpty());
    EXPECT_FALSE (probe->anyTimerRunning());
    EXPECT_TRUE (alerts.isEmpty());

    EXPECT_EQ (probe->midiInputs().size(), 0);
    EXPECT_EQ (probe->midiOutputs().size(), 0);
    EXPECT_EQ (probe->discoveredInterfaces().size(), 0);
    juce::ListBox& list = probe->deviceListBox();
    EXPECT_EQ (list.getModel()->getNumRows(), 0);
    EXPECT_EQ (probe->midiLog().getNumLines(), 0);

    EXPECT_FALSE (probe->showMidiMessagesToggle().getToggleState());
    EXPECT_FALSE (ui::button (*component, "Save Settings").isVisible());

    EXPECT_EQ (probe->requestState(), MainComponent::idle);
    EXPECT_EQ (probe->runtimeMode(), MainComponent::Manual);
    EXPECT_EQ (probe->logLineCounter(), 1);
    EXPECT_FALSE (probe->settingsLoaded());
    EXPECT_FALSE (probe->runtimeRequest());

    EXPECT_EQ (component->getWidth(), 660);
    EXPECT_EQ (component->getHeight(), 592);
}

TEST_F (WindowStructure, PanelsStartEmptyWithTheIndicatorsHidden)
{
    for (auto* caption : { "ARMED", "ALARM", "Ready", "Fail", "Master" })
    {
        SCOPED_TRACE (caption);
        int found = 0;

        for (int i = 0; i < (int) runtimeGroupControls().size(); ++i)
        {
            if (ui::captionOf (runtime (i)) == caption)
            {
                EXPECT_FALSE (runtime (i).isVisible());
                ++found;
            }
        }

        EXPECT_EQ (found, juce::String (caption).startsWith ("A") ? 1 : 2);
    }

    // Everything else of the panels is visible and enabled, every toggle off, every
    // combo box empty and every value and status label empty.
    for (auto* parent : { &top (index::runtimeGroup), &top (index::settingsGroup) })
        for (auto* c : parent->getChildren())
        {
            SCOPED_TRACE (ui::captionOf (*c));
            EXPECT_TRUE (c->isEnabled());

            if (auto* toggle = dynamic_cast<juce::ToggleButton*> (c))
            {
                EXPECT_TRUE (toggle->isVisible());
                EXPECT_FALSE (toggle->getToggleState());
            }
            if (auto* combo = dynamic_cast<juce::ComboBox*> (c))
            {
                EXPECT_TRUE (combo->isVisible());
                EXPECT_EQ (combo->getNumItems(), 0);
                EXPECT_EQ (combo->getSelectedId(), 0);
            }
        }

    for (int i : { index::usb1AudioStatus, index::usb1MidiStatus, index::usb2AudioStatus, index::usb2MidiStatus })
        EXPECT_TRUE (as<juce::Label> (runtime (i)).getText().isEmpty());
    for (int i : { index::audioChannelValue, index::audioTimeoutValue, index::midiPortValue, index::midiTimeoutValue })
        EXPECT_TRUE (as<juce::Label> (settings (i)).getText().isEmpty());

    auto& presetCombo = as<juce::ComboBox> (top (index::presetCombo));
    EXPECT_EQ (presetCombo.getNumItems(), 0);
    EXPECT_EQ (presetCombo.getSelectedId(), 0);
}

//==============================================================================
TEST_F (WindowStructure, CaptionsShowAtFifteenPointsCentredLeftAndOnlyTheValueLabelsAreEditable)
{
    EXPECT_EQ (versionLabel().getText(), "V7 P5");
    EXPECT_FLOAT_EQ (versionLabel().getFont().getHeight(), 12.0f);

    const std::set<juce::Component*> valueLabels { &settings (index::audioChannelValue), &settings (index::audioTimeoutValue), &settings (index::midiPortValue), &settings (index::midiTimeoutValue) };
    int captions = 0;

    for (auto& parent : parents())
        for (auto* c : parent.component->getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (c))
            {
                SCOPED_TRACE (juce::String (parent.name) + " \"" + label->getText() + "\"");
                ++captions;

                EXPECT_FLOAT_EQ (label->getFont().getHeight(), label == &versionLabel() ? 12.0f : 15.0f);
                EXPECT_EQ (label->getFont().getStyleFlags(), juce::Font::plain);
                EXPECT_EQ (label->getJustificationType(), juce::Justification (juce::Justification::centredLeft));

                const bool isValue = valueLabels.count (label) > 0;
                EXPECT_EQ (label->isEditableOnSingleClick(), isValue);
                EXPECT_FALSE (label->isEditableOnDoubleClick());
                EXPECT_FALSE (label->doesLossOfFocusDiscardChanges());
            }

    EXPECT_EQ (captions, 2 + 1 + 6 + 15); // top strip, "Preset", runtime group, settings group
}

TEST_F (WindowStructure, IndicatorsCarryTheirLampColoursAndNoOtherButtonIsColoured)
{
    const std::map<juce::String, juce::Colour> lamps { { "ARMED", juce::Colours::green }, { "ALARM", juce::Colours::red }, { "Ready", juce::Colours::green }, { "Fail", juce::Colours::red }, { "Master", juce::Colours::blue } };

    for (auto& parent : parents())
        for (auto* c : parent.component->getChildren())
            if (auto* b = dynamic_cast<juce::TextButton*> (c))
            {
                SCOPED_TRACE (b->getButtonText());
                const auto lamp = lamps.find (b->getButtonText());

                if (lamp == lamps.end())
                {
                    EXPECT_FALSE (b->isColourSpecified (juce::TextButton::buttonColourId));
                }
                else
                {
                    EXPECT_TRUE (b->isColourSpecified (juce::TextButton::buttonColourId));
                    EXPECT_EQ (b->findColour (juce::TextButton::buttonColourId), lamp->second);
                }
            }
}

TEST_F (WindowStructure, TheLevelSliderShowsDecibelsWithMaxVolAttachedOnItsLeft)
{
    auto& slider = maxVolSlider();
    EXPECT_EQ (slider.getTextValueSuffix(), " dB");
    EXPECT_EQ (slider.getSliderStyle(), juce::Slider::LinearHorizontal);
    EXPECT_EQ (slider.getTextBoxPosition(), juce::Slider::TextBoxLeft);
    EXPECT_TRUE (slider.getTextFromValue (slider.getValue()).endsWith (" dB"));

    auto& label = maxVolLabel();
    EXPECT_EQ (label.getAttachedComponent(), &slider);
    EXPECT_TRUE (label.isAttachedOnLeft());

    const auto besideTheSlider = [&]
    {
        EXPECT_EQ (label.getRight(), slider.getX());
        EXPECT_EQ (label.getY(), slider.getY());
        EXPECT_EQ (label.getHeight(), slider.getHeight());
        EXPECT_GT (label.getWidth(), 0);
        EXPECT_LE (label.getWidth(), slider.getX());
    };

    besideTheSlider();

    // Moving or resizing the slider takes the label along.
    slider.setBounds (300, 20, 200, 30);
    besideTheSlider();

    // Its width never exceeds the slider's x.
    slider.setBounds (12, 0, 200, 24);
    besideTheSlider();
    EXPECT_EQ (label.getX(), 0);
}

//==============================================================================
TEST_F (WindowStructure, RuntimeModeTogglesFormOneRadioGroup)
{
    auto& manual = ui::button (*component, "Manual");
    auto& poll = ui::button (*component, "Poll");
    auto& notify = ui::button (*component, "Notify");
    auto& allowSceneSelection = ui::button (*component, "Allow Scene Selection");

    const auto onlyOn = [&] (juce::Button* on)
    {
        EXPECT_EQ (manual.getToggleState(), on == &manual);
        EXPECT_EQ (poll.getToggleState(), on == &poll);
        EXPECT_EQ (notify.getToggleState(), on == &notify);
    };

    onlyOn (nullptr);
    for (auto* b : { &manual, &poll, &notify })
        EXPECT_EQ (b->getRadioGroupId(), 1);

    // By clicks, as the user does; a toggle outside the group keeps its state.
    allowSceneSelection.setToggleState (true, juce::dontSendNotification);

    for (auto* caption : { "Poll", "Manual", "Notify", "Poll", "Poll" })
    {
        SCOPED_TRACE (caption);
        ui::click (*component, caption);
        onlyOn (&ui::button (*component, caption));
    }
    EXPECT_TRUE (allowSceneSelection.getToggleState());

    // And by setting the state, as the settings read does.
    for (auto* b : { &notify, &manual, &poll })
    {
        SCOPED_TRACE (b->getButtonText());
        b->setToggleState (true, juce::dontSendNotification);
        onlyOn (b);
    }

    // Before settings are loaded the mode itself does not change.
    EXPECT_EQ (probe->runtimeMode(), MainComponent::Manual);
}

TEST_F (WindowStructure, AllowSceneSelectionToggleChangesOnlyItself)
{
    auto& allow = ui::button (*component, "Allow Scene Selection");

    ui::click (*component, "Allow Scene Selection");
    EXPECT_TRUE (allow.getToggleState());
    ui::click (*component, "Allow Scene Selection");
    EXPECT_FALSE (allow.getToggleState());

    for (auto* caption : { "Manual", "Poll", "Notify" })
        EXPECT_FALSE (ui::button (*component, caption).getToggleState());
}

//==============================================================================
TEST_F (WindowStructure, SaveSettingsAndTheTwoLampsDoNothingWhenClicked)
{
    ui::pump (50);
    const auto before = activity();

    for (auto* caption : { "Save Settings", "ARMED", "ALARM" })
    {
        SCOPED_TRACE (caption);
        ui::click (*component, caption, 50);
        EXPECT_EQ (activity(), before);
    }

    EXPECT_FALSE (ui::button (*component, "Save Settings").isVisible());
}

TEST_F (WindowStructure, ClearLogEmptiesTheLogAndRestartsTheNumbering)
{
    ui::click (*component, "Show MIDI Messages");
    ASSERT_TRUE (probe->showMidiMessagesToggle().getToggleState());

    probe->addMessageToList (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), false);
    probe->addMessageToList (juce::MidiMessage::noteOff (1, 60), false);
    ASSERT_EQ (probe->midiLog().getNumLines(), 2);
    ASSERT_EQ (probe->logLineCounter(), 3);

    ui::click (*component, "Clear Log");

    EXPECT_EQ (probe->midiLog().getNumLines(), 0);
    EXPECT_EQ (probe->logLineCounter(), 1);
}

TEST_F (WindowStructure, SearchClickStartsDiscoveryOnThePorts)
{
    ui::click (*component, "Search");

    EXPECT_EQ (probe->requestState(), MainComponent::discovering);
    EXPECT_TRUE (probe->isTimerRunning (MainComponent::discoveryWindow));
    EXPECT_TRUE (ports.isOutputOpen (outputId));
    EXPECT_EQ (sent.size(), 1);

    // Nobody answers: the search ends idle with every port closed and no alert.
    EXPECT_TRUE (ui::pumpUntil ([&]
                                { return probe->requestState() == MainComponent::idle && ! probe->anyTimerRunning(); },
                                3000));
    EXPECT_EQ (ports.getNumOpenPorts(), 0);
    EXPECT_TRUE (alerts.isEmpty());
}

TEST_F (WindowStructure, ClosingTheWindowDuringASearchClosesEveryPortAndShowsNoAlert)
{
    ui::click (*component, "Search");
    ASSERT_GT (ports.getNumOpenPorts(), 0);
    const auto sentBefore = sent.size();

    probe.reset();
    component.reset();
    ui::pump (100);

    EXPECT_EQ (ports.getNumOpenPorts(), 0);
    EXPECT_EQ (sent.size(), sentBefore);
    EXPECT_TRUE (alerts.isEmpty());
}

TEST_F (WindowStructure, AClickWhereSearchCoversTheSelectInterfaceLabelReachesTheButton)
{
    auto& label = top (index::selectInterfaceLabel);
    auto& search = ui::button (*component, "Search");
    auto& showMessages = ui::button (*component, "Show MIDI Messages");

    // The label runs under "Search" and, at this width, under part of the toggle.
    ASSERT_TRUE (label.getBounds().contains (search.getBounds()));
    ASSERT_TRUE (label.getBounds().intersects (showMessages.getBounds()));

    // Shown, as in its window: only visible components take mouse clicks.
    component->setVisible (true);

    EXPECT_EQ (component->getComponentAt (150, 22), &search);
    EXPECT_EQ (component->getComponentAt (300, 22), &showMessages);
    EXPECT_EQ (component->getComponentAt (50, 22), &label);
}
