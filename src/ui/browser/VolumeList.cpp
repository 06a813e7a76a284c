#include "VolumeList.h"

#include <QSet>

#include <algorithm>
#include <map>
#include <optional>

namespace sf {

namespace {

// Kernel and desktop file systems that hold nothing a user saves into.
const QSet<QString> &pseudoFileSystems()
{
    static const QSet<QString> types{
        QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"), QStringLiteral("bpf"),
        QStringLiteral("cgroup"),     QStringLiteral("cgroup2"),     QStringLiteral("configfs"),
        QStringLiteral("debugfs"),    QStringLiteral("devpts"),      QStringLiteral("devtmpfs"),
        QStringLiteral("efivarfs"),   QStringLiteral("fusectl"),     QStringLiteral("hugetlbfs"),
        QStringLiteral("mqueue"),     QStringLiteral("nsfs"),        QStringLiteral("proc"),
        QStringLiteral("pstore"),     QStringLiteral("rootfs"),      QStringLiteral("rpc_pipefs"),
        QStringLiteral("securityfs"), QStringLiteral("selinuxfs"),   QStringLiteral("squashfs"),
        QStringLiteral("sysfs"),      QStringLiteral("tracefs"),     QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.lxcfs"), QStringLiteral("fuse.snapfuse"),
    };
    return types;
}

bool isNetworkFileSystem(const QString &type)
{
    static const QSet<QString> types{
        QStringLiteral("nfs"),   QStringLiteral("nfs4"),  QStringLiteral("cifs"),
        QStringLiteral("smb3"),  QStringLiteral("smbfs"), QStringLiteral("ncpfs"),
        QStringLiteral("afs"),   QStringLiteral("ceph"),  QStringLiteral("glusterfs"),
        QStringLiteral("davfs"), QStringLiteral("9p"),
    };
    static const QSet<QString> fuseTypes{
        QStringLiteral("sshfs"),  QStringLiteral("rclone"),  QStringLiteral("s3fs"),
        QStringLiteral("davfs2"), QStringLiteral("glusterfs"), QStringLiteral("ceph-fuse"),
        QStringLiteral("curlftpfs"), QStringLiteral("smbnetfs"),
    };
    if (types.contains(type))
        return true;
    return type.startsWith(QLatin1String("fuse.")) && fuseTypes.contains(type.mid(5));
}

// Mounts the system makes for itself: kernel interfaces, runtime state and
// container plumbing. /run/media is where desktops mount removable media.
bool isSystemMountPoint(const MountEntry &m)
{
    for (const char *top : {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock"}) {
        if (isWithinMount(m.mountPoint, QLatin1String(top)))
            return !isWithinMount(m.mountPoint, QStringLiteral("/run/media"));
    }
    // An overlay is a user's file system only as a container's root; any
    // other overlay mount is a container runtime's layer.
    return m.fileSystemType == QLatin1String("overlay") && m.mountPoint != QLatin1String("/");
}

bool isUnderMediaDirectory(const QString &mountPoint)
{
    return (mountPoint.startsWith(QLatin1String("/media/"))
            || mountPoint.startsWith(QLatin1String("/run/media/")));
}

QString bracketedLabel(const QString &label)
{
    return QLatin1Char('[') + label.toLower() + QLatin1Char(']');
}

std::optional<Volume> classify(const MountEntry &m)
{
    if (!m.mountPoint.startsWith(QLatin1Char('/')) || pseudoFileSystems().contains(m.fileSystemType)
        || isSystemMountPoint(m))
        return std::nullopt;

    Volume v;
    v.mountPoint = m.mountPoint;
    const QString type = m.fileSystemType;
    // The order matters: an optical drive and a network share mounted
    // under /media are still shown as what they are.
    if (isNetworkFileSystem(type)) {
        v.kind = VolumeKind::Network;
        v.text = m.mountPoint + QLatin1Char(' ')
                 + (m.source.isEmpty() ? bracketedLabel(m.label) : m.source.toLower());
    } else if (type == QLatin1String("iso9660") || type == QLatin1String("udf")) {
        v.kind = VolumeKind::CdRom;
        v.text = m.mountPoint + QLatin1Char(' ') + bracketedLabel(m.label);
    } else if (type == QLatin1String("tmpfs") || type == QLatin1String("ramfs")) {
        v.kind = VolumeKind::Ram;
        v.text = m.mountPoint + QLatin1Char(' ') + bracketedLabel(m.label);
    } else if (m.removableDevice || isUnderMediaDirectory(m.mountPoint)) {
        v.kind = VolumeKind::Removable;
        v.text = m.mountPoint;
    } else {
        v.kind = VolumeKind::Fixed;
        v.text = m.mountPoint + QLatin1Char(' ') + bracketedLabel(m.label);
    }
    return v;
}

} // namespace

bool isWithinMount(const QString &path, const QString &mountPoint)
{
    if (mountPoint == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == mountPoint
           || (path.startsWith(mountPoint) && path.at(mountPoint.size()) == QLatin1Char('/'));
}

std::vector<Volume> buildVolumeList(const std::vector<MountEntry> &mounts)
{
    // Later lines of a mount table lie on top of earlier ones.
    std::map<QString, const MountEntry *> top;
    for (const MountEntry &m : mounts)
        top[m.mountPoint] = &m;

    std::vector<Volume> volumes;
    for (const auto &[mountPoint, entry] : top) {
        if (std::optional<Volume> v = classify(*entry))
            volumes.push_back(*v);
    }
    if (volumes.empty() || volumes.front().mountPoint != QLatin1String("/"))
        volumes.insert(volumes.begin(), Volume{QStringLiteral("/"), VolumeKind::Fixed, QStringLiteral("/ []")});
    return volumes;
}

int volumeHolding(const std::vector<Volume> &volumes, const QString &path)
{
    int best = -1;
    for (int i = 0; i < static_cast<int>(volumes.size()); ++i) {
        const QString &mountPoint = volumes[static_cast<std::size_t>(i)].mountPoint;
        if (isWithinMount(path, mountPoint)
            && (best < 0 || mountPoint.size() > volumes[static_cast<std::size_t>(best)].mountPoint.size()))
            best = i;
    }
    return best;
}

} // namespace sf
