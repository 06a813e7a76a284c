#include "CommandMenu.h"

#include <QAction>
#include <QWidget>

namespace sf {

CommandMenu::CommandMenu(QWidget *window) : QObject(window), m_window(window), m_menu(new QMenu(window))
{
    m_menu->setObjectName(QStringLiteral("CommandMenu"));
    m_helpSeparator = m_menu->addSeparator();
}

QAction *CommandMenu::newAction(const QString &text, const QKeySequence &keys, QAction *before)
{
    auto *action = new QAction(text, this);
    action->setShortcut(keys);
    // Held by the window, the shortcut works wherever the focus is in it.
    m_window->addAction(action);
    if (before)
        m_menu->insertAction(before, action);
    else
        m_menu->addAction(action);
    return action;
}

void CommandMenu::appendTo(QMenu *menu) const
{
    menu->addSeparator();
    menu->addActions(m_menu->actions());
}

} // namespace sf
