#pragma once

// Shared by the UI tests: the program's windows as start-up makes them.

#include "CompletionDialog.h"
#include "Startup.h"
#include "MainWindow.h"
#include "browser/DirectoryList.h"
#include "support/Files.h"
#include "support/ModalWatcher.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace sf::test {

using ::sf::test::ModalWatcher;
using ::sf::test::SeenDialog;
// Runs the test body in a fresh temporary current directory, which each
// main window already open takes as its save directory, as a user choosing
// it in the directory list would.
class ScratchDirectory : public ::sf::test::ScopedTempCwd {
public:
    ScratchDirectory()
    {
        const QByteArray here = QFile::encodeName(QString::fromStdString(path().string()));
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *list = window->findChild<DirectoryList *>(QStringLiteral("DirectoryListBox1"))) {
                EXPECT_TRUE(list->enterDirectory(here));
            }
        }
    }
};
using ::sf::test::readBytes;

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
    QLineEdit *edit(Field field) const { return edit(inputField(field).editNumber); }
    QPushButton *button(const char *name) const { return form1->findChild<QPushButton *>(QLatin1String(name)); }
    // What the window manager does when a dialog of ours closes.
    void reactivate()
    {
        form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form1));
        // The platform may call the window active before the application has
        // moved its active window back from a closed dialog, and the focus
        // widget comes back in an event of its own, later still on a loaded
        // machine.
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return QApplication::activeWindow() == form1 && QApplication::focusWidget() != nullptr; }));
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
    // The first two of the controls named in `window` that the layout lets
    // overlap, or an empty text.
    static QString overlapping(const QWidget *window, const QStringList &names)
    {
        for (qsizetype i = 0; i < names.size(); ++i)
            for (qsizetype j = i + 1; j < names.size(); ++j) {
                const auto *a = window->findChild<QWidget *>(names[i]);
                const auto *b = window->findChild<QWidget *>(names[j]);
                const QRect ra(a->mapTo(window, QPoint(0, 0)), a->size()), rb(b->mapTo(window, QPoint(0, 0)), b->size());
                if (ra.intersects(rb))
                    return names[i] + u' ' + names[j];
            }
        return {};
    }

    Windows windows;
    MainWindow *form1 = nullptr;
};

} // namespace sf::test
