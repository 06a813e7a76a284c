#include "FileNames.h"

#include "CurrentDirectory.h"
#include "DirectoryEntries.h"
#include "io/Directories.h"
#include "io/IoErrors.h"

#include <QCursor>
#include <QGuiApplication>

#include <string_view>

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

} // namespace

QStringList readFileNames(const QByteArray &directory, BusyPointer &busy)
{
    BusyWhileListing pointer(busy);
    QStringList names;
    const int err = readDirectory(byteView(directory), [&](std::string_view name, EntryType type) {
        if (name.front() == '.' || type != EntryType::File)
            return;
        names.append(displayName(QByteArray(name.data(), static_cast<qsizetype>(name.size()))));
        pointer.counted(static_cast<int>(names.size()));
    });
    if (err != 0)
        throw ioError(err);
    sortNamesIgnoringCase(names);
    return names;
}

} // namespace sf
