#include "CurrentDirectory.h"

#include "io/Directories.h"

namespace sf {

QByteArray currentDirectory()
{
    const std::string path = currentDirectoryPath();
    return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

int enterDirectory(const QByteArray &path)
{
    return enterDirectoryPath(byteView(path));
}

QString displayName(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace sf
