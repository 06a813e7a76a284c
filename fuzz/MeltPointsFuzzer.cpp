// The points reader on arbitrary bytes, then the fit on what it takes: a
// told fault or a melt, never a crash, and every value it lets through is
// one the fit can take the logarithm of. The fit runs with its defaults,
// with A given, and with options drawn from the points themselves (the
// reference temperature, SR0, an activation energy); a melt it returns is
// one a run can use at the points' own temperatures.

#include "melt/MeltFit.h"
#include "melt/ViscosityPoints.h"
#include "calc/Errors.h"
#include "calc/ShiftViscosity.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    sf::ViscosityPoints read;
    try {
        read = sf::parseViscosityPoints(bytes, "fuzz.csv", std::nullopt);
    } catch (const sf::PointsFileError &e) {
        // Every message names the file first, and there is one at least.
        if (e.problems().empty())
            std::abort();
        for (const std::string &p : e.problems())
            if (p.rfind("fuzz.csv", 0) != 0)
                std::abort();
        return 0;
    }
    if (read.points.size() < 2 || read.points.size() > sf::MaxViscosityPoints)
        std::abort();
    for (const sf::ViscosityPoint &p : read.points)
        if (!(std::isfinite(p.temperature) && p.temperature > -273.0 && std::isfinite(p.shearRate) &&
              p.shearRate > 0 && std::isfinite(p.viscosity) && p.viscosity > 0))
            std::abort();

    sf::MeltFitOptions fixedA;
    fixedA.shiftA = 15180;
    sf::MeltFitOptions drawn;
    drawn.referenceTemperature = read.points.front().temperature;
    drawn.standardShearRate = read.points.back().shearRate;
    drawn.activationEnergy = sf::ActivationEnergy{read.points.front().viscosity * 1000,
                                                  read.points.size() % 2 ? sf::ActivationBasis::ConstantStress
                                                                         : sf::ActivationBasis::ConstantShearRate};
    for (const sf::MeltFitOptions &options : {sf::MeltFitOptions{}, fixedA, drawn}) {
        try {
            const sf::MeltFit fit = sf::fitMelt(read, options);
            if (!(fit.powerLawFactor > 0 && fit.shiftA > 0 && std::isnormal(fit.standardViscosity) &&
                  std::isfinite(fit.shiftB) && fit.points.size() == read.points.size()))
                std::abort();
            for (const double t : {fit.temperatureMin, fit.temperatureMax})
                if (!std::isnormal(std::exp(sf::ShiftExponent(t, fit.shiftA, fit.shiftB))))
                    std::abort();
        } catch (const sf::MeltFitOptionError &) {
        } catch (const sf::MeltFitRejected &) {
        }
    }
    return 0;
}
