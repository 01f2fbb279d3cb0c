#include "ui/app/tracklace_app.h"

#include <QCoreApplication>

#include "settings/store/properties.h"
#include "ui/app/single_instance.h"
#include "ui/main_dialog/tracklace_dlg.h"

CTracklaceApp::CTracklaceApp() = default;

CTracklaceApp::~CTracklaceApp() = default;

bool CTracklaceApp::InitInstance() {
    QCoreApplication::setOrganizationName("Wendmark");
    QCoreApplication::setApplicationName("Tracklace3");

    if (GetPropertyInt("prop_SingleInstance", 1) != 0) {
        singleInstance_ = std::make_unique<CSingleInstance>();
        if (!singleInstance_->Acquire([this] { ActivateMainWindow(); })) {
            singleInstance_.reset();
            return false;
        }
    }

    {
        CTracklaceDlg dialog;
        mainWindow_ = &dialog;
        // The same dialog object, and with it the playlist, serves every opening.
        while (dialog.exec() == kRestartResult) {
        }
        mainWindow_ = nullptr;
    }

    singleInstance_.reset();
    return false;
}

void CTracklaceApp::ActivateMainWindow() {
    if (mainWindow_ == nullptr) {
        return;
    }
    if (mainWindow_->isMinimized()) {
        mainWindow_->showNormal();
    } else {
        mainWindow_->show();
    }
    mainWindow_->raise();
    mainWindow_->activateWindow();
}
