#pragma once

#include <QDialog>

#include <vector>

class QLabel;

namespace sf {

// One line of the shortcut list: the keys, as the menu shows them, and what
// they do.
struct ShortcutLine {
    QString keys;
    QString does;
};

// F1's window: the window's keyboard shortcuts, then what each group of
// fields means, with the fields' units. It stays open beside the main
// window; Escape or Close hides it.
class ShortcutsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ShortcutsWindow(QWidget *parent = nullptr);

    // `separator`: the decimal separator that numbers are typed with.
    void setContents(const std::vector<ShortcutLine> &shortcuts, QChar separator);

private:
    QLabel *m_text;
};

} // namespace sf
