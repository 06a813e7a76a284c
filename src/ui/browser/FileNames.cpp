#include "FileNames.h"

#include "DirectoryEntries.h"
#include "io/IoErrors.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace sf {

void WaitCursorBusyPointer::show()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void WaitCursorBusyPointer::restore()
{
    QGuiApplication::restoreOverrideCursor();
}

namespace {

class BusyWhileListing {
public:
    explicit BusyWhileListing(BusyPointer &busy) : m_busy(busy) {}
    BusyWhileListing(const BusyWhileListing &) = delete;
    BusyWhileListing &operator=(const BusyWhileListing &) = delete;
    ~BusyWhileListing()
    {
        if (m_shown)
            m_busy.restore();
    }

    void counted(int names)
    {
        if (!m_shown && names >= BusyPointerFromName) {
            m_busy.show();
            m_shown = true;
        }
    }

private:
    BusyPointer &m_busy;
    bool m_shown = false;
};

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

bool isRegularFile(DIR *dir, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

QStringList readFileNames(const QString &directory, BusyPointer &busy)
{
    BusyWhileListing pointer(busy);
    std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(directory).constData()));
    if (!dir)
        throw ioError(errno);

    QStringList names;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw ioError(errno);
            break;
        }
        if (entry->d_name[0] == '.' || !isRegularFile(dir.get(), entry))
            continue;
        names.append(QFile::decodeName(entry->d_name));
        pointer.counted(static_cast<int>(names.size()));
    }
    sortNamesIgnoringCase(names);
    return names;
}

} // namespace sf
