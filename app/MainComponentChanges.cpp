#include "MainComponent.h"
#include "RequestTemplates.h"

//==============================================================================
// Setting changes: each user change is stored in the record, shown by its control and sent
// as one SetParmVal request with one parameter; the acknowledgement is judged when it comes.
// A refusal or a time-out restores nothing.

namespace
{
// Reads a whole number as typed: leading blanks skipped, an optional sign, the digits up
// to the first other character. It is kept modulo 2^32, so a number too long for 32 bits
// still gives its own low 8 bits, and text without digits reads as 0.
juce::uint32 readWholeNumber (const juce::String& text)
{
    auto p = text.getCharPointer();

    while (p.isWhitespace())
        ++p;

    const bool negative = *p == '-';

    if (*p == '-' || *p == '+')
        ++p;

    juce::uint32 value = 0;

    for (; p.isDigit(); ++p)
        value = value * 10u + (juce::uint32) (*p - '0');

    return negative ? 0u - value : value;
}

// JUCE's number reader builds a decimal exponent in an int, which a long exponent typed by the
// user overflows. Any exponent of five digits or more already means infinity or zero for a
// time-out, so such an exponent is replaced by 99999 before the text is read.
juce::String withBoundedExponent (const juce::String& text)
{
    auto p = text.getCharPointer().findEndOfWhitespace();

    if (*p == '-' || *p == '+')
        ++p;

    bool hasDigits = false, hasPoint = false;

    for (;; ++p)
    {
        if (p.isDigit())
            hasDigits = true;
        else if (*p == '.' && ! hasPoint)
            hasPoint = true;
        else
            break;
    }

    if (! hasDigits || (*p != 'e' && *p != 'E'))
        return text;

    ++p;

    if (*p == '-' || *p == '+')
        ++p;

    while (*p == '0')
        ++p;

    const auto digitsStart = p;
    int digits = 0;

    for (; p.isDigit(); ++p)
        ++digits;

    if (digits < 5)
        return text;

    return juce::String (text.getCharPointer(), digitsStart) + "99999" + juce::String (p);
}

// A time-out in milliseconds as the interface counts it, eighths of a millisecond, within
// 1 to 16363 whatever was typed (not-a-number and infinities included).
juce::uint16 readTimeout (const juce::String& text)
{
    const auto bounded = withBoundedExponent (text);
    auto p = bounded.getCharPointer();
    const auto eighths = (float) juce::CharacterFunctions::readDoubleValue (p) * 8.0f;

    if (! (eighths >= 1.0f))
        return 1;

    return (juce::uint16) juce::jmin (eighths, 16363.0f);
}
} // namespace

//==============================================================================
void MainComponent::updateFailoverSetting (unsigned char parameterId, unsigned char sub)
{
    const auto& block = deviceContainer.failoverBlock;
    unsigned char* const value = SXMessage_SetFailover + 8;
    int n = 3;

    const auto writeFourteen = [value] (juce::uint16 v)
    {
        value[1] = (unsigned char) ((v >> 7) & 0x7F);
        value[2] = (unsigned char) (v & 0x7F);
    };

    switch (parameterId)
    {
        case 0x04: // scene, arm and alarm carry their value as the sub
        case 0x10:
        case 0x11:
            value[0] = sub;
            break;

        case 0x13:
            value[0] = block.failoverMode;
            break;

        case 0x14:
            value[0] = (unsigned char) ((block.autoArm != 0 ? 1 : 0) | (block.autoSwitchBack != 0 ? 2 : 0) | (block.autoClearAlarm != 0 ? 4 : 0)
                                        | (block.sendMidiPanic != 0 ? 8 : 0) | (block.toneCheck != 0 ? 16 : 0));
            break;

        case 0x15:
            value[0] = block.triggerMode;
            break;

        case 0x16: // the trigger groups send the sub ahead of its value
        case 0x17:
        {
            const bool audio = parameterId == 0x16;
            value[0] = sub;

            if (sub == 1 || sub == 2)
            {
                value[1] = sub == 1 ? (audio ? block.audioTrigger : block.midiTrigger) : (audio ? block.audioChannel : block.midiPort);
                n = 4;
            }
            else if (sub == 3)
            {
                writeFourteen (audio ? block.audioTimeout : block.midiTimeout);
                n = 5;
            }
            else
            {
                jassertfalse;
                return;
            }
            break;
        }

        case 0x18:
        {
            // The 16-bit pattern: its top two bits go first, so -64 dB is 03 00 00.
            const auto v = (juce::uint16) block.maxVolume;
            value[0] = (unsigned char) (v >> 14);
            writeFourteen (v);
            n = 5;
            break;
        }

        default:
            jassertfalse; // no control sends any other parameter
            return;
    }

    // Whatever reply was awaited is abandoned.
    stopReplyWait();
    requestState = settingParameter;

    SXMessage_SetFailover[3] = (unsigned char) (n + 3);
    SXMessage_SetFailover[6] = (unsigned char) n;
    SXMessage_SetFailover[7] = parameterId;

    sendAndAwait (SXMessage_SetFailover, (unsigned short) (n + 6));
}

//==============================================================================
void MainComponent::comboBoxChanged (juce::ComboBox* comboBox)
{
    appComboBoxChanged (comboBox);
}

// The preset combo box has no branch: "Load Preset" reads it.
void MainComponent::appComboBoxChanged (juce::ComboBox* comboBox)
{
    auto& block = deviceContainer.failoverBlock;

    struct Setting
    {
        juce::ComboBox* combo;
        juce::uint8* field;
        unsigned char parameterId, sub;
    };

    const Setting settings[] = { { &failoverModeCombo, &block.failoverMode, 0x13, 0 },
                                 { &triggerModeCombo, &block.triggerMode, 0x15, 0 },
                                 { &audioTriggerCombo, &block.audioTrigger, 0x16, 1 },
                                 { &midiTriggerCombo, &block.midiTrigger, 0x17, 1 } };

    for (const auto& s : settings)
    {
        if (s.combo != comboBox)
            continue;

        const auto id = comboBox->getSelectedId();

        // Also ends the notification that filling or clearing the combo box posts.
        if (! settingsLoaded || id < 1 || id == *s.field)
            return;

        *s.field = (juce::uint8) id;
        updateFailoverSetting (s.parameterId, s.sub);

        if (comboBox == &failoverModeCombo)
            updateAutoSwitchBackVisibility();
        else if (comboBox == &triggerModeCombo)
            updateTriggerModeCombo();
        else if (comboBox == &audioTriggerCombo)
            updateAudioChannelRow();
        else
            updateMidiPortRow();

        return;
    }
}

// Every value the slider reports is sent, so a drag sends one request per step.
void MainComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider != &maxVolSlider || ! settingsLoaded)
        return;

    // 1/256 dB, truncated toward zero; the low 16 bits are kept.
    const auto volume = (juce::int32) juce::jlimit (-2147483648.0, 2147483647.0, maxVolSlider.getValue() * 256.0);
    deviceContainer.failoverBlock.maxVolume = (juce::int16) (juce::uint16) ((juce::uint32) volume & 0xFFFF);
    updateFailoverSetting (0x18, 0);
}

//==============================================================================
// The value labels store and send whenever an edit is committed, loaded settings or not,
// and always end up showing the value in force.
void MainComponent::labelTextChanged (juce::Label* label)
{
    if (label == &audioChannelValue)
        changeAudioChannelLabel (label);
    else if (label == &audioTimeoutValue)
        changeAudioTimeoutLabel (label);
    else if (label == &midiPortValue)
        changeMIDIPortLabel (label);
    else if (label == &midiTimeoutValue)
        changeMIDITimeoutLabel (label);
}

void MainComponent::changeAudioChannelLabel (juce::Label* label)
{
    changeWholeNumberLabel (*label, deviceContainer.failoverBlock.audioChannel, audioChannelLimit(), 0x16);
}

void MainComponent::changeMIDIPortLabel (juce::Label* label)
{
    changeWholeNumberLabel (*label, deviceContainer.failoverBlock.midiPort, 16, 0x17);
}

void MainComponent::changeAudioTimeoutLabel (juce::Label* label)
{
    changeTimeoutLabel (*label, deviceContainer.failoverBlock.audioTimeout, 0x16);
}

void MainComponent::changeMIDITimeoutLabel (juce::Label* label)
{
    changeTimeoutLabel (*label, deviceContainer.failoverBlock.midiTimeout, 0x17);
}

void MainComponent::changeWholeNumberLabel (juce::Label& label, juce::uint8& field, int limit, unsigned char parameterId)
{
    int b = (int) (readWholeNumber (label.getText()) & 0xFF);

    if (b == 0)
        b = 1;

    // The limit itself is not raised to 1.
    b = juce::jmin (b, limit);

    if (b != field)
    {
        field = (juce::uint8) b;
        updateFailoverSetting (parameterId, 2);
    }

    label.setText (juce::String (b), juce::dontSendNotification);
}

void MainComponent::changeTimeoutLabel (juce::Label& label, juce::uint16& field, unsigned char parameterId)
{
    const auto t = readTimeout (label.getText());

    if (t != field)
    {
        field = t;
        updateFailoverSetting (parameterId, 3);
    }

    label.setText (timeoutText (t), juce::dontSendNotification);
}

// The channel count of the two USB host ports bounds the audio channel. A slot number of 0
// names no port: only the ports that were found count, and with neither found the bound is
// the largest number a data byte can carry, 127. Larger channel counts are held to 127 too,
// so the value always goes out as one data byte.
int MainComponent::audioChannelLimit() const noexcept
{
    const auto& block = deviceContainer.failoverBlock;
    int limit = 127;

    for (const auto slot : { block.usbd1PortSlot, block.usbd2PortSlot })
        if (slot >= 1 && slot <= zun::FailoverBlock::audioPortSlotCount)
            limit = juce::jmin (limit, (int) block.audioPorts[slot - 1].channelCount);

    return limit;
}

//==============================================================================
// The five setting toggles share one parameter, which carries all five flags.
bool MainComponent::handleSettingToggle (juce::Button* button)
{
    auto& block = deviceContainer.failoverBlock;

    const std::pair<juce::Button*, juce::uint8*> toggles[] = { { &autoArmToggle, &block.autoArm },
                                                               { &autoSwitchBackToggle, &block.autoSwitchBack },
                                                               { &autoClearAlarmToggle, &block.autoClearAlarm },
                                                               { &sendMidiPanicToggle, &block.sendMidiPanic },
                                                               { &toneCheckToggle, &block.toneCheck } };

    for (auto [toggle, field] : toggles)
    {
        if (toggle != button)
            continue;

        const auto state = (juce::uint8) (button->getToggleState() ? 1 : 0);

        if (settingsLoaded && state != *field)
        {
            *field = state;
            updateFailoverSetting (0x14, 0);

            if (button == &autoArmToggle)
                updateAutoSwitchBackVisibility();
        }

        return true;
    }

    return false;
}

// Commands store nothing: the next runtime-status frame shows their outcome.
bool MainComponent::handleCommandButton (juce::Button* button)
{
    const struct
    {
        juce::Button* button;
        unsigned char parameterId, sub;
        bool needsSceneSelection;
    } commands[] = { { &sceneAButton, 0x04, 1, true },
                     { &sceneBButton, 0x04, 2, true },
                     { &armFailoverButton, 0x10, 1, false },
                     { &disarmFailoverButton, 0x10, 0, false },
                     { &clearAlarmButton, 0x11, 0, false } };

    for (const auto& c : commands)
    {
        if (c.button != button)
            continue;

        if (settingsLoaded && (! c.needsSceneSelection || allowSceneSelectionToggle.getToggleState()))
            updateFailoverSetting (c.parameterId, c.sub);

        return true;
    }

    return false;
}

// The acknowledgement of a change: SetParmVal with error code 0; its data class is not read.
void MainComponent::judgeSettingAcknowledgement (const zun::FrameView& frame)
{
    if (frame.Byte (24) != 0x10 || frame.Byte (26) != 0)
        showAlert ("Ack Error", "Changes could not be made.");
}
