#include "ui/toolkit/help_key.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/toolkit/user_interaction.h"

namespace toolkit {
namespace {

// Watches the key presses of the whole program and takes F1 for the controls of one window
// before any control can use the key for something else.
class CHelpKeyFilter : public QObject {
public:
    explicit CHelpKeyFilter(QWidget* window) : QObject(window), m_window(window) {
        qApp->installEventFilter(this);
    }
    ~CHelpKeyFilter() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || widget == nullptr ||
            widget->window() != m_window) {
            return false;
        }
        ShowHelp();
        return true;
    }

private:
    QWidget* m_window;
};

}  // namespace

void AnswerHelpKey(QWidget* window) {
    new CHelpKeyFilter(window);
}

}  // namespace toolkit
