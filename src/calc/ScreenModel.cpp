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

PackGeometry::PackGeometry(const FilterCase &c)
{
    const Extended n = c.PowerLawFactor;
    // P1..P3 depend on n alone: computed where screen 1 first needs them,
    // so that the first fault in step order is still the one reported.
    Extended p3p2p1 = 0;
    for (; m_computed < c.ScreenCount; ++m_computed) {
        const ScreenLayer &layer = c.Screens[static_cast<std::size_t>(m_computed)];
        Screen &s = m_screens[static_cast<std::size_t>(m_computed)];
        const Extended m = layer.Mesh;
        const Extended w = layer.WireDia;
        m_faultAfterOpening = false;
        try {
            s.opening = ext::store(ext::sub(ext::div(CmPerInch, m), w));
            m_faultAfterOpening = true;
            if (m_computed == 0) {
                const Extended p1 = ext::power(Two, ext::add(n, Three));
                const Extended p2 = ext::power(ext::add(ext::div(One, n), Three), n);
                const Extended p2p1 = ext::mul(p2, p1);
                const Extended p3 = ext::power(C, n);
                p3p2p1 = ext::mul(p3, p2p1);
            }
            const Extended num = ext::mul(p3p2p1, w);
            const Extended p4 = ext::power(m, ext::mul(Two, n));
            const Extended p5 = ext::power(s.opening, ext::add(ext::mul(Three, n), One));
            const Extended den = ext::mul(p5, p4);
            s.screenFactor = ext::store(ext::div(num, den));
        } catch (const MathError &) {
            m_fault = std::current_exception();
            return;
        }
    }
}

void PackGeometry::apply(FilterCase &c, ModelFault *where) const
{
    const Extended n = c.PowerLawFactor;
    // The shear-rate power of K and the flow power depend on the case alone;
    // computed where screen 1 first needs them, then reused.
    Extended shearPower = 0;
    Extended flowPower = 0;
    for (int i = 0; i < c.ScreenCount; ++i) {
        ScreenLayer &layer = c.Screens[static_cast<std::size_t>(i)];
        const Screen &s = m_screens[static_cast<std::size_t>(i)];
        if (i == m_computed) {
            if (m_faultAfterOpening)
                layer.Opening = s.opening;
            if (where)
                *where = {m_faultAfterOpening ? ModelFault::Step::ScreenFactor : ModelFault::Step::Opening, i + 1};
            std::rethrow_exception(m_fault);
        }
        layer.Opening = s.opening;
        layer.ScreenFactor = s.screenFactor;

        try {
            if (i == 0)
                shearPower = ext::power(c.ShiftedShearRate, ext::sub(One, n));
            const Extended k = ext::mul(shearPower, ext::mul(layer.ScreenFactor, c.ShiftedViscosity));

            if (i == 0) {
                const Extended v = ext::div(c.FlowRate, ext::mul(ext::mul(c.Density, c.ScreenDiameter),
                                                                 c.ScreenDiameter));
                flowPower = ext::power(v, n);
            }
            layer.PressDropGf = ext::store(ext::mul(flowPower, k));
            layer.PressDrop = ext::store(ext::div(layer.PressDropGf, GramsPerKilogram));
        } catch (const MathError &) {
            if (where)
                *where = {ModelFault::Step::PressureDrop, i + 1};
            throw;
        }
    }
}

double modelOpening(double mesh, double wire)
{
    return static_cast<double>(CmPerInch / static_cast<Extended>(mesh) - static_cast<Extended>(wire));
}

ScreenDetails screenDetails(const FilterCase &c, int screen)
{
    const ScreenLayer &layer = c.Screens[static_cast<std::size_t>(screen - 1)];
    const Extended n = c.PowerLawFactor;
    const Extended m = layer.Mesh;
    const Extended a = layer.Opening;
    const Extended d = c.ScreenDiameter;
    const Extended shareOpen = a * m / CmPerInch;
    const Extended wallShearRate = 2 * (3 * n + 1) / n * C * static_cast<Extended>(c.FlowRate) /
                                   (static_cast<Extended>(c.Density) * d * d * m * m * a * a * a);
    const Extended apparentViscosity =
        static_cast<Extended>(layer.PressDropGf) * a / (8 * static_cast<Extended>(layer.WireDia) * wallShearRate);
    return {static_cast<double>(shareOpen * shareOpen), static_cast<double>(wallShearRate),
            static_cast<double>(apparentViscosity)};
}

void ComputeScreens(FilterCase &c)
{
    PackGeometry(c).apply(c);
}

} // namespace sf
