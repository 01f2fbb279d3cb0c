#include <QApplication>

#include "ui/app/tracklace_app.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    CTracklaceApp app;
    app.InitInstance();
    return 0;
}
