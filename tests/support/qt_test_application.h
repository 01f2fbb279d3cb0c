#pragma once

#include <QApplication>

// Widgets need one QApplication per test program; the first test that needs it makes it.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "tracklace-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
            return existing;
        }
        return new QApplication(argc, argv);
    }();
    return *application;
}

// A base for fixtures whose members are widgets: bases are made before members.
struct WithTestApplication {
    WithTestApplication() { TestApplication(); }
};
