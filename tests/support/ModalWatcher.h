#pragma once

// Closes the modal dialogs that a UI test opens, so that no test can hang,
// and records what each looked like.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace sf::test {

// What a modal dialog looked like when the watcher found it.
struct SeenDialog {
    QString objectName;
    QString title;
    QString text;          // message boxes only
    QString informativeText; // message boxes only: the label below the text
    bool messageBox = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QString defaultButton; // message boxes: text of the default button
    QString escapeButton;  // message boxes: text of the escape button
    QPoint pos;
    QString focusName;     // object name of the dialog's focused control
};

// Polls for the active modal dialog, records it and hands it to `close`
// (by default Enter on its focused control). A dialog that is still open
// after many polls is rejected, so a broken close never hangs the test.
class ModalWatcher {
public:
    using Closer = std::function<void(QWidget *)>;

    explicit ModalWatcher(Closer close = pressEnter) : m_close(std::move(close))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }

    static void pressEnter(QWidget *dialog)
    {
        QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(target, Qt::Key_Return);
    }

    std::vector<SeenDialog> seen;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            m_current = nullptr;
            m_polls = 0;
            return;
        }
        if (modal != m_current) {
            m_current = modal;
            m_polls = 0;
            seen.push_back(describe(modal));
            QPointer<QWidget> guard = modal;
            m_close(modal);
            // The next showing of the same dialog is a new one.
            if (!guard || !guard->isVisible())
                m_current = nullptr;
            return;
        }
        if (++m_polls > 200) {
            ADD_FAILURE() << "dialog " << modal->objectName().toStdString() << " did not close";
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
    }

    SeenDialog describe(QWidget *modal) const
    {
        SeenDialog d;
        d.objectName = modal->objectName();
        d.title = modal->windowTitle();
        d.pos = modal->pos();
        d.focusName = modal->focusWidget() ? modal->focusWidget()->objectName() : QString();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            d.messageBox = true;
            d.text = box->text();
            d.informativeText = box->informativeText();
            d.icon = box->icon();
            d.buttonCount = static_cast<int>(box->buttons().size());
            if (box->defaultButton())
                d.defaultButton = box->defaultButton()->text();
            if (auto *escape = qobject_cast<QPushButton *>(box->escapeButton()))
                d.escapeButton = escape->text();
        }
        return d;
    }

    Closer m_close;
    QTimer m_timer;
    QWidget *m_current = nullptr;
    int m_polls = 0;
};

} // namespace sf::test
