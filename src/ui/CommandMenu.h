#pragma once

#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QObject>

class QAction;
class QWidget;

namespace sf {

// The window's commands in one menu: the commands first, then, after a
// separator, the help. The window's background shows it on a right click,
// and each field adds it below its own Cut/Copy/Paste, so the Menu key
// reaches it from the focused field. A command's shortcut works anywhere in
// the window, menu open or not.
class CommandMenu : public QObject {
    Q_OBJECT
public:
    explicit CommandMenu(QWidget *window);

    // Adds a command at the end of the commands, before the help:
    // addCommand(tr("Study…"), {}, this, &MainWindow::openStudy).
    template <typename Receiver, typename Slot>
    QAction *addCommand(const QString &text, const QKeySequence &keys, Receiver *receiver, Slot slot)
    {
        QAction *action = newAction(text, keys, m_helpSeparator);
        connect(action, &QAction::triggered, receiver, slot);
        return action;
    }
    // Adds an entry at the end of the help.
    template <typename Receiver, typename Slot>
    QAction *addHelp(const QString &text, const QKeySequence &keys, Receiver *receiver, Slot slot)
    {
        QAction *action = newAction(text, keys, nullptr);
        connect(action, &QAction::triggered, receiver, slot);
        return action;
    }

    QMenu *menu() const { return m_menu; }
    // Commands and help, the separator between them included.
    QList<QAction *> actions() const { return m_menu->actions(); }

    // Appends the whole menu to `menu` after a separator.
    void appendTo(QMenu *menu) const;

private:
    QAction *newAction(const QString &text, const QKeySequence &keys, QAction *before);

    QWidget *m_window;
    QMenu *m_menu; // owned by the window
    QAction *m_helpSeparator;
};

} // namespace sf
