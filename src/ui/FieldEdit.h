#pragma once

#include <QLineEdit>

namespace sf::ui {

// A single-line edit field that selects its whole text whenever it gains the
// focus, except by a left click in it (the click places the cursor) and
// except when its window merely becomes active again (the user's selection
// is kept, as it was before another window or a dialog took over).
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldEdit(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_lostToOtherWindow = false;
};

} // namespace sf::ui
