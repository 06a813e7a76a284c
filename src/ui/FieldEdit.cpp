#include "FieldEdit.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleOptionFrame>

namespace sf {

namespace {

// Greyed but legible on the disabled field's ground: 6.5:1 on Fusion's
// #EFEFEF, where its own disabled grey, #BEBEBE, gives 1.6:1.
const QColor DisabledText{0x55, 0x55, 0x55};

} // namespace

FieldEdit::FieldEdit(QWidget *parent) : QLineEdit(parent)
{
    // The frame is drawn by paintEvent, over the text, so that QLineEdit's
    // text area may reach into it. QLineEdit keeps 2 pixels either side of
    // its line of text and 1 above it, and a column past the text for the
    // caret. These margins start the line 2 pixels in from the left and top
    // edges and run it up to the right frame line, caret column included: a
    // text 4 pixels narrower than the field fits unscrolled.
    setFrame(false);
    setTextMargins(0, 1, -1, 0);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QPalette pal = palette();
    pal.setColor(QPalette::Disabled, QPalette::Text, DisabledText);
    setPalette(pal);

    // setText puts the cursor at the end, and the field scrolls to it.
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (now != 0 && !isEnabled())
            setCursorPosition(0);
    });
}

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

void FieldEdit::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setCursorPosition(0);
    QLineEdit::changeEvent(event);
}

void FieldEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    // The style's one-pixel frame, drawn last so that a long text scrolled
    // under it is cut off at the frame.
    QStyleOptionFrame option;
    initStyleOption(&option);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &option, &painter, this);
}

} // namespace sf
