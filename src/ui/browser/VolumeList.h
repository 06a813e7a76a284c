#pragma once

#include "MountTable.h"

#include <QString>

#include <vector>

namespace sf {

// The kind decides a volume's glyph and how its entry text is made.
enum class VolumeKind {
    Removable, // the mount point alone; the medium is not touched
    Fixed,     // mount point and [label]
    Network,   // mount point and the remote name
    CdRom,     // mount point and [label]
    Ram,       // mount point and [label]
};

struct Volume {
    QString mountPoint;
    VolumeKind kind = VolumeKind::Fixed;
    QString text; // the entry text of the drive selector
};

// The volumes a user can save to, ordered by mount point, so "/" comes
// first. Pseudo and system file systems are left out; when a mount point
// is mounted over, the last (visible) mount counts. The root is always
// present, as a fixed volume without a label if the table lacks it.
std::vector<Volume> buildVolumeList(const std::vector<MountEntry> &mounts);

// Whether path lies on or below mountPoint, comparing whole names.
bool isWithinMount(const QString &path, const QString &mountPoint);

// The index of the volume holding path (the longest mount-point prefix),
// or -1 when none does, which only happens for a relative path.
int volumeHolding(const std::vector<Volume> &volumes, const QString &path);

} // namespace sf
