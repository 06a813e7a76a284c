#include "BrowserTest.h"

#include "browser/Glyphs.h"
#include "browser/DirectoryList.h"
#include "browser/VolumeSelector.h"
#include "calc/Errors.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>

using namespace sf;

namespace {

class FixedMounts : public MountTable {
public:
    explicit FixedMounts(std::vector<MountEntry> mounts) : m_mounts(std::move(mounts)) {}
    std::vector<MountEntry> mounts() const override { return m_mounts; }

private:
    std::vector<MountEntry> m_mounts;
};

// Two volumes mounted inside the test's tree, on top of the machine's root.
class DriveComboBoxTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        makeDirs({"fixed/work/old", "stick/photos"});
        m_mounts = std::make_unique<FixedMounts>(std::vector<MountEntry>{
            {"/", "ext4", "/dev/sda1", "System", false},
            {path("fixed"), "ext4", "/dev/sdb1", "Data", false},
            {path("stick"), "vfat", "/dev/sdc1", "STICK", true},
        });
        enter("fixed/work");
        m_list = std::make_unique<DirectoryList>(m_errors, startUpDirectory());
        m_drives = std::make_unique<VolumeSelector>(*m_mounts);
        m_drives->setDirectoryList(m_list.get());
    }

    int indexOf(const QString &mountPoint) const
    {
        for (std::size_t i = 0; i < m_drives->volumes().size(); ++i)
            if (m_drives->volumes()[i].mountPoint == mountPoint)
                return static_cast<int>(i);
        return -1;
    }

    QByteArray held() const { return pathOf(m_list->saveDirectory()); }

    QString selectedMountPoint() const
    {
        const int i = m_drives->currentIndex();
        return i < 0 ? QString() : m_drives->volumes()[static_cast<std::size_t>(i)].mountPoint;
    }

    RecordingErrors m_errors;
    std::unique_ptr<FixedMounts> m_mounts;
    std::unique_ptr<DirectoryList> m_list;
    std::unique_ptr<VolumeSelector> m_drives;
};

TEST_F(DriveComboBoxTest, ListsTheVolumesAndSelectsTheOneHoldingTheCurrentDirectory)
{
    QStringList shown;
    for (int i = 0; i < m_drives->count(); ++i)
        shown.append(m_drives->itemText(i));
    EXPECT_EQ(shown, QStringList({"/ [system]", path("fixed") + " [data]", path("stick")}));
    EXPECT_EQ(selectedMountPoint(), path("fixed"));
}

TEST_F(DriveComboBoxTest, EachVolumeRemembersItsLastDirectory)
{
    m_drives->chooseVolume(indexOf(path("stick")));
    EXPECT_EQ(held(), bytes("stick"));
    EXPECT_EQ(m_list->directory(), bytes("stick"));
    EXPECT_EQ(selectedMountPoint(), path("stick"));

    m_list->openEntry(static_cast<int>(m_list->entries().size()) - 1); // photos
    EXPECT_EQ(held(), bytes("stick/photos"));

    m_drives->chooseVolume(indexOf(path("fixed")));
    EXPECT_EQ(held(), bytes("fixed/work"));
    EXPECT_EQ(m_list->directory(), bytes("fixed/work"));

    m_drives->chooseVolume(indexOf(path("stick")));
    EXPECT_EQ(held(), bytes("stick/photos"));

    // The directory list crosses mounts; the selector follows it.
    m_list->enterDirectory("/");
    EXPECT_EQ(selectedMountPoint(), "/");
    m_list->enterDirectory(bytes("fixed/work/old"));
    EXPECT_EQ(selectedMountPoint(), path("fixed"));
    EXPECT_EQ(m_drives->rememberedDirectory(indexOf(path("stick"))), bytes("stick/photos"));
    EXPECT_TRUE(m_errors.texts.empty());
}

TEST_F(DriveComboBoxTest, ChoosingTheSelectedVolumeDoesNothing)
{
    m_list->openEntry(static_cast<int>(m_list->entries().size()) - 1); // old
    ASSERT_EQ(held(), bytes("fixed/work/old"));
    // Someone else moves it: entering the volume's remembered path again
    // would now fail.
    ASSERT_TRUE(QDir().rename(path("fixed/work/old"), path("fixed/work/moved")));
    QSignalSpy changed(m_list.get(), &DirectoryList::directoryChanged);

    m_drives->chooseVolume(indexOf(path("fixed")));

    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(held(), bytes("fixed/work/moved"));
    EXPECT_TRUE(m_errors.texts.empty());
}

TEST_F(DriveComboBoxTest, KeyboardChoiceActsAtOnce)
{
    m_drives->show();
    m_drives->setFocus();
    QTest::keyClick(m_drives.get(), Qt::Key_Down);
    EXPECT_EQ(selectedMountPoint(), path("stick"));
    EXPECT_EQ(held(), bytes("stick"));
}

TEST_F(DriveComboBoxTest, VolumeThatCannotBeEnteredShowsTheErrorAndChangesNothing)
{
    const std::size_t entriesBefore = m_list->entries().size();
    ASSERT_TRUE(QDir(path("stick")).removeRecursively()); // the medium was pulled out

    m_drives->chooseVolume(indexOf(path("stick")));

    ASSERT_EQ(m_errors.texts.size(), 1u);
    EXPECT_EQ(m_errors.texts[0], "ファイルが見つかりません.");
    EXPECT_EQ(held(), bytes("fixed/work"));
    EXPECT_EQ(m_list->directory(), bytes("fixed/work"));
    EXPECT_EQ(m_list->entries().size(), entriesBefore);
    // The selector shows the volume of the directory that stayed current,
    // so choosing the failed volume again tries it again.
    EXPECT_EQ(selectedMountPoint(), path("fixed"));
}

TEST(Glyphs, EachIsDistinctAndStaysInsideItsSize)
{
    const GlyphKind kinds[] = {GlyphKind::ClosedFolder, GlyphKind::OpenFolder, GlyphKind::CurrentFolder,
                               GlyphKind::Removable,    GlyphKind::HardDisk,   GlyphKind::Network,
                               GlyphKind::CdRom,        GlyphKind::Ram};
    std::vector<QImage> drawn;
    for (GlyphKind kind : kinds) {
        QImage image(24, 24, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            drawGlyph(painter, kind, QPoint(4, 4));
        }
        const QRect inside(QPoint(4, 4), glyphSize(kind));
        int covered = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool opaque = qAlpha(image.pixel(x, y)) != 0;
                EXPECT_FALSE(opaque && !inside.contains(x, y)) << "glyph " << static_cast<int>(kind) << " at " << x << "," << y;
                covered += opaque;
            }
        EXPECT_GT(covered, inside.width() * inside.height() / 3) << "glyph " << static_cast<int>(kind);
        for (const QImage &other : drawn)
            EXPECT_NE(image, other) << "glyph " << static_cast<int>(kind);
        drawn.push_back(image);
    }
}

} // namespace
