#include "ui/app/tracklace_app.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include "settings/store/properties.h"
#include "ui/app/single_instance.h"
#include "ui/main_dialog/tracklace_dlg.h"

CTracklaceApp::CTracklaceApp() = default;

CTracklaceApp::~CTracklaceApp() = default;

void CTracklaceApp::SetIdentity() {
    QCoreApplication::setOrganizationName("Wendmark");
    // Also the class of the window (WM_CLASS) that the desktop file's StartupWMClass names.
    QCoreApplication::setApplicationName("Tracklace3");
    // Ties the window to the desktop file, for its icon and name in docks and on Wayland.
    QGuiApplication::setDesktopFileName(kDesktopFileName);
}

bool CTracklaceApp::InitInstance() {
    SetIdentity();

    if (GetPropertyInt(property::kSingleInstance) != 0) {
        m_singleInstance = std::make_unique<CSingleInstance>();
        if (!m_singleInstance->Acquire([this] { ActivateMainWindow(); })) {
            m_singleInstance.reset();
            return false;
        }
    }

    {
        CTracklaceDlg dialog;
        m_mainWindow = &dialog;
        // The same dialog object, and with it the playlist, serves every opening.
        while (dialog.exec() == kRestartResult) {
        }
        m_mainWindow = nullptr;
    }

    m_singleInstance.reset();
    return false;
}

void CTracklaceApp::ActivateMainWindow() {
    if (m_mainWindow == nullptr) {
        return;
    }
    if (m_mainWindow->isMinimized()) {
        m_mainWindow->showNormal();
    } else {
        m_mainWindow->show();
    }
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}
