#include "Alerts.h"

AlertFunction makeModalAlert()
{
    return [] (const juce::String& title, const juce::String& message)
    {
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, title, message, "Shucks", nullptr);
    };
}
