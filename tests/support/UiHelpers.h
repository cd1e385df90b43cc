#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Drive the component as a user would: find a control by its caption, click it, and let
// the message loop run for a bounded time.
namespace ui
{
// Runs the message loop for the given time.
inline void pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

// Runs the message loop until the condition holds or the timeout passes; true if it held.
template <typename Condition>
bool pumpUntil (Condition condition, int timeoutMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return condition();
        pump (5);
    }
    return true;
}

// The caption a control shows: button text, label text, or group text.
inline juce::String captionOf (juce::Component& c)
{
    if (auto* b = dynamic_cast<juce::Button*> (&c))
        return b->getButtonText();
    if (auto* l = dynamic_cast<juce::Label*> (&c))
        return l->getText();
    if (auto* g = dynamic_cast<juce::GroupComponent*> (&c))
        return g->getText();
    return {};
}

// Depth-first search of the component tree for the first control with this caption.
template <typename ComponentType = juce::Component>
ComponentType* find (juce::Component& root, const juce::String& caption)
{
    for (auto* child : root.getChildren())
    {
        if (auto* typed = dynamic_cast<ComponentType*> (child))
            if (captionOf (*child) == caption)
                return typed;

        if (auto* found = find<ComponentType> (*child, caption))
            return found;
    }
    return nullptr;
}

inline juce::Button& button (juce::Component& root, const juce::String& caption)
{
    auto* b = find<juce::Button> (root, caption);
    jassert (b != nullptr);
    if (b == nullptr)
        throw std::runtime_error (("no button " + caption).toStdString());
    return *b;
}

// Clicks a button the way a mouse would and lets the message loop handle it.
inline void click (juce::Component& root, const juce::String& caption, int pumpMs = 20)
{
    button (root, caption).triggerClick();
    pump (pumpMs);
}
} // namespace ui
