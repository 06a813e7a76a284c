#include "SideWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace sf {

namespace {

using Entry = SideWindows *(*)();

QString lastDlError()
{
    const char *text = dlerror();
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}

// The module's windows from the loaded `handle`, or nullptr with `error`.
SideWindows *enter(void *handle, const QString &file, QString &error)
{
    dlerror();
    auto entry = reinterpret_cast<Entry>(dlsym(handle, SideWindowsModule::entryName()));
    if (!entry) {
        error = QStringLiteral("%1: not screenfilter's side windows of this version (no %2: %3)")
                    .arg(file, QLatin1String(SideWindowsModule::entryName()), lastDlError());
        return nullptr;
    }
    return entry(); // the module's one instance, never null
}

} // namespace

SideWindowsModule::SideWindowsModule() = default;

SideWindowsModule::SideWindowsModule(QString path) : m_files{std::move(path)} {}

const char *SideWindowsModule::fileName()
{
    return SCREENFILTER_MODULE_FILE;
}

const char *SideWindowsModule::entryName()
{
    return "screenfilter_side_windows_1";
}

SideWindows *SideWindowsModule::windows(QString &error)
{
    if (m_windows)
        return m_windows;
    QStringList files = m_files;
    if (files.isEmpty()) {
        // Linked in already: no file to look for, and never a second copy.
        if (void *resident = dlopen(fileName(), RTLD_NOW | RTLD_NOLOAD)) {
            QString problem;
            m_windows = enter(resident, QLatin1String(fileName()), problem);
            if (m_windows)
                return m_windows;
        }
        const QDir programDir(QCoreApplication::applicationDirPath());
        const QString name = QLatin1String(fileName());
        files = {programDir.filePath(name),
                 QDir::cleanPath(programDir.filePath(QStringLiteral(SCREENFILTER_MODULE_DIR "/") + name))};
    }
    QStringList problems;
    for (const QString &file : files) {
        // Resolved now, so that a module missing a symbol fails here and not
        // in the middle of a window.
        void *handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
        QString problem;
        if (!handle)
            problem = lastDlError();
        else if ((m_windows = enter(handle, file, problem)))
            return m_windows;
        // A file that loaded but is not the module stays loaded: its
        // initialisers may have registered things with Qt.
        problems.append(problem);
    }
    error = problems.join(QLatin1Char('\n'));
    return nullptr;
}

} // namespace sf
