// The about box's time from "open" (construction and show) to its first paint, with its
// music through the desktop's output, against a dialog of the same size that paints the
// same picture and plays nothing. Both are measured alternately in one run; the median of
// each and their ratio are printed.
//
//   bench_ui_about [repetitions]      (run.sh runs it with and without a sound device)

#include <stdlib.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "platform/resources/resources.h"
#include "settings/store/properties.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/about/about_dlg.h"

namespace {

// Tells when the watched widget is painted for the first time.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            elapsedNs = timer.nsecsElapsed();
        }
        return QObject::eventFilter(watched, event);
    }
    QElapsedTimer timer;
    bool painted = false;
    qint64 elapsedNs = 0;
};

// The baseline: the same picture in a dialog of its size, without texts, buttons or music.
class PictureDialog : public QDialog {
public:
    PictureDialog() {
        if (const auto bytes = platform::FindResource("PNG", "ABOUT_BACKGROUND")) {
            m_picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                                   static_cast<uint>(bytes->size()), "PNG");
        }
        setFixedSize(m_picture.isNull() ? QSize(356, 248) : m_picture.size());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawPixmap(rect(), m_picture);
    }

private:
    QPixmap m_picture;
};

// Milliseconds from construction to the first paint of one dialog made by make.
double TimeToFirstPaint(const std::function<QDialog*()>& make) {
    FirstPaint probe;
    probe.timer.start();
    QDialog* dialog = make();
    dialog->installEventFilter(&probe);
    dialog->show();
    while (!probe.painted && probe.timer.elapsed() < 10'000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double ms = probe.elapsedNs / 1e6;
    // Let the music get going, as a user would hear it, before the box closes again.
    QElapsedTimer open;
    open.start();
    while (open.elapsed() < 100) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    dialog->accept();
    delete dialog;
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const TempFolder home("tracklace-bench-about");
    setenv("XDG_CONFIG_HOME", home.String().c_str(), 1);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QApplication application(argc, argv);
    SetPropertyInt(property::kPlaySound, 1);

    // One of each first: the first dialog of a process loads fonts and styles.
    TimeToFirstPaint([] { return new PictureDialog; });
    TimeToFirstPaint([] { return new CAboutDlg; });
    std::vector<double> baseline;
    std::vector<double> about;
    for (int i = 0; i < repetitions; ++i) {
        baseline.push_back(TimeToFirstPaint([] { return new PictureDialog; }));
        about.push_back(TimeToFirstPaint([] { return new CAboutDlg; }));
    }
    const double base = Median(baseline);
    const double box = Median(about);
    std::printf("repetitions=%d baseline_ms=%.2f about_ms=%.2f ratio=%.2f about_max_ms=%.2f\n",
                repetitions, base, box, base > 0 ? box / base : 0.0,
                *std::max_element(about.begin(), about.end()));
    return 0;
}
