#include "MainComponent.h"
#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
class QuillfenApplication final : public juce::JUCEApplication
{
public:
    QuillfenApplication() = default;
    ~QuillfenApplication() override = default;

    const juce::String getApplicationName() override { return "Sorvalle"; }
    const juce::String getApplicationVersion() override { return "1.0.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    // The command line is ignored: the application reads no options.
    void initialise (const juce::String&) override
    {
        mainWindow.reset (new MainWindow (getApplicationName(), ports));
    }

    // Deleting the window deletes its content, which stops the timers and closes every port.
    void shutdown() override { mainWindow = nullptr; }

    void anotherInstanceStarted (const juce::String&) override {}

    void systemRequestedQuit() override { quit(); }

    //==============================================================================
    class MainWindow final : public juce::DocumentWindow
    {
    public:
        MainWindow (const juce::String& name, MidiPortSystem& portSystem)
            : juce::DocumentWindow (name,
                                    juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                                    juce::DocumentWindow::allButtons)
        {
            setUsingNativeTitleBar (true);
            setContentOwned (new MainComponent (portSystem, makeModalAlert()), true);
            setResizable (true, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        ~MainWindow() override = default;

        // Closing the window quits at once; nothing is asked first.
        void closeButtonPressed() override
        {
            juce::JUCEApplication::getInstance()->systemRequestedQuit();
        }

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
    // Declared before the window so that it outlives the component that uses it.
    JuceMidiPortSystem ports;
    std::unique_ptr<MainWindow> mainWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuillfenApplication)
};

//==============================================================================
START_JUCE_APPLICATION (QuillfenApplication)
