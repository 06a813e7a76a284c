#include "Startup.h"

#include "AppTitle.h"
#include "Artwork.h"
#include "CompletionDialog.h"
#include "Look.h"
#include "MainWindow.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace sf {

bool displayConfigured()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QString noDisplayMessage(const QString &programName)
{
    return QStringLiteral("%1: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)")
        .arg(programName);
}

namespace {

struct HeldMessage {
    QtMsgType type;
    QString text;
};

QString g_programName;
std::vector<HeldMessage> g_held;
QtMessageHandler g_previousHandler = nullptr;

void platformStartHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg) {
        const QByteArray display = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            ? qgetenv("DISPLAY") : qgetenv("WAYLAND_DISPLAY");
        std::fprintf(stderr, "%s: cannot open the display \"%s\"\n", qPrintable(g_programName),
                     display.constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_held.push_back({type, text});
}

} // namespace

PlatformStartGuard::PlatformStartGuard(const QString &programName)
{
    g_programName = programName;
    g_previousHandler = qInstallMessageHandler(platformStartHandler);
}

PlatformStartGuard::~PlatformStartGuard()
{
    qInstallMessageHandler(g_previousHandler);
    const QMessageLogContext context;
    for (const HeldMessage &m : g_held)
        qt_message_output(m.type, context, m.text);
    g_held.clear();
}

FontConfigReader::FontConfigReader() : m_thread([] { FcInit(); }) {}

FontConfigReader::~FontConfigReader()
{
    wait();
}

void FontConfigReader::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void initApplication(QApplication &app, const QString &executablePath)
{
    QApplication::setApplicationName(applicationTitle(executablePath));
    QGuiApplication::setDesktopFileName(QStringLiteral("screenfilter"));
    // The window icon is 32 x 32; menus take the installed PNGs.
    app.setWindowIcon(QIcon(QPixmap::fromImage(drawAppIcon(32))));
}

Windows::Windows() = default;
Windows::~Windows() = default;
Windows::Windows(Windows &&) noexcept = default;

Windows &Windows::operator=(Windows &&other) noexcept
{
    finishForm.reset();
    form1 = std::move(other.form1);
    finishForm = std::move(other.finishForm);
    return *this;
}

Windows createWindows()
{
    Windows windows;
    windows.form1 = std::make_unique<MainWindow>();
    windows.finishForm = std::make_unique<CompletionDialog>(windows.form1.get());
    windows.form1->setFinishForm(windows.finishForm.get());
    return windows;
}

void openCaseArgument(MainWindow &form1, const QStringList &arguments)
{
    if (arguments.size() == 2)
        form1.openCase(arguments[1]);
}

void showMainWindow(MainWindow &form1)
{
    centreOnScreen(&form1);
    form1.show();
    form1.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setFocus(Qt::OtherFocusReason);
}

} // namespace sf
