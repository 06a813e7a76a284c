#pragma once

#include <QString>

#include <vector>

namespace sf {

// One line of the system's mount table, as far as the volume list needs it.
struct MountEntry {
    QString mountPoint;     // absolute, no trailing "/" except for the root
    QString fileSystemType; // as the kernel names it: "ext4", "nfs4", "fuse.sshfs"
    QString source;         // the device or, for a network mount, the remote name
    QString label;          // the volume label, empty when there is none
    bool removableDevice = false; // the block device says its medium can be removed
};

// Where the volume list gets its mounts from. The program reads the
// system's table; tests hand in fixed sets so they do not depend on the
// machine they run on.
class MountTable {
public:
    virtual ~MountTable() = default;
    virtual std::vector<MountEntry> mounts() const = 0;
};

// The mounts the system reports through QStorageInfo, with the removable
// flag of each block device taken from /sys. Mount points that are not
// directories (files bind-mounted into a container) are left out here,
// because the classification never touches the file system.
class SystemMountTable : public MountTable {
public:
    std::vector<MountEntry> mounts() const override;
};

} // namespace sf
