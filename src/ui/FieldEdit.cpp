#include "FieldEdit.h"

#include <QFocusEvent>
#include <QGuiApplication>

namespace sf::ui {

FieldEdit::FieldEdit(QWidget *parent) : QLineEdit(parent) {}

void FieldEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    const bool returning = m_lostToOtherWindow
        && (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason);
    const bool leftClick =
        event->reason() == Qt::MouseFocusReason && (QGuiApplication::mouseButtons() & Qt::LeftButton);
    m_lostToOtherWindow = false;
    if (!returning && !leftClick)
        selectAll();
}

void FieldEdit::focusOutEvent(QFocusEvent *event)
{
    m_lostToOtherWindow =
        event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    QLineEdit::focusOutEvent(event);
}

} // namespace sf::ui
