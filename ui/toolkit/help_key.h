#pragma once

class QWidget;

namespace toolkit {

// Makes F1 open the help (ShowHelp) from every control of window, whichever has the focus
// and whether the key comes from the keyboard or is sent to a control directly. Every
// window of the program answers the help request this one way; the handler lives as long
// as the window.
void AnswerHelpKey(QWidget* window);

}  // namespace toolkit
