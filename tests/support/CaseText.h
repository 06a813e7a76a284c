#pragma once

#include <string>

namespace sf::test {

// A case file of one 30-mesh screen, the worked example's melt, written out
// as a user would write it.
inline const std::string OneScreenCase = R"([process]
flow_rate = 57.5
screen_diameter = 5.0
density = 0.96
temperature = 290.0

[melt]
standard_viscosity = 9.55
standard_shear_rate = 100.0
power_law_factor = 0.469
shift_a = 15180.0
shift_b = 26.96

[pack]
count = 1
screens = [{ mesh = 30, wire = 0.0254 }]

[report]
file = "result.txt"
)";

} // namespace sf::test
