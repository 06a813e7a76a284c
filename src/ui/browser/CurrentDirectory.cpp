#include "CurrentDirectory.h"

#include <fcntl.h>

namespace sf {

HeldDirectory startUpDirectory()
{
    HeldDirectory directory;
    directory.open(AT_FDCWD, ".");
    return directory;
}

QByteArray pathOf(const HeldDirectory &directory)
{
    const std::string path = directory.path();
    return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

QString displayName(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace sf
