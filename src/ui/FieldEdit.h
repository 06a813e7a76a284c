#pragma once

#include <QLineEdit>

namespace sf {

// A single-line edit field that selects its whole text whenever it gains the
// focus, except by a left click in it (the click places the cursor) and
// except when its window merely becomes active again (the user's selection
// is kept, as it was before another window or a dialog took over).
//
// It draws its text the classic way: 2 pixels in from its left edge and at
// its top, so that a 57-pixel field shows a seven-character number whole and
// a field that the next row's field overlaps still shows its descenders.
// Disabled, its text stays legible and shows from its start, however the
// text was set: a number too long for the field loses its end, not its
// leading digits.
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldEdit(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_lostToOtherWindow = false;
};

} // namespace sf
