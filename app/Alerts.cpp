#include "Alerts.h"

AlertFunction makeModalAlert()
{
    return [] (const juce::String&, const juce::String&) {};
}
