#include "BrowserTest.h"

#include "browser/VolumeList.h"

#include <optional>

using namespace sf;

namespace {

const MountEntry Root{"/", "ext4", "/dev/sda2", "", false};

struct VolumeRow {
    const char *name;
    MountEntry mount;
    std::optional<Volume> expected; // none: left out of the list
};

void PrintTo(const VolumeRow &row, std::ostream *os) { *os << row.name; }

class VolumeEntryTest : public ::testing::TestWithParam<VolumeRow> {};

TEST_P(VolumeEntryTest, KindAndText)
{
    const VolumeRow &row = GetParam();
    const std::vector<Volume> volumes = buildVolumeList({Root, row.mount});
    if (!row.expected) {
        ASSERT_EQ(volumes.size(), 1u);
        EXPECT_EQ(volumes[0].mountPoint, "/");
        return;
    }
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[1].mountPoint, row.expected->mountPoint);
    EXPECT_EQ(volumes[1].text, row.expected->text);
    EXPECT_EQ(volumes[1].kind, row.expected->kind);
}

using K = VolumeKind;
const VolumeRow VolumeRows[] = {
    {"FixedWithLabel", {"/home", "ext4", "/dev/sda3", "Home Disk", false}, Volume{"/home", K::Fixed, "/home [home disk]"}},
    {"FixedWithoutLabel", {"/data", "xfs", "/dev/sdb1", "", false}, Volume{"/data", K::Fixed, "/data []"}},
    {"MountPointKeepsCase", {"/Data", "btrfs", "/dev/sdb2", "X&Y", false}, Volume{"/Data", K::Fixed, "/Data [x&y]"}},
    {"RemovableFlag", {"/mnt/stick", "vfat", "/dev/sdc1", "STICK", true}, Volume{"/mnt/stick", K::Removable, "/mnt/stick"}},
    {"UnderMedia", {"/media/ann/Backup", "ext4", "/dev/sdd1", "Backup", false}, Volume{"/media/ann/Backup", K::Removable, "/media/ann/Backup"}},
    {"UnderRunMedia", {"/run/media/ann/CARD", "exfat", "/dev/mmcblk0p1", "CARD", false}, Volume{"/run/media/ann/CARD", K::Removable, "/run/media/ann/CARD"}},
    {"Nfs", {"/mnt/share", "nfs4", "Server:/Export/Home", "", false}, Volume{"/mnt/share", K::Network, "/mnt/share server:/export/home"}},
    {"Cifs", {"/mnt/win", "cifs", "//FS01/Public", "", false}, Volume{"/mnt/win", K::Network, "/mnt/win //fs01/public"}},
    {"Sshfs", {"/home/ann/remote", "fuse.sshfs", "Ann@Host:/srv", "", false}, Volume{"/home/ann/remote", K::Network, "/home/ann/remote ann@host:/srv"}},
    {"NetworkWithoutRemoteName", {"/mnt/n", "smb3", "", "Remote", false}, Volume{"/mnt/n", K::Network, "/mnt/n [remote]"}},
    {"NetworkUnderMedia", {"/media/ann/nas", "nfs", "nas:/vol", "", false}, Volume{"/media/ann/nas", K::Network, "/media/ann/nas nas:/vol"}},
    {"CdRomUnderMedia", {"/media/ann/DISC", "iso9660", "/dev/sr0", "MY_DISC", true}, Volume{"/media/ann/DISC", K::CdRom, "/media/ann/DISC [my_disc]"}},
    {"Tmpfs", {"/tmp", "tmpfs", "tmpfs", "", false}, Volume{"/tmp", K::Ram, "/tmp []"}},
    {"Proc", {"/proc", "proc", "proc", "", false}, std::nullopt},
    {"Cgroup", {"/sys/fs/cgroup", "cgroup2", "cgroup2", "", false}, std::nullopt},
    {"Devtmpfs", {"/dev", "devtmpfs", "udev", "", false}, std::nullopt},
    {"RunTmpfs", {"/run", "tmpfs", "tmpfs", "", false}, std::nullopt},
    {"Gvfs", {"/home/ann/.gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse", "", false}, std::nullopt},
    {"Snap", {"/snap/core22/1033", "squashfs", "/dev/loop3", "", false}, std::nullopt},
    {"OverlayLayer", {"/var/lib/docker/overlay2/abc/merged", "overlay", "overlay", "", false}, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Mounts, VolumeEntryTest, ::testing::ValuesIn(VolumeRows),
                         [](const auto &info) { return std::string(info.param.name); });

QStringList mountPoints(const std::vector<Volume> &volumes)
{
    QStringList points;
    for (const Volume &v : volumes)
        points.append(v.mountPoint);
    return points;
}

TEST(VolumeList, OrderedByMountPointWithTheTopMountOfEachPoint)
{
    const std::vector<Volume> volumes = buildVolumeList({
        {"/mnt/b", "ext4", "/dev/sdb1", "first", false},
        {"/", "overlay", "overlay", "", false},
        {"/mnt/a", "ext4", "/dev/sdc1", "", false},
        {"/mnt/b", "ext4", "/dev/sdd1", "second", false},
        {"/mnt/c", "ext4", "/dev/sde1", "", false},
        {"/mnt/c", "proc", "proc", "", false},
    });
    EXPECT_EQ(mountPoints(volumes), QStringList({"/", "/mnt/a", "/mnt/b"}));
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].text, "/ []"); // a container's root
    EXPECT_EQ(volumes[2].text, "/mnt/b [second]");
}

TEST(VolumeList, RootIsAlwaysThere)
{
    const std::vector<Volume> volumes = buildVolumeList({{"/home", "ext4", "/dev/sda3", "", false}});
    EXPECT_EQ(mountPoints(volumes), QStringList({"/", "/home"}));
    EXPECT_EQ(volumes[0].kind, VolumeKind::Fixed);
}

TEST(VolumeList, LongestMountPointPrefixHoldsAPath)
{
    const std::vector<Volume> volumes = buildVolumeList({
        Root,
        {"/home", "ext4", "/dev/sda3", "", false},
        {"/home/ann/nfs", "nfs", "srv:/x", "", false},
        {"/media/ann/S", "vfat", "/dev/sdc1", "", true},
    });
    const struct {
        const char *path;
        const char *volume;
    } rows[] = {
        {"/", "/"},
        {"/etc", "/"},
        {"/home", "/home"},
        {"/homework", "/"},
        {"/home/ann", "/home"},
        {"/home/ann/nfs", "/home/ann/nfs"},
        {"/home/ann/nfs/deep/er", "/home/ann/nfs"},
        {"/home/ann/nfsx", "/home"},
        {"/media/ann/S/a", "/media/ann/S"},
        {"/media/ann", "/"},
    };
    for (const auto &row : rows) {
        const int index = volumeHolding(volumes, row.path);
        ASSERT_GE(index, 0) << row.path;
        EXPECT_EQ(volumes[static_cast<std::size_t>(index)].mountPoint, row.volume) << row.path;
    }
}

} // namespace
