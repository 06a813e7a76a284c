#include "ScreenModel.h"

#include "ExtendedMath.h"

namespace sf {

namespace {

// cm per inch, held as the extended value nearest to 2.54 (a hair below the
// double 2.54): the pitch 2.54/M then leaves a thin wire a tiny positive or
// negative opening where doubles would give exactly zero.
constexpr Extended CmPerInch = 2.54L;

// 4 * 1000 * 2.54^2 / (3600 * 3.1415926): kg/hr to g/s (1000/3600), the face
// area pi D^2 / 4 of the screen, and inch to cm for the mesh count, which
// enters squared. 3.1415926 rather than pi is part of the model: with the full
// pi the results differ from the eighth significant digit on.
constexpr Extended C = 2.28178677414902379272L;

constexpr float Two = 2.0f;
constexpr float Three = 3.0f;
constexpr float One = 1.0f;
constexpr float GramsPerKilogram = 1000.0f;

} // namespace

void ComputeScreens(TFilterCase &c)
{
    const Extended n = c.PowerLawFactor;

    // P1..P3, the shear-rate power of K and the flow power depend on the
    // case alone, not on the screen. They are computed where screen 1 first
    // needs each of them, so that the first fault in step order is still the
    // one reported, and reused for the other screens.
    Extended p2p1 = 0;
    Extended p3 = 0;
    Extended shearPower = 0;
    Extended flowPower = 0;

    for (int i = 0; i < c.ScreenCount; ++i) {
        TScreenLayer &s = c.Screens[i];
        const bool first = i == 0;
        const Extended m = s.Mesh;
        const Extended w = s.WireDia;

        s.Opening = ext::store(ext::sub(ext::div(CmPerInch, m), w));

        if (first) {
            const Extended p1 = ext::power(Two, ext::add(n, Three));
            const Extended p2 = ext::power(ext::add(ext::div(One, n), Three), n);
            p2p1 = ext::mul(p2, p1);
            p3 = ext::power(C, n);
        }
        const Extended num = ext::mul(ext::mul(p3, p2p1), w);
        const Extended p4 = ext::power(m, ext::mul(Two, n));
        const Extended p5 = ext::power(s.Opening, ext::add(ext::mul(Three, n), One));
        const Extended den = ext::mul(p5, p4);
        s.ScreenFactor = ext::store(ext::div(num, den));

        if (first)
            shearPower = ext::power(c.ShiftedShearRate, ext::sub(One, n));
        const Extended k = ext::mul(shearPower, ext::mul(s.ScreenFactor, c.ShiftedViscosity));

        if (first) {
            const Extended v = ext::div(c.FlowRate, ext::mul(ext::mul(c.Density, c.ScreenDiameter),
                                                             c.ScreenDiameter));
            flowPower = ext::power(v, n);
        }
        s.PressDropGf = ext::store(ext::mul(flowPower, k));
        s.PressDrop = ext::store(ext::div(s.PressDropGf, GramsPerKilogram));
    }
}

} // namespace sf
