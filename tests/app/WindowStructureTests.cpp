#include "MainComponentProbe.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"
#include <gtest/gtest.h>
#include <set>
#include <typeindex>

// The window as the user finds it: each control in its parent, in order, with its caption,
// style and listener; where the controls stand, how the window's width moves them, how
// "nothing loaded" looks after a reset, and which Settings rows the trigger mode shows.

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

const std::type_index label = typeid (juce::Label), button = typeid (juce::TextButton), toggle = typeid (juce::ToggleButton), combo = typeid (juce::ComboBox),
                      group = typeid (juce::GroupComponent), slider = typeid (juce::Slider), logView = typeid (MidiLogView), list = typeid (ZUNDeviceListBox);

struct Control
{
    std::type_index kind;
    const char* caption;
    bool listens; // the component listens to it
};

// The children of each parent, back to front.
const std::vector<Control> topControls {
    { label, "Select Interface", 0 },
    { label, "V7 P5", 0 },
    { button, "Search", 1 },
    { button, "Clear Log", 1 },
    { button, "Get Settings", 1 },
    { button, "Save Settings", 1 },
    { toggle, "Show MIDI Messages", 0 },
    { logView, "", 0 },
    { list, "", 0 },
    { label, "Preset", 0 },
    { combo, "", 1 },
    { button, "Load Preset", 1 },
    { button, "Save Preset", 1 },
    { group, "Runtime", 0 },
    { group, "Settings", 0 }
};
const std::vector<Control> runtimeControls {
    { toggle, "Allow Scene Selection", 0 },
    { toggle, "Manual", 1 },
    { toggle, "Poll", 1 },
    { toggle, "Notify", 1 },
    { button, "Scene A", 1 },
    { button, "Scene B", 1 },
    { button, "Clear Alarm", 1 },
    { button, "Arm Failover", 1 },
    { button, "Disarm Failover", 1 },
    { button, "Get Runtime", 1 },
    { button, "ARMED", 1 },
    { button, "ALARM", 1 },
    { label, "USB 1 Status:", 0 },
    { label, "", 0 },
    { label, "", 0 },
    { label, "USB 2 Status:", 0 },
    { label, "", 0 },
    { label, "", 0 },
    { button, "Ready", 0 },
    { button, "Ready", 0 },
    { button, "Fail", 0 },
    { button, "Fail", 0 },
    { button, "Master", 0 },
    { button, "Master", 0 }
};
const std::vector<Control> settingsControls {
    { label, "Failover Mode", 0 },
    { label, "Trigger Mode", 0 },
    { label, "Audio Trigger", 0 },
    { label, "Audio Channel:", 0 },
    { label, "Audio Timeout:", 0 },
    { label, "ms", 0 },
    { label, "MIDI Trigger", 0 },
    { label, "MIDI Port:", 0 },
    { label, "MIDI Timeout:", 0 },
    { label, "ms", 0 },
    { label, "", 1 },
    { label, "", 1 },
    { label, "", 1 },
    { label, "", 1 },
    { combo, "", 1 },
    { combo, "", 1 },
    { combo, "", 1 },
    { combo, "", 1 },
    { toggle, "Auto Arm Failover", 1 },
    { toggle, "Auto Switch Back to Scene A", 1 },
    { toggle, "Auto Clear Alarm", 1 },
    { toggle, "Send MIDI Panic", 1 },
    { toggle, "Tone Check", 1 },
    { slider, "", 1 },
    { label, "Max Vol", 0 }
};
} // namespace

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

    juce::Component& runtime() { return *component.getChildComponent (13); }
    juce::Component& settings() { return *component.getChildComponent (14); }
    juce::Component& find (const juce::String& caption) { return *ui::find (component, caption); }
    std::vector<std::pair<juce::Component*, const std::vector<Control>*>> parents() { return { { &component, &topControls }, { &runtime(), &runtimeControls }, { &settings(), &settingsControls } }; }

    // Every control's bounds in its parent, in the parents' order.
    std::vector<juce::Rectangle<int>> allBounds()
    {
        std::vector<juce::Rectangle<int>> bounds;
        for (auto [parent, controls] : parents())
            for (auto* c : parent->getChildren())
                bounds.push_back (c->getBounds());
        return bounds;
    }
};

using WindowStructure = WindowTest;
using LayoutAndReset = WindowTest;

TEST_F (WindowStructure, EveryControlInItsParentInOrderWithItsCaptionStyleAndListener)
{
    const std::map<juce::String, juce::Colour> lamps { { "ARMED", juce::Colours::green }, { "ALARM", juce::Colours::red }, { "Ready", juce::Colours::green }, { "Fail", juce::Colours::red }, { "Master", juce::Colours::blue } };
    constexpr auto colourId = juce::TextButton::buttonColourId;

    for (auto [parent, controls] : parents())
    {
        ASSERT_EQ (parent->getNumChildComponents(), (int) controls->size()) << ui::captionOf (*parent);

        for (int i = 0; i < (int) controls->size(); ++i)
        {
            const auto& expected = (*controls)[(size_t) i];
            auto& actual = *parent->getChildComponent (i);
            SCOPED_TRACE (ui::captionOf (*parent) + " child " + juce::String (i) + " " + expected.caption);

            EXPECT_EQ (std::type_index (typeid (actual)), expected.kind);
            EXPECT_EQ (ui::captionOf (actual), expected.caption);
            auto* b = dynamic_cast<juce::Button*> (&actual);
            auto* box = dynamic_cast<juce::ComboBox*> (&actual);
            auto* l = dynamic_cast<juce::Label*> (&actual);
            EXPECT_EQ (b != nullptr ? hasListener (*b, probe.asButtonListener()) : box != nullptr ? hasListener (*box, probe.asComboBoxListener())
                                                                               : l != nullptr     ? hasListener (*l, probe.asLabelListener())
                                                                                                  : expected.listens,
                       expected.listens)
                << "listened to";

            // Captions at 15 points, "V7 P5" at 12; only the value labels, which are listened to, are editable.
            if (l != nullptr)
            {
                EXPECT_FLOAT_EQ (l->getFont().getHeight(), juce::String (expected.caption) == "V7 P5" ? 12.0f : 15.0f);
                EXPECT_TRUE (l->isEditableOnSingleClick() == expected.listens && ! l->isEditableOnDoubleClick());
            }

            // Only the lamps have a colour of their own.
            const auto lamp = lamps.find (expected.caption);
            EXPECT_EQ (actual.isColourSpecified (colourId) ? actual.findColour (colourId) : juce::Colour(), lamp != lamps.end() ? lamp->second : juce::Colour());
        }
    }

    auto& maxVol = dynamic_cast<juce::Label&> (find ("Max Vol"));
    EXPECT_EQ (probe.maxVolSlider().getTextValueSuffix(), " dB");
    EXPECT_TRUE (maxVol.getAttachedComponent() == &probe.maxVolSlider() && maxVol.isAttachedOnLeft());
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
    for (auto* c : runtime().getChildren())
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

//==============================================================================
TEST_F (LayoutAndReset, OnlyTheHeadingTheVersionAndTheLogFollowTheWidthAndNothingFollowsTheHeight)
{
    const auto atStart = allBounds(); // the heading, the version and the log come first, second and eighth
    EXPECT_EQ (probe.midiLog().getRight(), 650);

    // 661: W / 2 truncates; 268: the log has no width; 41: the heading has none, and the
    // log's would be negative; 30: both would be negative and come out 0.
    const std::array<int, 5> sizes[] { { 660, 592, 310, 618, 392 }, { 661, 592, 310, 619, 393 }, { 800, 592, 380, 758, 532 }, { 268, 592, 114, 226, 0 }, { 41, 592, 0, -1, 0 }, { 30, 592, 0, -12, 0 }, { 660, 900, 310, 618, 392 }, { 660, 0, 310, 618, 392 } };

    for (auto [w, h, headingWidth, versionX, logWidth] : sizes)
    {
        SCOPED_TRACE ("size " + juce::String (w) + " x " + juce::String (h));
        component.setSize (w, h);
        auto now = allBounds();
        EXPECT_EQ (now[0].getWidth(), headingWidth);
        EXPECT_EQ (now[1].getX(), versionX);
        EXPECT_EQ (now[7].getWidth(), logWidth);
        EXPECT_TRUE (runtime().getWidth() == 640 && settings().getWidth() == 640);

        now[0].setWidth (atStart[0].getWidth());
        now[1].setX (atStart[1].getX());
        now[7].setWidth (atStart[7].getWidth());
        for (size_t i = 0; i < now.size(); ++i)
            EXPECT_EQ (now[i].toString(), atStart[i].toString()) << "control " << i << " moved";
    }
}

// What every control must have, whatever bounds the layout gives it.
TEST_F (LayoutAndReset, EveryControlLiesInItsParentInARowClearOfItsNeighboursAndWideEnoughForItsCaption)
{
    // The overlaps the layout means, by caption ("" for a value or status label): the heading
    // lies behind the buttons over it, a caption runs 4 px under its value, the lamps of one
    // host share one place.
    const std::multiset<std::pair<juce::String, juce::String>> intended { { "Select Interface", "Search" }, { "Select Interface", "Show MIDI Messages" }, { "Save Settings", "Preset" }, { "USB 1 Status:", "" }, { "USB 2 Status:", "" }, { "Ready", "Fail" }, { "Ready", "Fail" }, { "Audio Channel:", "" }, { "Audio Timeout:", "" }, { "MIDI Port:", "" }, { "MIDI Timeout:", "" }, { "Auto Arm Failover", "Auto Switch Back to Scene A" }, { "Auto Clear Alarm", "Send MIDI Panic" } };
    std::multiset<std::pair<juce::String, juce::String>> overlapping;
    auto &alarm = find ("ALARM"), &heading = find ("Select Interface"), &maxVol = find ("Max Vol"), &version = find ("V7 P5");

    // "ALARM" stands in two rows at once; every other control shares its row's top and height.
    EXPECT_TRUE (alarm.getY() == find ("ARMED").getY() && alarm.getBottom() == find ("Arm Failover").getBottom());
    EXPECT_TRUE (maxVol.getRight() == probe.maxVolSlider().getX() && maxVol.getY() == probe.maxVolSlider().getY());

    for (auto [parent, controls] : parents())
    {
        std::map<int, int> rows; // each row's top and bottom

        for (auto* c : parent->getChildren())
        {
            const auto caption = ui::captionOf (*c);
            SCOPED_TRACE (ui::captionOf (*parent) + ": " + caption + " at " + c->getBounds().toString());
            EXPECT_TRUE (parent->getLocalBounds().contains (c->getBounds()));
            if (c != &alarm)
                rows.emplace (c->getY(), c->getBottom());

            int leftNeighbour = -1; // the right edge of what stands left of it in its row
            for (auto* other : parent->getChildren())
            {
                if (other == c || other->getY() >= c->getBottom() || c->getY() >= other->getBottom())
                    continue;
                EXPECT_TRUE (c == &alarm || other == &alarm || (other->getY() == c->getY() && other->getHeight() == c->getHeight())) << "in a row with " << ui::captionOf (*other);
                if (other->getX() < c->getX())
                    leftNeighbour = juce::jmax (leftNeighbour, other->getRight());

                const auto overlap = c->getBounds().getIntersection (other->getBounds());
                if (! overlap.isEmpty() && parent->getIndexOfChildComponent (other) < parent->getIndexOfChildComponent (c))
                {
                    overlapping.insert ({ ui::captionOf (*other), caption });
                    EXPECT_TRUE (overlap.getWidth() == 4 || overlap == c->getBounds() || other == &heading) << "overlap " << overlap.toString();
                }
            }

            // A row starts at the 10 px margin; then each control touches or overlaps the one
            // before it, or stands 4 to 8 px off. The version label keeps to the right edge
            // and "Max Vol" to its slider.
            const auto gap = c->getX() - leftNeighbour;
            EXPECT_TRUE (leftNeighbour < 0 ? c->getX() == 10 : (c == &maxVol || c == &version || gap <= 0 || (gap >= 4 && gap <= 8))) << "gap " << gap;

            // The caption fits unsqueezed: a label's inside its border, a toggle's beside its
            // tick box. The version label alone is drawn squeezed into its 36 px.
            const auto* l = dynamic_cast<juce::Label*> (c);
            const auto needed = l != nullptr ? l->getFont().getStringWidthFloat (caption) + (float) l->getBorderSize().getLeftAndRight()
                                             : (dynamic_cast<juce::ToggleButton*> (c) != nullptr ? juce::Font (15.0f).getStringWidthFloat (caption) + 15.0f * 1.1f : 0.0f);
            EXPECT_TRUE (c == &version || needed <= (float) c->getWidth()) << "the caption needs " << needed;
        }

        // Rows follow one another 4 to 12 px apart.
        for (auto row = rows.begin(); std::next (row) != rows.end(); ++row)
            EXPECT_TRUE (std::next (row)->first - row->second >= 4 && std::next (row)->first - row->second <= 12) << ui::captionOf (*parent) << ": the row at " << row->first;
    }

    EXPECT_EQ (overlapping, intended);
}

// Every visible state of the three parents' controls and the reset's flags, as one text.
juce::String panelState (MainComponent& c)
{
    MainComponentProbe p (c);
    juce::String s;
    for (auto* parent : { static_cast<juce::Component*> (&c), c.getChildComponent (13), c.getChildComponent (14) })
        for (auto* control : parent->getChildren())
        {
            s << ui::captionOf (*control) << " visible " << (int) control->isVisible();
            if (auto* b = dynamic_cast<juce::Button*> (control))
                s << " on " << (int) b->getToggleState() << " coloured " << (int) b->isColourSpecified (juce::TextButton::buttonColourId);
            if (auto* combo = dynamic_cast<juce::ComboBox*> (control))
                s << " items " << combo->getNumItems() << " selected " << combo->getSelectedId();
            if (auto* l = dynamic_cast<juce::Label*> (control))
                s << " text " << l->getText();
            if (auto* slider = dynamic_cast<juce::Slider*> (control))
                s << " range " << slider->getMinimum() << ".." << slider->getMaximum() << " step " << slider->getInterval();
            s << "\n";
        }
    return s << "loaded " << (int) p.settingsLoaded() << " runtime " << (int) p.runtimeRequest() << " state " << (int) p.requestState();
}

TEST_F (LayoutAndReset, ResetLooksLikeAFreshWindowAndResettingTwiceChangesNothing)
{
    MainComponent fresh (ports, recordAlert);

    // What a completed settings read and some use leave behind.
    for (auto [parent, controls] : parents())
        for (auto* c : parent->getChildren())
        {
            if (auto* box = dynamic_cast<juce::ComboBox*> (c))
            {
                box->addItemList ({ "one", "two" }, 1);
                box->setSelectedId (2, juce::dontSendNotification);
            }
            if (auto* t = dynamic_cast<juce::ToggleButton*> (c); t != nullptr && t != &probe.showMidiMessagesToggle())
                t->setToggleState (true, juce::dontSendNotification); // the radio group keeps the last
            if (auto* l = dynamic_cast<juce::Label*> (c); l != nullptr && l->getText().isEmpty())
                l->setText ("42", juce::dontSendNotification);
            if (auto* b = dynamic_cast<juce::TextButton*> (c))
                b->setVisible (true);
        }
    for (auto* scene : { "Scene A", "Scene B" })
        ui::button (component, scene).setColour (juce::TextButton::buttonColourId, juce::Colours::green);
    probe.maxVolSlider().setRange (-64.0, 0.0, 0.5);
    probe.setSettingsLoaded (true);
    probe.setRuntimeRequest (true);
    ASSERT_NE (panelState (component), panelState (fresh));

    probe.clrGUI();
    const auto once = panelState (component);
    EXPECT_EQ (once, panelState (fresh));

    probe.clrGUI();
    ui::pump (50);
    EXPECT_EQ (panelState (component), once);
    EXPECT_TRUE (sent.isEmpty());
}

TEST_F (LayoutAndReset, AfterConstructionEveryRowIsVisibleAndThenTheTriggerModeShowsTheRowsItUses)
{
    for (auto* c : settings().getChildren())
        EXPECT_TRUE (c->isVisible()) << ui::captionOf (*c);

    // 1 audio, 2 MIDI, 3 and 4 both; anything else hides every trigger row. The channel and
    // port rows need trigger 3 as well. The heads of the rows, the toggles and the slider
    // stay. By Settings child: 2-5 and 10-11 the audio rows, 6-9 and 12-13 the MIDI rows,
    // 16-17 their combo boxes.
    auto& block = probe.deviceContainer().failoverBlock;

    for (int mode = 0; mode <= 5; ++mode)
        for (int audioTrigger : { 3, 1 })
            for (int midiTrigger : { 3, 0 })
            {
                SCOPED_TRACE ("mode " + juce::String (mode) + ", audio trigger " + juce::String (audioTrigger) + ", MIDI trigger " + juce::String (midiTrigger));
                const bool audio = mode == 1 || mode == 3 || mode == 4, midi = mode == 2 || mode == 3 || mode == 4;
                const std::map<int, bool> rows { { 2, audio }, { 4, audio }, { 5, audio }, { 11, audio }, { 16, audio }, { 3, audio && audioTrigger == 3 }, { 10, audio && audioTrigger == 3 }, { 6, midi }, { 8, midi }, { 9, midi }, { 13, midi }, { 17, midi }, { 7, midi && midiTrigger == 3 }, { 12, midi && midiTrigger == 3 } };

                for (auto [i, shown] : rows)
                    settings().getChildComponent (i)->setVisible (! shown); // so that every row must be set

                block.triggerMode = (juce::uint8) mode;
                block.audioTrigger = (juce::uint8) audioTrigger;
                block.midiTrigger = (juce::uint8) midiTrigger;
                probe.updateTriggerModeCombo();

                for (int i = 0; i < settings().getNumChildComponents(); ++i)
                    EXPECT_EQ (settings().getChildComponent (i)->isVisible(), rows.count (i) == 0 || rows.at (i)) << "Settings child " << i << " " << settingsControls[(size_t) i].caption;
            }
}
