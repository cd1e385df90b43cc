#include "WindowControls.h"

// Where every control stands as the window is resized, how "nothing loaded" looks after
// the panels are reset, and which rows of the Settings group the trigger mode shows.

using namespace window;

namespace
{
// Records every notification a control sends, to show that a reset calls no listener.
struct NotificationRecorder final : public juce::Button::Listener,
                                    public juce::Label::Listener,
                                    public juce::ComboBox::Listener,
                                    public juce::Slider::Listener
{
    void buttonClicked (juce::Button* b) override { calls.add ("button " + b->getButtonText()); }
    void buttonStateChanged (juce::Button*) override {}
    void labelTextChanged (juce::Label* l) override { calls.add ("label " + l->getText()); }
    void comboBoxChanged (juce::ComboBox* c) override { combos.add (c); }
    void sliderValueChanged (juce::Slider*) override { calls.add ("slider"); }

    juce::StringArray calls;
    juce::Array<juce::ComboBox*> combos;
};
} // namespace

class LayoutAndReset : public WindowTest
{
protected:
    // The controls the tables place, parent by parent.
    juce::Array<juce::Component*> placedControls()
    {
        juce::Array<juce::Component*> controls;
        for (auto* parent : { static_cast<juce::Component*> (component.get()), &top (index::runtimeGroup), &top (index::settingsGroup) })
            for (auto* c : parent->getChildren())
                controls.add (c);
        return controls;
    }

    juce::Array<juce::Rectangle<int>> boundsOfAll()
    {
        juce::Array<juce::Rectangle<int>> bounds;
        for (auto* c : placedControls())
            bounds.add (c->getBounds());
        return bounds;
    }

    void expectTableBoundsAtWidth (int w)
    {
        for (int i = 0; i < (int) mainComponentControls().size(); ++i)
        {
            SCOPED_TRACE ("top-level child " + juce::String (i) + " " + mainComponentControls()[(size_t) i].caption);
            EXPECT_EQ (top (i).getBounds(), boundsAtWidth (i, w));
        }

        for (int i = 0; i < (int) runtimeGroupControls().size(); ++i)
        {
            SCOPED_TRACE ("Runtime child " + juce::String (i) + " " + runtimeGroupControls()[(size_t) i].caption);
            EXPECT_EQ (runtime (i).getBounds(), runtimeGroupControls()[(size_t) i].bounds);
        }

        for (int i = 0; i < index::maxVolLabel; ++i)
        {
            SCOPED_TRACE ("Settings child " + juce::String (i) + " " + settingsGroupControls()[(size_t) i].caption);
            EXPECT_EQ (settings (i).getBounds(), settingsGroupControls()[(size_t) i].bounds);
        }

        EXPECT_EQ (maxVolLabel().getRight(), maxVolSlider().getX());
        EXPECT_EQ (maxVolLabel().getY(), maxVolSlider().getY());
        EXPECT_EQ (maxVolLabel().getHeight(), maxVolSlider().getHeight());
    }

    // Everything a reset may touch or must leave alone, as one comparable text.
    juce::String panelState()
    {
        juce::String s;

        for (auto* c : placedControls())
        {
            s << kindOf (*c) << " \"" << ui::captionOf (*c) << "\" visible " << (int) c->isVisible() << " enabled "
              << (int) c->isEnabled();

            if (auto* b = dynamic_cast<juce::Button*> (c))
                s << " on " << (int) b->getToggleState() << " coloured "
                  << (int) b->isColourSpecified (juce::TextButton::buttonColourId);
            if (auto* combo = dynamic_cast<juce::ComboBox*> (c))
                s << " items " << combo->getNumItems() << " selected " << combo->getSelectedId();
            if (auto* slider = dynamic_cast<juce::Slider*> (c))
                s << " range " << slider->getMinimum() << ".." << slider->getMaximum() << " step "
                  << slider->getInterval() << " value " << slider->getValue();
            s << "\n";
        }

        s << "settingsLoaded " << (int) probe->settingsLoaded() << " runtimeRequest " << (int) probe->runtimeRequest()
          << " requestState " << (int) probe->requestState() << " runtimeMode " << (int) probe->runtimeMode()
          << " timers " << (int) probe->anyTimerRunning();
        return s;
    }

    juce::Array<juce::Component*> triggerRowControls()
    {
        // In the order the trigger-row table lists them.
        return { &settings (3), &settings (index::audioChannelValue), &settings (2), &settings (index::audioTriggerCombo), &settings (4), &settings (index::audioTimeoutValue), &settings (5), &settings (7), &settings (index::midiPortValue), &settings (6), &settings (index::midiTriggerCombo), &settings (8), &settings (index::midiTimeoutValue), &settings (9) };
    }

    // Puts the panels into the state a completed settings read and some use leave behind.
    void fillPanelsAsIfLoaded()
    {
        for (auto* combo : { &as<juce::ComboBox> (top (index::presetCombo)), &as<juce::ComboBox> (settings (index::failoverModeCombo)), &as<juce::ComboBox> (settings (index::triggerModeCombo)), &as<juce::ComboBox> (settings (index::audioTriggerCombo)), &as<juce::ComboBox> (settings (index::midiTriggerCombo)) })
        {
            combo->addItemList ({ "one", "two", "three" }, 1);
            combo->setSelectedId (2, juce::dontSendNotification);
        }

        for (auto* c : placedControls())
        {
            if (auto* toggle = dynamic_cast<juce::ToggleButton*> (c))
                if (toggle->getRadioGroupId() == 0 && toggle != &probe->showMidiMessagesToggle())
                    toggle->setToggleState (true, juce::dontSendNotification);
            if (auto* label = dynamic_cast<juce::Label*> (c))
                if (label->getText().isEmpty())
                    label->setText ("42", juce::dontSendNotification);
            if (auto* b = dynamic_cast<juce::TextButton*> (c))
                b->setVisible (true);
        }

        ui::button (*component, "Poll").setToggleState (true, juce::dontSendNotification);
        ui::button (*component, "Scene A").setColour (juce::TextButton::buttonColourId, juce::Colours::green);
        ui::button (*component, "Scene B").setColour (juce::TextButton::buttonColourId, juce::Colours::red);
        ui::button (*component, "Get Runtime").setEnabled (false);

        maxVolSlider().setRange (-64.0, 0.0, 0.5);
        maxVolSlider().setValue (-10.5, juce::dontSendNotification);

        probe->setSettingsLoaded (true);
        probe->setRuntimeRequest (true);
    }
};

//==============================================================================
TEST_F (LayoutAndReset, EveryControlStandsAtItsBoundsAtTheStartWidth)
{
    expectTableBoundsAtWidth (660);

    // The widths the user sees at the start.
    EXPECT_EQ (top (index::selectInterfaceLabel).getWidth(), 310);
    EXPECT_EQ (versionLabel().getX(), 618);
    EXPECT_EQ (top (index::midiLog).getRight(), 650);
}

TEST_F (LayoutAndReset, OnlyTheHeadingTheVersionAndTheLogFollowTheWidth)
{
    // 661: W/2 truncates; 268 and below: the log has no width; 41 and below: the heading
    // has none; below that the computed widths are negative and clamp to 0.
    for (int w : { 661, 800, 268, 267, 41, 40, 30, 0, 660 })
    {
        SCOPED_TRACE ("width " + juce::String (w));
        component->setSize (w, 592);
        expectTableBoundsAtWidth (w);
    }

    component->setSize (661, 592);
    EXPECT_EQ (top (index::selectInterfaceLabel).getWidth(), 310);

    component->setSize (268, 592);
    EXPECT_EQ (top (index::midiLog).getWidth(), 0);

    component->setSize (41, 592);
    EXPECT_EQ (top (index::selectInterfaceLabel).getWidth(), 0);

    component->setSize (30, 592);
    EXPECT_EQ (top (index::selectInterfaceLabel).getWidth(), 0);
    EXPECT_EQ (top (index::midiLog).getWidth(), 0);
    EXPECT_EQ (versionLabel().getX(), -12);
}

TEST_F (LayoutAndReset, AChangeOfHeightAloneMovesNothing)
{
    const auto atStart = boundsOfAll();

    for (int h : { 900, 100, 0, 592 })
    {
        SCOPED_TRACE ("height " + juce::String (h));
        component->setSize (660, h);
        EXPECT_EQ (boundsOfAll(), atStart);
    }
}

//==============================================================================
TEST_F (LayoutAndReset, ResetShowsThatNothingIsLoaded)
{
    ui::pump (50);
    fillPanelsAsIfLoaded();

    probe->clrGUI();

    EXPECT_FALSE (ui::button (*component, "Save Settings").isVisible());
    EXPECT_FALSE (probe->settingsLoaded());
    EXPECT_FALSE (probe->runtimeRequest());

    for (auto* c : placedControls())
    {
        SCOPED_TRACE (kindOf (*c) + " \"" + ui::captionOf (*c) + "\"");

        if (auto* combo = dynamic_cast<juce::ComboBox*> (c))
        {
            EXPECT_EQ (combo->getNumItems(), 0);
            EXPECT_EQ (combo->getSelectedId(), 0);
        }

        if (auto* toggle = dynamic_cast<juce::ToggleButton*> (c); toggle != nullptr && toggle != &probe->showMidiMessagesToggle())
        {
            EXPECT_FALSE (toggle->getToggleState());
        }
    }

    for (int i : { index::usb1AudioStatus, index::usb1MidiStatus, index::usb2AudioStatus, index::usb2MidiStatus })
        EXPECT_TRUE (as<juce::Label> (runtime (i)).getText().isEmpty());
    for (int i : { index::audioChannelValue, index::audioTimeoutValue, index::midiPortValue, index::midiTimeoutValue })
        EXPECT_TRUE (as<juce::Label> (settings (i)).getText().isEmpty());

    for (int i = 0; i < (int) runtimeGroupControls().size(); ++i)
    {
        if (juce::StringArray { "ARMED", "ALARM", "Ready", "Fail", "Master" }.contains (ui::captionOf (runtime (i))))
        {
            EXPECT_FALSE (runtime (i).isVisible()) << ui::captionOf (runtime (i));
        }
    }

    EXPECT_FALSE (ui::button (*component, "Scene A").isColourSpecified (juce::TextButton::buttonColourId));
    EXPECT_FALSE (ui::button (*component, "Scene B").isColourSpecified (juce::TextButton::buttonColourId));

    // The slider's value is pulled into -1..0.
    EXPECT_EQ (maxVolSlider().getMinimum(), -1.0);
    EXPECT_EQ (maxVolSlider().getMaximum(), 0.0);
    EXPECT_EQ (maxVolSlider().getInterval(), 1.0);
    EXPECT_GE (maxVolSlider().getValue(), -1.0);
    EXPECT_LE (maxVolSlider().getValue(), 0.0);

    // Left alone: the host captions, the trigger rows, "Get Runtime" and the top strip.
    EXPECT_EQ (ui::captionOf (runtime (12)), "USB 1 Status:");
    EXPECT_EQ (ui::captionOf (runtime (15)), "USB 2 Status:");
    EXPECT_FALSE (ui::button (*component, "Get Runtime").isEnabled());
    EXPECT_TRUE (ui::button (*component, "Search").isVisible());
    EXPECT_TRUE (ui::button (*component, "Get Settings").isVisible());
    EXPECT_TRUE (ui::button (*component, "Show MIDI Messages").isVisible());
}

TEST_F (LayoutAndReset, ResetLeavesModeRequestStateTimersAndTheRecordAlone)
{
    auto& block = probe->deviceContainer().failoverBlock;
    block.triggerMode = 1;
    block.audioTrigger = 1;
    block.presetCount = 7;
    probe->updateTriggerModeCombo();
    ui::button (*component, "Auto Switch Back to Scene A").setVisible (false);
    probe->setRequestState (MainComponent::settingParameter);

    juce::Array<bool> triggerRowsBefore;
    for (auto* c : triggerRowControls())
        triggerRowsBefore.add (c->isVisible());

    probe->clrGUI();

    juce::Array<bool> triggerRowsAfter;
    for (auto* c : triggerRowControls())
        triggerRowsAfter.add (c->isVisible());

    EXPECT_EQ (triggerRowsAfter, triggerRowsBefore);
    EXPECT_FALSE (ui::button (*component, "Auto Switch Back to Scene A").isVisible());
    EXPECT_EQ (probe->requestState(), MainComponent::settingParameter);
    EXPECT_EQ (probe->runtimeMode(), MainComponent::Manual);
    EXPECT_FALSE (probe->anyTimerRunning());
    EXPECT_EQ (block.triggerMode, 1);
    EXPECT_EQ (block.presetCount, 7);

    probe->setRequestState (MainComponent::idle);
}

TEST_F (LayoutAndReset, ResetTwiceLeavesTheSameStateAndSendsNothing)
{
    fillPanelsAsIfLoaded();

    probe->clrGUI();
    const auto once = panelState();
    probe->clrGUI();

    EXPECT_EQ (panelState(), once);
    ui::pump (50);
    EXPECT_EQ (panelState(), once);
    EXPECT_TRUE (sent.isEmpty());
    EXPECT_EQ (ports.getNumOpenPorts(), 0);
    EXPECT_TRUE (alerts.isEmpty());
}

TEST_F (LayoutAndReset, ResetCallsNoListenerWhileItRunsAndTheComboBoxesReportLater)
{
    fillPanelsAsIfLoaded();
    ui::pump (50);

    NotificationRecorder recorder;
    juce::Array<juce::ComboBox*> combos;

    for (auto* c : placedControls())
    {
        if (auto* b = dynamic_cast<juce::Button*> (c))
            b->addListener (&recorder);
        if (auto* l = dynamic_cast<juce::Label*> (c))
            l->addListener (&recorder);
        if (auto* s = dynamic_cast<juce::Slider*> (c))
            s->addListener (&recorder);
        if (auto* combo = dynamic_cast<juce::ComboBox*> (c))
        {
            combo->addListener (&recorder);
            combos.add (combo);
        }
    }

    probe->clrGUI();

    EXPECT_TRUE (recorder.calls.isEmpty()) << recorder.calls.joinIntoString (", ");
    EXPECT_TRUE (recorder.combos.isEmpty());

    // Each clear posts its change notification; it arrives once the message loop runs.
    ui::pump (50);
    EXPECT_TRUE (recorder.calls.isEmpty()) << recorder.calls.joinIntoString (", ");
    EXPECT_EQ (recorder.combos.size(), 5);
    for (auto* combo : combos)
        EXPECT_TRUE (recorder.combos.contains (combo));

    for (auto* c : placedControls())
    {
        if (auto* b = dynamic_cast<juce::Button*> (c))
            b->removeListener (&recorder);
        if (auto* l = dynamic_cast<juce::Label*> (c))
            l->removeListener (&recorder);
        if (auto* s = dynamic_cast<juce::Slider*> (c))
            s->removeListener (&recorder);
        if (auto* combo = dynamic_cast<juce::ComboBox*> (c))
            combo->removeListener (&recorder);
    }
}

//==============================================================================
TEST_F (LayoutAndReset, AfterConstructionEveryTriggerRowAndAutoSwitchBackAreVisible)
{
    ASSERT_EQ (probe->deviceContainer().failoverBlock.triggerMode, 0);

    for (auto* c : triggerRowControls())
        EXPECT_TRUE (c->isVisible()) << ui::captionOf (*c);

    EXPECT_TRUE (ui::button (*component, "Auto Switch Back to Scene A").isVisible());
}

TEST_F (LayoutAndReset, TheTriggerModeShowsTheRowsItUses)
{
    struct Rows
    {
        int mode;
        bool audio, midi;
    };

    // 1 "Use Audio", 2 "Use MIDI", 3 "Audio or MIDI", 4 "Audio and MIDI"; anything else
    // hides every trigger row.
    const Rows table[] { { 0, false, false }, { 1, true, false }, { 2, false, true }, { 3, true, true }, { 4, true, true }, { 5, false, false }, { 255, false, false } };

    auto& block = probe->deviceContainer().failoverBlock;
    const auto controls = triggerRowControls();

    for (const auto& rows : table)
        for (int audioTrigger : { 3, 1 })
            for (int midiTrigger : { 3, 0 })
            {
                SCOPED_TRACE ("mode " + juce::String (rows.mode) + ", audio trigger " + juce::String (audioTrigger)
                              + ", MIDI trigger " + juce::String (midiTrigger));

                // Start from the opposite of what should follow, so every control must be set.
                for (auto* c : controls)
                    c->setVisible (! rows.audio);

                block.triggerMode = (juce::uint8) rows.mode;
                block.audioTrigger = (juce::uint8) audioTrigger;
                block.midiTrigger = (juce::uint8) midiTrigger;
                probe->updateTriggerModeCombo();

                const bool channel = rows.audio && audioTrigger == 3;
                const bool port = rows.midi && midiTrigger == 3;
                const bool expected[] { channel, channel, rows.audio, rows.audio, rows.audio, rows.audio, rows.audio, port, port, rows.midi, rows.midi, rows.midi, rows.midi, rows.midi };

                for (int i = 0; i < controls.size(); ++i)
                    EXPECT_EQ (controls[i]->isVisible(), expected[i]) << "trigger-row control " << i;

                // The heads of the rows, the toggles and the slider are never hidden here.
                for (int i : { 0, 1, index::failoverModeCombo, index::triggerModeCombo, 18, 19, 20, 21, 22, index::maxVolSlider, index::maxVolLabel })
                    EXPECT_TRUE (settings (i).isVisible()) << ui::captionOf (settings (i));
            }
}
