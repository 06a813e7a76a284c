#pragma once

#include <QString>

#include <string_view>

namespace sf {

// The core's UTF-8 texts (captions, units, field texts) as the window shows them.
inline QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace sf
