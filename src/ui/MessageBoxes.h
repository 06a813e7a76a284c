#pragma once

#include <QString>

class QWidget;

namespace sf {

// The message dialog for the program's own messages: modal, centred on the
// screen, no icon, the text word-wrapped and shown as plain text, one OK
// button that Enter and Escape both press. Returns when it is closed.
// `english`, when not empty, is a second label below the text: what is
// wrong and where, in English.
void showMessageDialog(QWidget *owner, const QString &text, const QString &english = {});

// The default error box for an error that ended a command: the stop icon,
// one OK button, text shown as given. Returns when it is closed.
void showErrorBox(QWidget *owner, const QString &text, const QString &english = {});

} // namespace sf
