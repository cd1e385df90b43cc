#include "MainComponentProbe.h"
#include "UiHelpers.h"
#include "VirtualMidiPorts.h"
#include <cxxabi.h>
#include <gtest/gtest.h>
#include <set>

// The window as the user finds it: each control in its parent, in order, with its caption,
// style and listener; where the controls stand and what the window's size moves; how
// "nothing loaded" looks after a reset; which Settings rows the trigger mode shows.

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

// Whether the component listens to a control; JUCE keeps the slider's listeners to itself.
std::optional<bool> listensTo (juce::Component& c, MainComponentProbe& probe)
{
    if (auto* b = dynamic_cast<juce::Button*> (&c))
        return hasListener (*b, probe.asButtonListener());
    if (auto* l = dynamic_cast<juce::Label*> (&c))
        return hasListener (*l, probe.asLabelListener());
    if (auto* box = dynamic_cast<juce::ComboBox*> (&c))
        return hasListener (*box, probe.asComboBoxListener());
    return std::nullopt;
}

// A control's class, without its namespace.
juce::String kindOf (juce::Component& c)
{
    int status = 0;
    const std::unique_ptr<char, decltype (&std::free)> name (abi::__cxa_demangle (typeid (c).name(), nullptr, nullptr, &status), &std::free);
    return juce::String (name.get()).fromLastOccurrenceOf ("::", false, false);
}

// Each parent's children, back to front: the kind, '*' where the component listens to it, the caption.
juce::StringArray table (const char* controls) { return juce::StringArray::fromTokens (controls, "|", ""); }
const auto topControls = table ("Label:Select Interface|Label:V7 P5|TextButton*:Search|TextButton*:Clear Log|TextButton*:Get Settings|TextButton*:Save Settings|"
                                "ToggleButton:Show MIDI Messages|MidiLogView:|ZUNDeviceListBox:|Label:Preset|ComboBox*:|TextButton*:Load Preset|TextButton*:Save Preset|"
                                "GroupComponent:Runtime|GroupComponent:Settings");
const auto runtimeControls = table ("ToggleButton:Allow Scene Selection|ToggleButton*:Manual|ToggleButton*:Poll|ToggleButton*:Notify|TextButton*:Scene A|TextButton*:Scene B|"
                                    "TextButton*:Clear Alarm|TextButton*:Arm Failover|TextButton*:Disarm Failover|TextButton*:Get Runtime|TextButton*:ARMED|TextButton*:ALARM|"
                                    "Label:USB 1 Status:|Label:|Label:|Label:USB 2 Status:|Label:|Label:|"
                                    "TextButton:Ready|TextButton:Ready|TextButton:Fail|TextButton:Fail|TextButton:Master|TextButton:Master");
const auto settingsControls = table ("Label:Failover Mode|Label:Trigger Mode|Label:Audio Trigger|Label:Audio Channel:|Label:Audio Timeout:|Label:ms|"
                                     "Label:MIDI Trigger|Label:MIDI Port:|Label:MIDI Timeout:|Label:ms|Label*:|Label*:|Label*:|Label*:|ComboBox*:|ComboBox*:|ComboBox*:|ComboBox*:|"
                                     "ToggleButton*:Auto Arm Failover|ToggleButton*:Auto Switch Back to Scene A|ToggleButton*:Auto Clear Alarm|ToggleButton*:Send MIDI Panic|"
                                     "ToggleButton*:Tone Check|Slider*:|Label:Max Vol");

// The three parents, the component and its two groups, with their tables.
std::vector<std::pair<juce::Component*, const juce::StringArray*>> parentsIn (MainComponent& c)
{
    return { { &c, &topControls }, { c.getChildComponent (13), &runtimeControls }, { c.getChildComponent (14), &settingsControls } };
}

// Every visible state of the controls and the reset's flags, as one text.
juce::String panelState (MainComponent& c)
{
    MainComponentProbe p (c);
    juce::String s;
    for (auto [parent, table] : parentsIn (c))
        for (auto* control : parent->getChildren())
        {
            s << ui::captionOf (*control) << " visible " << (int) control->isVisible();
            if (auto* b = dynamic_cast<juce::Button*> (control))
                s << " on " << (int) b->getToggleState() << " coloured " << (int) b->isColourSpecified (juce::TextButton::buttonColourId);
            if (auto* box = dynamic_cast<juce::ComboBox*> (control))
                s << " items " << box->getNumItems() << " selected " << box->getSelectedId();
            if (auto* l = dynamic_cast<juce::Label*> (control))
                s << " text " << l->getText();
            s << "\n";
        }
    return s << "slider " << p.maxVolSlider().getMinimum() << ".." << p.maxVolSlider().getMaximum() << " step " << p.maxVolSlider().getInterval() << " loaded " << (int) p.settingsLoaded() << " runtime " << (int) p.runtimeRequest() << " state " << (int) p.requestState();
}
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

    juce::Component& find (const juce::String& caption) { return *ui::find (component, caption); }
    juce::Component& settings() { return *component.getChildComponent (14); }
};

using WindowStructure = WindowTest;
using LayoutAndReset = WindowTest;

TEST_F (WindowStructure, EveryControlInItsParentInOrderWithItsCaptionStyleAndListener)
{
    const std::map<juce::String, juce::Colour> lamps { { "ARMED", juce::Colours::green }, { "ALARM", juce::Colours::red }, { "Ready", juce::Colours::green }, { "Fail", juce::Colours::red }, { "Master", juce::Colours::blue } };
    constexpr auto colourId = juce::TextButton::buttonColourId;

    for (auto [parent, table] : parentsIn (component))
    {
        ASSERT_EQ (parent->getNumChildComponents(), table->size()) << ui::captionOf (*parent);

        for (int i = 0; i < table->size(); ++i)
        {
            const auto kind = (*table)[i].upToFirstOccurrenceOf (":", false, false), caption = (*table)[i].fromFirstOccurrenceOf (":", false, false);
            const auto listens = kind.endsWithChar ('*');
            auto& actual = *parent->getChildComponent (i);
            SCOPED_TRACE (ui::captionOf (*parent) + " child " + juce::String (i) + " " + caption);

            EXPECT_EQ (kindOf (actual), kind.trimCharactersAtEnd ("*"));
            EXPECT_EQ (ui::captionOf (actual), caption);
            EXPECT_EQ (listensTo (actual, probe).value_or (listens), listens) << "listened to";

            // Captions at 15 points, "V7 P5" at 12; only the value labels, which are listened to, are editable.
            if (auto* l = dynamic_cast<juce::Label*> (&actual))
            {
                EXPECT_FLOAT_EQ (l->getFont().getHeight(), caption == "V7 P5" ? 12.0f : 15.0f);
                EXPECT_TRUE (l->isEditableOnSingleClick() == listens && ! l->isEditableOnDoubleClick());
            }

            // Only the lamps have a colour of their own.
            const auto lamp = lamps.find (caption);
            EXPECT_EQ (actual.isColourSpecified (colourId) ? actual.findColour (colourId) : juce::Colour(), lamp != lamps.end() ? lamp->second : juce::Colour());
        }
    }

    auto& maxVol = dynamic_cast<juce::Label&> (find ("Max Vol"));
    EXPECT_TRUE (probe.maxVolSlider().getTextValueSuffix() == " dB" && maxVol.getAttachedComponent() == &probe.maxVolSlider() && maxVol.isAttachedOnLeft());
}

TEST_F (WindowStructure, RightAfterConstructionNothingIsOpenRunningSentOrShownAndSaveSettingsDoesNothing)
{
    EXPECT_EQ (component.getBounds(), juce::Rectangle<int> (0, 0, 660, 592));
    EXPECT_TRUE (probe.logLineCounter() == 1 && ! probe.showMidiMessagesToggle().getToggleState() && probe.deviceListBox().getModel()->getNumRows() == 0);

    // Of the panels, only the lamps are hidden until a runtime reading shows them.
    const juce::StringArray lamps { "ARMED", "ALARM", "Ready", "Fail", "Master" };
    for (auto* c : component.getChildComponent (13)->getChildren())
        EXPECT_EQ (c->isVisible(), ! lamps.contains (ui::captionOf (*c))) << ui::captionOf (*c);

    // Quiet at first, and after a click on "Save Settings" (were it shown) or on a lamp.
    for (juce::String caption : { "", "Save Settings", "ARMED", "ALARM" })
    {
        SCOPED_TRACE (caption);
        if (caption.isNotEmpty())
            ui::button (component, caption).triggerClick();
        ui::pump (100); // anything the constructor or a click might have posted
        EXPECT_TRUE (ports.getNumOpenPorts() == 0 && sent.isEmpty() && alerts.isEmpty() && probe.midiLog().getNumLines() == 0);
        EXPECT_TRUE (! probe.anyTimerRunning() && probe.requestState() == MainComponent::idle && ! find ("Save Settings").isVisible());
    }
}

TEST_F (WindowStructure, RuntimeModeTogglesFormOneRadioGroupThatLeavesOtherTogglesAlone)
{
    ui::click (component, "Allow Scene Selection");

    for (auto* caption : { "Poll", "Manual", "Notify", "Poll", "Poll" })
    {
        ui::click (component, caption);
        for (auto* toggle : { "Manual", "Poll", "Notify", "Allow Scene Selection" })
            EXPECT_EQ (ui::button (component, toggle).getToggleState(), juce::String (toggle) == caption || *toggle == 'A') << toggle << " after a click on " << caption;
    }
}

//==============================================================================
TEST_F (LayoutAndReset, OnlyTheHeadingTheVersionAndTheLogFollowTheWidthAndNothingFollowsTheHeight)
{
    // Every control's bounds, in table order: the heading, the version and the log come first, second and eighth.
    const auto allBounds = [this]
    {
        std::vector<juce::Rectangle<int>> bounds;
        for (auto [parent, table] : parentsIn (component))
            for (auto* c : parent->getChildren())
                bounds.push_back (c->getBounds());
        return bounds;
    };
    const auto atStart = allBounds();
    EXPECT_EQ (probe.midiLog().getRight(), 650);

    // 661: W / 2 truncates; 268: the log has no width; 41: the heading has none, and the
    // log's would be negative; 30: both would be negative and come out 0.
    const std::array<int, 5> sizes[] { { 660, 592, 310, 618, 392 }, { 661, 592, 310, 619, 393 }, { 800, 592, 380, 758, 532 }, { 268, 592, 114, 226, 0 }, { 41, 592, 0, -1, 0 }, { 30, 592, 0, -12, 0 }, { 660, 900, 310, 618, 392 }, { 660, 0, 310, 618, 392 } };

    for (auto [w, h, headingWidth, versionX, logWidth] : sizes)
    {
        SCOPED_TRACE ("size " + juce::String (w) + " x " + juce::String (h));
        component.setSize (w, h);
        auto now = allBounds();
        EXPECT_TRUE (now[0].getWidth() == headingWidth && now[1].getX() == versionX && now[7].getWidth() == logWidth) << now[0].toString() << ", " << now[1].toString() << ", " << now[7].toString();

        now[0].setWidth (atStart[0].getWidth());
        now[1].setX (atStart[1].getX());
        now[7].setWidth (atStart[7].getWidth());
        for (size_t i = 0; i < now.size(); ++i)
            EXPECT_EQ (now[i].toString(), atStart[i].toString()) << "control " << i << " moved"; // the groups, 640 wide, among them
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

    // "ALARM" stands in two rows at once; every other control shares its row's top and height,
    // and the buttons of a row are equally wide, but for those in the first column.
    EXPECT_TRUE (alarm.getY() == find ("ARMED").getY() && alarm.getBottom() == find ("Arm Failover").getBottom());

    for (auto [parent, table] : parentsIn (component))
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
                EXPECT_TRUE (kindOf (*c) != "TextButton" || kindOf (*other) != "TextButton" || c->getX() == 10 || other->getX() == 10 || c->getWidth() == other->getWidth()) << "as wide as " << ui::captionOf (*other);
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

TEST_F (LayoutAndReset, ResetLooksLikeAFreshWindowAndResettingTwiceChangesNothing)
{
    MainComponent fresh (ports, recordAlert);

    // What a completed settings read and some use leave behind.
    for (auto [parent, table] : parentsIn (component))
        for (auto* c : parent->getChildren())
        {
            if (auto* box = dynamic_cast<juce::ComboBox*> (c))
                box->addItem ("one", 2);
            if (auto* t = dynamic_cast<juce::ToggleButton*> (c); t != nullptr && t != &probe.showMidiMessagesToggle())
                t->setToggleState (true, juce::dontSendNotification); // the radio group keeps the last
            if (auto* l = dynamic_cast<juce::Label*> (c); l != nullptr && l->getText().isEmpty())
                l->setText ("42", juce::dontSendNotification);
            c->setVisible (true);
        }
    for (auto* box : { &probe.presetCombo(), &probe.failoverModeCombo(), &probe.triggerModeCombo(), &probe.audioTriggerCombo(), &probe.midiTriggerCombo() })
        box->setSelectedId (2, juce::dontSendNotification);
    for (auto* scene : { "Scene A", "Scene B" })
        find (scene).setColour (juce::TextButton::buttonColourId, juce::Colours::green);
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
                    EXPECT_EQ (settings().getChildComponent (i)->isVisible(), rows.count (i) == 0 || rows.at (i)) << "Settings child " << i << " " << settingsControls[i];
            }
}
