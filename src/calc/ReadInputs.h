#pragma once

#include "FieldTexts.h"
#include "FilterCase.h"

#include <string_view>
#include <variant>

namespace sf {

// One of the two checks of ReadInputs failed. The run shows `message` in the
// message dialog, as it stands, and ends quietly.
struct InputRejection {
    enum class Check {
        ScreenCount, // Number of Screens is not a whole number from 1 to 12
        ScreenData,  // a mesh or wire of a screen in use does not read
    };
    Check check;
    std::string_view message;

    bool operator==(const InputRejection &) const = default;
};

inline constexpr InputRejection ScreenCountRejection{InputRejection::Check::ScreenCount,
                                                     "<Number of Screens> is not correct!"};
inline constexpr InputRejection ScreenDataRejection{InputRejection::Check::ScreenData,
                                                    "Number of screen data set is not enough!"};

// The case read from the texts, or the check that failed.
using ReadResult = std::variant<FilterCase, InputRejection>;

// Reads the field texts into a fresh case with `separator` as the decimal
// separator, in the window's reading order: the nine process and melt values,
// the number of screens, then the screen pairs, mesh first. Throws
// ConvertError or OverflowError for an unreadable process or melt value; the
// first one in that order is the one reported.
ReadResult ReadInputs(const FieldTexts &texts, char separator);

} // namespace sf
