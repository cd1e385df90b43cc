#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_audio_devices/juce_audio_devices.h>
TEST (Skeleton, LabelWorks) { juce::Label l; l.setText ("x", juce::dontSendNotification); auto d = juce::MidiInput::getAvailableDevices(); EXPECT_EQ (l.getText(), "x"); EXPECT_EQ (d.size(), 0); }
