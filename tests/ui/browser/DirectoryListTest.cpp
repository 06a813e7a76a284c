#include "BrowserTest.h"

#include "browser/DirectoryList.h"
#include "calc/Errors.h"

#include <QSignalSpy>
#include <QTest>

#include <cerrno>

using namespace sf;

namespace {

using F = FolderKind;

// What an entry shows.
struct Shown {
    QString text;
    FolderKind kind;
    int indent;
};

struct EntriesRow {
    const char *name;
    const char *directory;
    QByteArrayList subdirectories;
    std::vector<Shown> expected;
};

void PrintTo(const EntriesRow &row, std::ostream *os) { *os << row.name; }

class DirectoryEntriesTest : public ::testing::TestWithParam<EntriesRow> {};

TEST_P(DirectoryEntriesTest, TextsKindsAndIndents)
{
    const EntriesRow &row = GetParam();
    const std::vector<DirectoryEntry> entries = directoryEntries(row.directory, row.subdirectories);
    ASSERT_EQ(entries.size(), row.expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].text, row.expected[i].text) << "entry " << i;
        EXPECT_EQ(entries[i].kind, row.expected[i].kind) << "entry " << i;
        EXPECT_EQ(entries[i].indent, row.expected[i].indent) << "entry " << i;
    }
}

const EntriesRow EntriesRows[] = {
    {"DeepPath", "/srv/melt/line 2", {"Jan", "feb"},
     {{"/", F::Open, 2}, {"srv", F::Open, 6}, {"melt", F::Open, 10}, {"line 2", F::Current, 14},
      {"Jan", F::Closed, 18}, {"feb", F::Closed, 18}}},
    {"OneBelowRoot", "/home", {"ann"}, {{"/", F::Open, 2}, {"home", F::Current, 6}, {"ann", F::Closed, 10}}},
    {"Root", "/", {"bin", "home"}, {{"/", F::Current, 2}, {"bin", F::Closed, 10}, {"home", F::Closed, 10}}},
    // Names in a legacy code page show U+FFFD for each byte that is not UTF-8.
    {"NotUtf8", "/srv/\x83\x81\x83\x62", {"a\xff"},
     {{"/", F::Open, 2}, {"srv", F::Open, 6}, {"\uFFFD\uFFFD\uFFFDb", F::Current, 10}, {"a\uFFFD", F::Closed, 14}}},
};

INSTANTIATE_TEST_SUITE_P(Paths, DirectoryEntriesTest, ::testing::ValuesIn(EntriesRows),
                         [](const auto &info) { return std::string(info.param.name); });

class DirectoryListTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        makeDirs({"a/b/c/zeta", "a/b/c/Alpha", "a/b/c/beta", "a/b/c/Beta", "a/b/c/.hidden", "a/b/c/_under"});
        makeFiles({"a/b/c/file.txt", "a/b/c/.profile"});
        ASSERT_TRUE(QFile::link(path("a/b/c/Alpha"), path("a/b/c/linked")));
        enter("a/b/c");
    }

    QStringList texts(const DirectoryList &list) const
    {
        QStringList t;
        for (const DirectoryEntry &e : list.entries())
            t.append(e.text);
        return t;
    }

    // Everything a user could see of the list and the directory it holds.
    struct State {
        QByteArray directory;
        QStringList texts;
        int highlighted;
        QByteArray held;
        bool operator==(const State &) const = default;
    };
    State stateOf(const DirectoryList &list) const
    {
        return {list.directory(), texts(list), list.currentRow(), pathOf(list.saveDirectory())};
    }
};

TEST_F(DirectoryListTest, ShowsThePathThenVisibleSubdirectoriesSortedIgnoringCase)
{
    RecordingErrors errors;
    DirectoryList list(errors, startUpDirectory());
    EXPECT_EQ(list.directory(), bytes("a/b/c"));

    QStringList expected = {"/"};
    expected += m_root.split('/', Qt::SkipEmptyParts);
    expected += QStringList{"a", "b", "c", "_under", "Alpha", "Beta", "beta", "linked", "zeta"};
    EXPECT_EQ(texts(list), expected);

    const int current = static_cast<int>(expected.indexOf("c"));
    EXPECT_EQ(list.entries()[static_cast<std::size_t>(current)].kind, FolderKind::Current);
    EXPECT_EQ(list.currentRow(), current);
    EXPECT_EQ(list.count(), expected.size());
}

TEST_F(DirectoryListTest, StartedInTheRoot)
{
    ASSERT_EQ(::chdir("/"), 0);
    RecordingErrors errors;
    DirectoryList list(errors, startUpDirectory());
    ASSERT_GE(list.entries().size(), 2u);
    EXPECT_EQ(list.entries()[0].text, "/");
    EXPECT_EQ(list.entries()[0].kind, FolderKind::Current);
    EXPECT_EQ(list.currentRow(), 0);
    for (std::size_t i = 1; i < list.entries().size(); ++i) {
        EXPECT_EQ(list.entries()[i].kind, FolderKind::Closed);
        EXPECT_FALSE(list.entries()[i].text.startsWith('.'));
    }
}

enum class Gesture { Call, DoubleClick, EnterKey };

struct OpenRow {
    const char *name;
    const char *entry;   // the text of the entry opened
    const char *result;  // relative to the tree; nullptr: the list stays as it was
    Gesture gesture;
};

void PrintTo(const OpenRow &row, std::ostream *os) { *os << row.name; }

class OpenEntryTest : public DirectoryListTest, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(OpenEntryTest, OpensAsTheUserAsked)
{
    const OpenRow &row = GetParam();
    RecordingErrors errors;
    DirectoryList list(errors, startUpDirectory());
    list.resize(200, 400);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changed(&list, &DirectoryList::directoryChanged);
    const State before = stateOf(list);

    const int row_ = static_cast<int>(texts(list).indexOf(row.entry));
    ASSERT_GE(row_, 0);
    switch (row.gesture) {
    case Gesture::Call:
        list.openEntry(row_);
        break;
    case Gesture::DoubleClick: {
        const QPoint centre = list.visualItemRect(list.item(row_)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        EXPECT_EQ(stateOf(list).directory, before.directory) << "a single click only highlights";
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
        break;
    }
    case Gesture::EnterKey:
        list.setFocus();
        list.setCurrentRow(row_ - 1);
        QTest::keyClick(&list, Qt::Key_Down);
        EXPECT_EQ(stateOf(list).directory, before.directory) << "an arrow key only highlights";
        QTest::keyClick(&list, Qt::Key_Return);
        break;
    }

    EXPECT_TRUE(errors.texts.empty());
    if (!row.result) {
        EXPECT_EQ(stateOf(list), before);
        EXPECT_EQ(changed.count(), 0);
        return;
    }
    const QByteArray expected = QByteArray(row.result) == "/" ? QByteArray("/") : bytes(row.result);
    EXPECT_EQ(list.directory(), expected);
    EXPECT_EQ(pathOf(list.saveDirectory()), expected);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toByteArray(), expected);
    // The opened directory is the current folder, highlighted.
    const DirectoryEntry &highlighted = list.entries()[static_cast<std::size_t>(list.currentRow())];
    EXPECT_EQ(highlighted.kind, FolderKind::Current);
    EXPECT_EQ(highlighted.text, expected == "/" ? "/" : QString::fromUtf8(expected).section('/', -1));
}

const OpenRow OpenRows[] = {
    {"OpenFolder", "a", "a", Gesture::Call},
    {"OpenFolderByDoubleClick", "b", "a/b", Gesture::DoubleClick},
    {"Root", "/", "/", Gesture::Call},
    {"ClosedFolderOfTheOtherCase", "Beta", "a/b/c/Beta", Gesture::EnterKey},
    {"LinkToAFolderEntersItsTarget", "linked", "a/b/c/Alpha", Gesture::Call},
    {"CurrentFolderChangesNothing", "c", nullptr, Gesture::Call},
    {"CurrentFolderByDoubleClick", "c", nullptr, Gesture::DoubleClick},
};

INSTANTIATE_TEST_SUITE_P(Entries, OpenEntryTest, ::testing::ValuesIn(OpenRows),
                         [](const auto &info) { return std::string(info.param.name); });

struct FailureRow {
    const char *name;
    void (*breakIt)(const QString &dir); // dir is the subdirectory "zeta"
    const char *shown;
};

void PrintTo(const FailureRow &row, std::ostream *os) { *os << row.name; }

class EnterFailureTest : public DirectoryListTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(EnterFailureTest, ShowsTheErrorAndChangesNothing)
{
    RecordingErrors errors;
    DirectoryList list(errors, startUpDirectory());
    QSignalSpy changed(&list, &DirectoryList::directoryChanged);
    const State before = stateOf(list);

    GetParam().breakIt(path("a/b/c/zeta"));
    list.openEntry(static_cast<int>(texts(list).indexOf("zeta")));

    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], GetParam().shown);
    EXPECT_EQ(stateOf(list), before);
    EXPECT_EQ(changed.count(), 0);
}

const FailureRow FailureRows[] = {
    {"RemovedBeforeOpening", [](const QString &dir) { ASSERT_TRUE(QDir(dir).removeRecursively()); },
     "ファイルが見つかりません."},
    {"ReplacedByAFile",
     [](const QString &dir) {
         ASSERT_TRUE(QDir(dir).removeRecursively());
         QFile file(dir);
         ASSERT_TRUE(file.open(QIODevice::WriteOnly));
     },
     "ファイル名の指定が間違っています."},
};

INSTANTIATE_TEST_SUITE_P(Entries, EnterFailureTest, ::testing::ValuesIn(FailureRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
