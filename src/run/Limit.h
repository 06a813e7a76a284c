#pragma once

// A pressure limit as the command line spells it: "total=150bar" for the
// total over the pack, "drop.3=20psi" for the drop across screen 3. The unit
// is one that --units takes, written right after the number.

#include "run/Sweep.h"

#include <string>
#include <string_view>

namespace sf {

struct PressureLimit {
    int screen = 0;      // 0: the total over the pack; 1 to 12: that screen's drop
    double value = 0;    // as written, in `unit`
    PressureUnit unit{"kgf/cm2", 1.0};

    // The limit in kgf/cm2, the unit of every computed pressure.
    double kgfCm2() const { return value / unit.perKgfCm2; }
    // "total 150 bar", "screen 3 20 psi": how a message or a legend names it.
    std::string label() const;
};

// Reads a --limit; throws UsageError with the user's message, which starts
// with "--limit: ".
PressureLimit parseLimit(std::string_view spec);

} // namespace sf
