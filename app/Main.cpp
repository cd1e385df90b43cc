#include <juce_gui_basics/juce_gui_basics.h>
class TmpApp : public juce::JUCEApplication { public: const juce::String getApplicationName() override { return "x"; } const juce::String getApplicationVersion() override { return "1"; } void initialise (const juce::String&) override { quit(); } void shutdown() override {} };
START_JUCE_APPLICATION (TmpApp)
