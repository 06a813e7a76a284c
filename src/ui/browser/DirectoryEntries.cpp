#include "DirectoryEntries.h"

#include "CurrentDirectory.h"
#include "io/Directories.h"

#include <algorithm>
#include <utility>

namespace sf {

namespace {

bool lessIgnoringCase(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

void sortNamesIgnoringCase(QStringList &names)
{
    std::sort(names.begin(), names.end(), lessIgnoringCase);
}

void sortNamesIgnoringCase(QByteArrayList &names)
{
    std::vector<std::pair<QString, QByteArray>> shown;
    shown.reserve(static_cast<std::size_t>(names.size()));
    for (const QByteArray &name : names)
        shown.emplace_back(displayName(name), name);
    std::sort(shown.begin(), shown.end(), [](const auto &a, const auto &b) {
        if (a.first != b.first)
            return lessIgnoringCase(a.first, b.first);
        return a.second < b.second;
    });
    for (std::size_t i = 0; i < shown.size(); ++i)
        names[static_cast<qsizetype>(i)] = shown[i].second;
}

std::vector<DirectoryEntry> directoryEntries(const QByteArray &directory, const QByteArrayList &subdirectories)
{
    QByteArrayList names = directory.split('/');
    names.removeAll(QByteArray());
    std::vector<DirectoryEntry> entries;
    entries.reserve(static_cast<std::size_t>(1 + names.size() + subdirectories.size()));

    entries.push_back({QStringLiteral("/"), names.isEmpty() ? FolderKind::Current : FolderKind::Open, 2, "/"});
    for (int i = 0; i < names.size(); ++i) {
        const bool last = i == names.size() - 1;
        entries.push_back({displayName(names[i]), last ? FolderKind::Current : FolderKind::Open, 4 * (i + 1) + 2, names[i]});
    }

    const int slashes = static_cast<int>(directory.count('/'));
    for (const QByteArray &name : subdirectories)
        entries.push_back({displayName(name), FolderKind::Closed, 4 * slashes + 6, name});
    return entries;
}

QByteArray entryPath(const QByteArray &directory, const std::vector<DirectoryEntry> &entries, int index)
{
    const DirectoryEntry &entry = entries.at(static_cast<std::size_t>(index));
    switch (entry.kind) {
    case FolderKind::Current:
        return directory;
    case FolderKind::Closed:
        return directory == "/" ? '/' + entry.name : directory + '/' + entry.name;
    case FolderKind::Open:
        break;
    }
    QByteArray path;
    for (int i = 1; i <= index; ++i)
        path += '/' + entries[static_cast<std::size_t>(i)].name;
    return path.isEmpty() ? QByteArray("/") : path;
}

QByteArrayList readSubdirectories(const QByteArray &directory)
{
    QByteArrayList names;
    readDirectory(byteView(directory), [&names](std::string_view name, EntryType type) {
        if (type == EntryType::Directory && name.front() != '.')
            names.append(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    });
    sortNamesIgnoringCase(names);
    return names;
}

} // namespace sf
