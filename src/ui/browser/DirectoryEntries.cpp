#include "DirectoryEntries.h"

#include <QDir>

#include <algorithm>

namespace sf {

void sortNamesIgnoringCase(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

std::vector<DirectoryEntry> directoryEntries(const QString &directory, const QStringList &subdirectories)
{
    const QStringList names = directory.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    std::vector<DirectoryEntry> entries;
    entries.reserve(static_cast<std::size_t>(1 + names.size() + subdirectories.size()));

    entries.push_back({QStringLiteral("/"), names.isEmpty() ? FolderKind::Current : FolderKind::Open, 2});
    for (int i = 0; i < names.size(); ++i) {
        const bool last = i == names.size() - 1;
        entries.push_back({names[i], last ? FolderKind::Current : FolderKind::Open, 4 * (i + 1) + 2});
    }

    const int slashes = static_cast<int>(directory.count(QLatin1Char('/')));
    for (const QString &name : subdirectories)
        entries.push_back({name, FolderKind::Closed, 4 * slashes + 6});
    return entries;
}

QString entryPath(const QString &directory, const std::vector<DirectoryEntry> &entries, int index)
{
    const DirectoryEntry &entry = entries.at(static_cast<std::size_t>(index));
    switch (entry.kind) {
    case FolderKind::Current:
        return directory;
    case FolderKind::Closed:
        return directory == QLatin1String("/") ? QLatin1Char('/') + entry.text
                                               : directory + QLatin1Char('/') + entry.text;
    case FolderKind::Open:
        break;
    }
    QString path;
    for (int i = 1; i <= index; ++i)
        path += QLatin1Char('/') + entries[static_cast<std::size_t>(i)].text;
    return path.isEmpty() ? QStringLiteral("/") : path;
}

QStringList readSubdirectories(const QString &directory)
{
    // QDir leaves out hidden names unless told otherwise.
    QStringList names = QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    sortNamesIgnoringCase(names);
    return names;
}

} // namespace sf
