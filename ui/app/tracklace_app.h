#pragma once

#include <memory>

class CSingleInstance;
class CTracklaceDlg;

// The application: fixes where the settings live, keeps a second start from opening a
// second window when the user wants one instance, and runs the main window for as long as
// it asks to be opened again.
class CTracklaceApp {
public:
    // The result that asks for the window to be opened again (after a change of language).
    static constexpr int kRestartResult = -1;
    // The desktop file (de.wendmark.tracklace.desktop) that describes the program.
    static constexpr const char* kDesktopFileName = "de.wendmark.tracklace";

    CTracklaceApp();
    ~CTracklaceApp();

    // The names the settings and the desktop know the program by.
    static void SetIdentity();

    // Runs the program; false when it has ended (always, as nothing is left to run).
    bool InitInstance();

    // The main window while it runs, null before and after.
    CTracklaceDlg* GetMainWindow() const { return m_mainWindow; }

private:
    void ActivateMainWindow();

    std::unique_ptr<CSingleInstance> m_singleInstance;
    CTracklaceDlg* m_mainWindow = nullptr;
};
