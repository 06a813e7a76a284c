#pragma once

#include <QPushButton>

namespace sf {

// A push button with a glyph that shows a dotted focus rectangle inside its
// bevel whenever it has the focus, however it got it. The windows' buttons
// keep the focus after a mouse click, and then Enter presses them and a
// plain C closes the main window; the rectangle tells the user so.
class GlyphButton : public QPushButton {
    Q_OBJECT
public:
    GlyphButton(const QImage &glyph, const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace sf
