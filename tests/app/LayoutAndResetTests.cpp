#include "WindowControls.h"

// Where every control stands as the window is resized, how "nothing loaded" looks after
// the panels are reset, and which rows of the Settings group the trigger mode shows.

using namespace window;

class LayoutAndReset : public WindowTest
{
protected:
    void expectEveryControlInPlaceAtWidth (int w)
    {
        for (auto& [name, parent, controls] : parents())
            for (int i = 0; i < (int) controls->size(); ++i)
            {
                if (const auto& expected = (*controls)[(size_t) i]; ! expected.bounds.isEmpty()) // "Max Vol" has none of its own
                {
                    EXPECT_EQ (parent->getChildComponent (i)->getBounds(), boundsAtWidth (expected, w)) << name << " child " << i << " " << expected.caption;
                }
            }

        EXPECT_EQ (settings (maxVolLabel).getRight(), slider().getX()) << "Max Vol beside the slider";
        EXPECT_EQ (settings (maxVolLabel).getY(), slider().getY());
    }

    // Every visible state of the three parents' controls and the reset's flags, as one text.
    static juce::String panelState (MainComponent& c)
    {
        MainComponentProbe p (c);
        juce::String s;
        for (auto* parent : { static_cast<juce::Component*> (&c), c.getChildComponent (runtimeGroup), c.getChildComponent (settingsGroup) })
            for (auto* control : parent->getChildren())
            {
                s << ui::captionOf (*control) << " visible " << (int) control->isVisible();
                if (auto* b = dynamic_cast<juce::Button*> (control))
                    s << " on " << (int) b->getToggleState() << " coloured " << (int) b->isColourSpecified (juce::TextButton::buttonColourId);
                if (auto* combo = dynamic_cast<juce::ComboBox*> (control))
                    s << " items " << combo->getNumItems() << " selected " << combo->getSelectedId();
                if (auto* label = dynamic_cast<juce::Label*> (control))
                    s << " text " << label->getText();
                if (auto* slider = dynamic_cast<juce::Slider*> (control))
                    s << " range " << slider->getMinimum() << ".." << slider->getMaximum() << " step " << slider->getInterval();
                s << "\n";
            }
        return s << "loaded " << (int) p.settingsLoaded() << " runtime " << (int) p.runtimeRequest() << " state " << (int) p.requestState();
    }

    // What a completed settings read and some use leave behind.
    void fillPanelsAsIfLoaded()
    {
        for (auto& [name, parent, controls] : parents())
            for (auto* c : parent->getChildren())
            {
                if (auto* combo = dynamic_cast<juce::ComboBox*> (c))
                {
                    combo->addItemList ({ "one", "two" }, 1);
                    combo->setSelectedId (2, juce::dontSendNotification);
                }
                if (auto* toggle = dynamic_cast<juce::ToggleButton*> (c); toggle != nullptr && toggle != &probe.showMidiMessagesToggle())
                    toggle->setToggleState (true, juce::dontSendNotification); // the radio group keeps the last
                if (auto* label = dynamic_cast<juce::Label*> (c); label != nullptr && label->getText().isEmpty())
                    label->setText ("42", juce::dontSendNotification);
                if (auto* b = dynamic_cast<juce::TextButton*> (c))
                    b->setVisible (true);
            }

        for (auto* scene : { "Scene A", "Scene B" })
            ui::button (component, scene).setColour (juce::TextButton::buttonColourId, juce::Colours::green);
        slider().setRange (-64.0, 0.0, 0.5);
        probe.setSettingsLoaded (true);
        probe.setRuntimeRequest (true);
    }
};

TEST_F (LayoutAndReset, OnlyTheHeadingTheVersionAndTheLogFollowTheWidthAndNothingFollowsTheHeight)
{
    // 661: W / 2 truncates; 268: the log has no width; 41: the heading has none, and the
    // log's would be negative; 30: both would be negative and clamp to 0.
    for (auto [w, h] : { std::pair { 660, 592 }, { 661, 592 }, { 268, 592 }, { 41, 592 }, { 30, 592 }, { 660, 900 }, { 660, 0 } })
    {
        SCOPED_TRACE ("size " + juce::String (w) + " x " + juce::String (h));
        component.setSize (w, h);
        expectEveryControlInPlaceAtWidth (w);
    }
}

TEST_F (LayoutAndReset, ResetLooksLikeAFreshWindowAndResettingTwiceChangesNothing)
{
    MainComponent fresh (ports, recordAlert);
    fillPanelsAsIfLoaded();
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
    for (int i = 0; i < (int) settingsControls.size(); ++i)
        EXPECT_TRUE (settings (i).isVisible()) << "Settings child " << i << " " << settingsControls[(size_t) i].caption;
    EXPECT_TRUE (ui::button (component, "Auto Switch Back to Scene A").isVisible());

    // 1 audio, 2 MIDI, 3 and 4 both; anything else hides every trigger row. The channel and
    // port rows need trigger 3 as well. The heads of the rows, the toggles and the slider stay.
    auto& block = probe.deviceContainer().failoverBlock;

    for (int mode = 0; mode <= 5; ++mode)
        for (int audioTrigger : { 3, 1 })
            for (int midiTrigger : { 3, 0 })
            {
                SCOPED_TRACE ("mode " + juce::String (mode) + ", audio trigger " + juce::String (audioTrigger) + ", MIDI trigger " + juce::String (midiTrigger));
                const bool audio = mode == 1 || mode == 3 || mode == 4, midi = mode == 2 || mode == 3 || mode == 4;
                const std::map<int, bool> rows { { 2, audio }, { 4, audio }, { 5, audio }, { 11, audio }, { 16, audio }, { 3, audio && audioTrigger == 3 }, { 10, audio && audioTrigger == 3 }, { 6, midi }, { 8, midi }, { 9, midi }, { 13, midi }, { 17, midi }, { 7, midi && midiTrigger == 3 }, { 12, midi && midiTrigger == 3 } };

                for (auto [i, shown] : rows)
                    settings (i).setVisible (! shown); // so that every row must be set

                block.triggerMode = (juce::uint8) mode;
                block.audioTrigger = (juce::uint8) audioTrigger;
                block.midiTrigger = (juce::uint8) midiTrigger;
                probe.updateTriggerModeCombo();

                for (int i = 0; i < (int) settingsControls.size(); ++i)
                    EXPECT_EQ (settings (i).isVisible(), rows.count (i) == 0 || rows.at (i)) << "Settings child " << i << " " << settingsControls[(size_t) i].caption;
            }
}
