#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <vector>

namespace sf {

enum class FolderKind {
    Open,    // a directory above the list's directory on its path
    Current, // the list's directory itself
    Closed,  // a subdirectory of the list's directory
};

struct DirectoryEntry {
    QString text; // as shown: the name decoded, U+FFFD for a byte that is not UTF-8
    FolderKind kind = FolderKind::Closed;
    int indent = 0; // pixels from the left edge to the glyph
    QByteArray name; // as stored; "/" for the root
};

// Orders names without regard to case; names that differ only in case
// (possible on Linux) keep a fixed order, upper case first.
void sortNamesIgnoringCase(QStringList &names);
// The same for names as stored, ordered as they are shown; names shown
// alike (their bytes differ only where they do not decode) keep a fixed
// order by their bytes.
void sortNamesIgnoringCase(QByteArrayList &names);

// The entries of a directory list showing `directory` (absolute, no
// trailing "/" except for the root): "/" and each name down to the
// directory as path entries, then `subdirectories` as closed folders.
// Path entry i is indented 4 i + 2 pixels; subdirectories 4 L + 6, L being
// the number of "/" in the directory, so they sit one step right of the
// current folder (two steps at the root, where the root entry is at 2).
std::vector<DirectoryEntry> directoryEntries(const QByteArray &directory, const QByteArrayList &subdirectories);

// The full path that entry `index` of those entries stands for.
QByteArray entryPath(const QByteArray &directory, const std::vector<DirectoryEntry> &entries, int index);

// The directory's subdirectories (symbolic links to directories count),
// hidden ones left out, sorted ignoring case. A directory that cannot be
// read has none: entering it worked, so it is still a place to save into.
QByteArrayList readSubdirectories(const QByteArray &directory);

} // namespace sf
