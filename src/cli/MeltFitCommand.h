#pragma once

// screenfilter-cli melt fit: the melt's five values from measured viscosity
// points, as a [melt] section to paste, or written into a case file.

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace sf {

class PlotApplication;

struct MeltFitCommandOptions {
    std::string points;                       // the table of points
    std::optional<std::string> viscosityUnit; // Pa.s, mPa.s, P, gf.s/cm2; without: the header's, else Pa.s
    std::optional<double> referenceTemperature;
    double standardShearRate = 100;
    std::optional<double> shiftA;
    std::optional<std::string> activationEnergy;   // "45kJ/mol", "45000 J/mol"
    std::optional<std::string> activationEnergyAt; // constant-stress, constant-shear-rate
    std::optional<std::string> columns;            // "temperature=1,shear_rate=2,viscosity=Eta"
    std::optional<std::string> temperatureRange;   // "FROM:TO", °C, the fit window
    std::optional<std::string> shearRateRange;     // "FROM:TO", 1/s
    std::string format = "toml";
    std::optional<std::string> into; // a case file whose melt is replaced
    std::optional<std::string> plot; // FILE.svg or FILE.png
};

// Adds "melt" with its subcommand "fit" to `app`; when it runs, its exit
// code goes to `exitCode`. A plot is drawn with `plots`.
CLI::App *setupMelt(CLI::App &app, int &exitCode, PlotApplication &plots);

// 0 fitted, 1 the points fix no melt, 2 a bad points file, case file or
// option (nothing written).
int runMeltFit(const MeltFitCommandOptions &options, PlotApplication &plots);

} // namespace sf
