#include "MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace sf {

namespace {

QByteArray readSysFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

// /sys/block lists whole disks only; a partition such as sdb1 takes the
// flag of its disk, the parent directory of its /sys/class/block entry.
bool isRemovableDevice(const QString &device)
{
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    // /dev/disk/by-label/... and /dev/mapper/... are links to the real node.
    const QString node = QFileInfo(device).canonicalFilePath();
    const QString name = QFileInfo(node.isEmpty() ? device : node).fileName();
    if (name.isEmpty())
        return false;

    const QByteArray whole = readSysFile(QStringLiteral("/sys/block/%1/removable").arg(name));
    if (!whole.isEmpty())
        return whole == "1";

    const QString classEntry = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (classEntry.isEmpty() || !QFileInfo::exists(classEntry + QLatin1String("/partition")))
        return false;
    return readSysFile(QFileInfo(classEntry).path() + QLatin1String("/removable")) == "1";
}

} // namespace

std::vector<MountEntry> SystemMountTable::mounts() const
{
    std::vector<MountEntry> entries;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        const QString mountPoint = volume.rootPath();
        if (!QFileInfo(mountPoint).isDir())
            continue;
        MountEntry entry;
        entry.mountPoint = mountPoint;
        entry.fileSystemType = QString::fromLatin1(volume.fileSystemType());
        entry.source = QFile::decodeName(volume.device());
        entry.label = volume.name();
        entry.removableDevice = isRemovableDevice(entry.source);
        entries.push_back(entry);
    }
    return entries;
}

} // namespace sf
