#pragma once

// Shared by the UI tests: the program's windows, a watcher that closes modal
// dialogs so that no test can hang, and a scratch current directory.

#include "CalcFinished.h"
#include "Startup.h"
#include "TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace sf::ui::test {

// What a modal dialog looked like when the watcher found it.
struct SeenDialog {
    QString objectName;
    QString title;
    QString text;          // message boxes only
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

// Runs the test body in a fresh temporary current directory.
class ScratchDirectory {
public:
    ScratchDirectory() : m_previous(QDir::currentPath())
    {
        EXPECT_TRUE(m_dir.isValid());
        EXPECT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    ~ScratchDirectory() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

inline std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string defaultReport()
{
    return readFile(SCREENFILTER_TEST_DATA "/default-report.txt");
}

inline bool fileExists(const char *name)
{
    return QFileInfo::exists(QString::fromUtf8(name));
}

// The program's windows as start-up creates them, shown, in the C locale.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        windows = createWindows();
        form1 = windows.form1.get();
        form1->applyLocale(QLocale::c());
        showMainWindow(*form1);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form1));
    }

    void TearDown() override { form1->applyLocale(QLocale::c()); }

    QLineEdit *edit(int number) const
    {
        auto *e = form1->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(number));
        EXPECT_NE(e, nullptr) << "Edit" << number;
        return e;
    }
    QPushButton *button(const char *name) const { return form1->findChild<QPushButton *>(QLatin1String(name)); }
    // What the window manager does when a dialog of ours closes.
    void reactivate()
    {
        form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form1));
    }
    QString focusName() const
    {
        QWidget *w = QApplication::focusWidget();
        return w ? w->objectName() : QStringLiteral("(none)");
    }
    void focus(int number)
    {
        edit(number)->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit(number)->hasFocus(); }));
    }

    Windows windows;
    TForm1 *form1 = nullptr;
};

} // namespace sf::ui::test
