#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Every alert the user sees goes through one of these: title, then message.
using AlertFunction = std::function<void (const juce::String& title, const juce::String& message)>;

// The modal warning box with the one button "Shucks".
AlertFunction makeModalAlert();
