#pragma once

// The one sequence of a run: read the field texts, shift the viscosity,
// compute the screens. An evaluator computes many points of one case, each
// the case with some of its numeric fields set to other values; every point is
// computed exactly as a single run of that case would be (the same bits,
// the same first fault), and what does not change between points is kept:
// the case as read, the temperature shift and the pack's geometry while
// their inputs are bit-identical. runCase, sweeps, solving and the window's
// study all evaluate through here.

#include "calc/FieldTexts.h"
#include "calc/FilterCase.h"
#include "calc/ScreenModel.h"

#include <array>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sf {

// 1 gf.s/cm2 = 9.80665e-3 N s / 1e-4 m2 = 98.0665 Pa.s, exactly.
constexpr double PascalSecondsPerGfSecondPerCm2 = 98.0665;

// Where a point stopped.
enum class PointStatus {
    Ok,       // computed
    Rejected, // a check of the inputs refused it: the message dialog's words
    Failed,   // an error ended it: the default error box's words
};

// The step of a run an error ended it in.
enum class RunStep { None, Reading, Shift, Opening, ScreenFactor, PressureDrop, Total };

// One screen of a computed point, units as the window's labels, the
// viscosity in Pa.s.
struct ScreenResult {
    double mesh = 0;              // 1/in
    double wire = 0;              // cm
    double opening = 0;           // cm
    double openArea = 0;          // fraction of the face, 0 to 1
    double screenFactor = 0;      // cm^-n
    double wallShearRate = 0;     // 1/s
    double apparentViscosity = 0; // Pa.s
    double pressureDrop = 0;      // kgf/cm2
};

struct PointResult {
    PointStatus status = PointStatus::Failed;
    std::string message;  // the window's words when not Ok
    RunStep step = RunStep::None;
    int faultScreen = 0;  // 1 to 12 when the error came at a screen
    double total = 0;     // kgf/cm2, the report's running total
    int screenCount = 0;  // screens in use
    // Screen 1 first. Mesh, wire, opening, screen factor and drop always;
    // open area, wall shear rate and apparent viscosity when the evaluator
    // computes details.
    std::array<ScreenResult, MaxScreens> screens{};

    bool ok() const { return status == PointStatus::Ok; }
};

class PointEvaluator {
public:
    // The case's texts are read with `separator` as the decimal separator.
    // `varied` are the fields whose values each point sets; `details` asks
    // for each screen's open area, wall shear rate and apparent viscosity.
    PointEvaluator(const FieldTexts &texts, char separator, std::vector<Field> varied, bool details);

    // The point with varied[i] set to values[i]. A count value is a whole
    // number; every other value is taken as the number it is, as a case
    // file holding its shortest text would give it. The reference stays
    // valid until the next call.
    const PointResult &evaluate(std::span<const double> values);

    // The case as the last evaluate() left it: read, shifted and computed up
    // to where it stopped. The report of an Ok point (or one that failed at
    // its total) is written from it.
    const FilterCase &lastCase() const { return m_case; }
    // Its total as the report prints it, once its screens were computed.
    const PackTotal &lastTotal() const { return m_total; }

    // The screens in use at that point, 0 when its texts are not taken.
    int screensInUse(std::span<const double> values);

private:
    void readCase(std::span<const double> values);
    void shift();
    void computeScreens();
    void fail(PointStatus status, std::string message, RunStep step, int screen = 0);

    FieldTexts m_texts;
    char m_separator;
    std::vector<Field> m_fields;
    bool m_packVaried = false;
    bool m_details = false;

    // The case as read, or what the reading said instead.
    bool m_readValid = false;
    std::vector<double> m_readFor; // pack values it was read with
    std::optional<FilterCase> m_read;
    PointStatus m_readStatus = PointStatus::Ok;
    std::string m_readMessage;

    FilterCase m_case;
    // The last shift's inputs and outcome.
    bool m_shiftValid = false;
    std::array<double, 5> m_shiftInputs{};
    std::exception_ptr m_shiftFault;
    double m_shiftFactor = 0, m_shiftedViscosity = 0, m_shiftedShearRate = 0;
    // The geometry and the pack it was made for.
    std::optional<PackGeometry> m_geometry;
    std::vector<double> m_geometryInputs;

    PackTotal m_total;
    PointResult m_point;
};

} // namespace sf
