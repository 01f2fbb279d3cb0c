// Takes the single-instance marker like the program does and says what happened, so that a
// test can watch two processes meet. "hold": report "first", then wait until a later start
// asks for the window and report "activated". Anything else: report "first" or "second".
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "ui/app/single_instance.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const bool hold = argc > 1 && std::strcmp(argv[1], "hold") == 0;
    CSingleInstance instance;
    const bool first = instance.Acquire([] {
        std::printf("activated\n");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    std::printf("%s\n", first ? "first" : "second");
    std::fflush(stdout);
    if (!hold || !first) {
        return 0;
    }
    QTimer::singleShot(30000, [] { QCoreApplication::exit(2); });
    return application.exec();
}
