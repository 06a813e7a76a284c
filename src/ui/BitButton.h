#pragma once

#include <QPushButton>

namespace sf::ui {

// A push button with a glyph that shows a dotted focus rectangle inside its
// bevel whenever it has the focus, however it got it. The windows' buttons
// keep the focus after a mouse click, and then Enter presses them and a
// plain C closes the main window; the rectangle tells the user so.
class BitButton : public QPushButton {
    Q_OBJECT
public:
    BitButton(const QImage &glyph, const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace sf::ui
