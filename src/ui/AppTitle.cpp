#include "AppTitle.h"

#include <QCoreApplication>

#include <algorithm>

namespace sf {

QString applicationTitle(const QString &executablePath)
{
    const qsizetype slash = std::max(executablePath.lastIndexOf(u'/'), executablePath.lastIndexOf(u'\\'));
    QString name = executablePath.mid(slash + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    // The first character is a whole code point, not half a surrogate pair.
    const qsizetype firstLength = name.front().isHighSurrogate() && name.size() > 1 ? 2 : 1;
    return name.left(firstLength).toUpper() + name.mid(firstLength).toLower();
}

QString messageBoxCaption()
{
    // Start-up stores the title as the application name; nothing else sets it.
    return QCoreApplication::applicationName();
}

} // namespace sf
