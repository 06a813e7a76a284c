#include "CurrentDirectory.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <unistd.h>
#include <vector>

namespace sf {

QString currentDirectory()
{
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return QFile::decodeName(buffer.data());
}

int enterDirectory(const QString &path)
{
    return chdir(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

} // namespace sf
