// screenfilter._core: the Qt-free core for Python. A case, one run of it, a
// sweep into numpy arrays, a solve and the melt fit, each through the same
// calls the command line makes, so that the numbers and the messages are
// its own. The pure-Python layer (screenfilter/__init__.py) gives the
// results their shape.

#include "calc/InputFields.h"
#include "cases/CaseFile.h"
#include "export/CaseJson.h"
#include "export/SolveJson.h"
#include "io/NumberText.h"
#include "io/PressureUnit.h"
#include "melt/MeltFit.h"
#include "melt/ViscosityPoints.h"
#include "run/CasePoint.h"
#include "run/CaseVerdict.h"
#include "run/Limit.h"
#include "run/SolveCase.h"
#include "run/Sweep.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace py = pybind11;

namespace sf {

namespace {

// Bad input that the core has no exception of its own for; each becomes
// the Python exception of its kind, with what() as the message.
struct UnknownKey : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct BadValue : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A case the checks refuse, or whose arithmetic stopped: one line per reason.
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One case: a case file's content, or the worked example with keys set,
// named as the user named it at the start of every message.
struct PyCase {
    std::string name;
    CaseContent content;

    std::optional<ValidityRange> range() const
    {
        if (!content.meltFit)
            return std::nullopt;
        const MeltFitRange &fit = *content.meltFit;
        return ValidityRange{fit.temperatureMin, fit.temperatureMax, fit.shearRateMin, fit.shearRateMax};
    }
};

PressureUnit unitNamed(const std::string &name)
{
    // The window writes kgf/cm²; either spelling is taken, as by the command line.
    const std::optional<PressureUnit> unit = pressureUnitNamed(name == "kgf/cm²" ? "kgf/cm2" : name);
    if (!unit)
        throw BadValue("unit: kgf/cm2, bar, MPa or psi, not " + name);
    return *unit;
}

// The field a key names: "flow_rate", "process.flow_rate", "screens.3.wire".
Field fieldNamed(const std::string &key)
{
    if (const std::optional<Field> field = fieldOfKey(key))
        return *field;
    const std::string near = closestKey(key);
    throw UnknownKey(key + " is no key of a case" + (near.empty() ? "" : "; did you mean " + near + "?"));
}

// Sets `key` to `value` as a case file would hold it: a number as its
// shortest exact text, a text as it is (read as the window reads a field).
void setKey(PyCase &c, const std::string &key, const py::handle &value)
{
    const Field field = fieldNamed(key);
    std::string &text = c.content.texts[field];
    if (py::isinstance<py::str>(value)) {
        text = value.cast<std::string>();
    } else if (!py::isinstance<py::bool_>(value) &&
               (py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value) ||
                py::hasattr(value, "__float__")) &&
               inputField(field).kind != FieldKind::SaveFileName) {
        text = shortest(py::float_(value.cast<py::object>()).cast<double>());
    } else {
        throw BadValue(keyOfField(field) + ": a number or a text, not " +
                       std::string(py::str(value.get_type().attr("__name__"))));
    }
}

PyCase caseFromFile(const std::string &path)
{
    return PyCase{path, readCase(path)};
}

PyCase workedExample(const std::string &name)
{
    PyCase c{name, {}};
    c.content.texts = FieldTexts::defaults();
    return c;
}

// run(): the JSON of `run --format json` for the case and its warning
// lines. A case refused, or whose arithmetic stopped, raises with the
// command line's lines unless check is false.
py::tuple runCase(const PyCase &c, const std::string &unitName, bool check, bool strict)
{
    const PressureUnit unit = unitNamed(unitName);
    std::string json;
    std::vector<std::string> warnings;
    {
        py::gil_scoped_release release;
        const CasePoint point = evaluateCase(c.content.texts, '.', c.range());
        const CaseVerdict verdict = caseVerdict(c.name, c.content.texts, point, {!check, strict, false});
        if (verdict.refused && check) {
            std::string lines;
            for (const std::string &line : verdict.lines)
                lines += (lines.empty() ? "" : "\n") + line;
            throw Refused(lines);
        }
        if (!verdict.refused)
            warnings = verdict.lines;
        const CaseJson details = caseDetailsJson(c.name, c.content.texts, '.', "", c.range(), unit);
        json = details.text;
    }
    return py::make_tuple(json, warnings);
}

// A sweep's grid into arrays: the consumer writes each point at its index;
// chunks never share a point, so the threads never meet.
class ArraySink : public SweepConsumer {
public:
    struct Columns {
        double *total = nullptr;
        std::vector<double *> drops, shearRates, viscosities;
        std::uint8_t *status = nullptr; // index into messages
    };

    ArraySink(Columns columns, double perUnit) : m_columns(std::move(columns)), m_perUnit(perUnit) {}

    std::unique_ptr<SweepChunk> newChunk(std::uint64_t) const override { return std::make_unique<SweepChunk>(); }

    void add(SweepChunk &, const SweepPoint &point) const override
    {
        const PointResult &r = point.result;
        const std::size_t i = point.index;
        const double nan = std::nan("");
        const bool ok = r.ok();
        m_columns.total[i] = ok ? r.total * m_perUnit : nan;
        for (std::size_t s = 0; s < m_columns.drops.size(); ++s) {
            const bool has = ok && s < static_cast<std::size_t>(r.screenCount);
            m_columns.drops[s][i] = has ? r.screens[s].pressureDrop * m_perUnit : nan;
            if (!m_columns.shearRates.empty()) {
                m_columns.shearRates[s][i] = has ? r.screens[s].wallShearRate : nan;
                m_columns.viscosities[s][i] = has ? r.screens[s].apparentViscosity : nan;
            }
        }
        m_columns.status[i] = ok ? 0 : messageIndex(r.message);
    }

    void take(std::unique_ptr<SweepChunk>, std::uint64_t) override {}

    std::vector<std::string> messages() const { return m_messages; }

private:
    std::uint8_t messageIndex(const std::string &message) const
    {
        std::lock_guard lock(m_mutex);
        const auto at = std::find(m_messages.begin(), m_messages.end(), message);
        if (at != m_messages.end())
            return static_cast<std::uint8_t>(at - m_messages.begin());
        // The window's messages are a handful; past 255 the last one stands.
        if (m_messages.size() == 255)
            return 254;
        m_messages.push_back(message);
        return static_cast<std::uint8_t>(m_messages.size() - 1);
    }

    Columns m_columns;
    double m_perUnit;
    mutable std::mutex m_mutex;
    mutable std::vector<std::string> m_messages{"ok"};
};

// The --vary of `key` over `values`, checked as the command line checks it:
// the key is a numeric key of a case, a count takes whole numbers.
Vary varyOf(const std::string &key, std::vector<double> values)
{
    if (values.empty())
        throw UsageError("--vary " + key + "=: at least one value");
    if (values.size() > MaxValuesPerKey)
        throw UsageError("--vary " + key + ": at most 1000000 values");
    Vary vary = parseVary(key + "=" + shortest(values.front()));
    if (inputField(vary.field).kind == FieldKind::ScreenCount)
        for (double v : values)
            if (v != std::floor(v))
                parseVary(key + "=" + shortest(v)); // throws the command line's words
    vary.values = std::move(values);
    return vary;
}

py::dict sweepCase(const PyCase &c, const std::vector<std::string> &keys,
                   const std::vector<py::array_t<double, py::array::c_style | py::array::forcecast>> &grids,
                   const std::string &unitName, bool check, bool details, unsigned threads)
{
    if (keys.empty() || keys.size() > 2)
        throw UsageError("--vary: one or two keys");
    const PressureUnit unit = unitNamed(unitName);
    std::vector<Vary> vary;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const auto &grid = grids[k];
        if (grid.ndim() != 1)
            throw UsageError("--vary " + keys[k] + ": a list of values, one dimension");
        vary.push_back(varyOf(keys[k], std::vector<double>(grid.data(), grid.data() + grid.size())));
    }
    if (vary.size() == 2 && vary[0].field == vary[1].field)
        throw UsageError("--vary: the two keys name the same field");

    const std::vector<SweepCase> cases{{c.name, c.content.texts, c.range()}};
    const SweepGrid grid(cases, vary);
    const auto n = static_cast<py::ssize_t>(grid.size());
    const int screens = sweepScreens(cases, vary);

    py::dict out;
    ArraySink::Columns columns;
    auto column = [&](const std::string &name) {
        py::array_t<double> a(n);
        out[py::str(name)] = a;
        return a.mutable_data();
    };
    for (std::size_t k = 0; k < vary.size(); ++k) {
        double *values = column(keys[k]);
        for (py::ssize_t i = 0; i < n; ++i) {
            const SweepGrid::Place p = grid.place(static_cast<std::uint64_t>(i));
            values[i] = vary[k].values[k == 0 ? p.first : p.second];
        }
    }
    columns.total = column("total");
    for (int s = 1; s <= screens; ++s)
        columns.drops.push_back(column("drop_" + std::to_string(s)));
    if (details) {
        for (int s = 1; s <= screens; ++s)
            columns.shearRates.push_back(column("wall_shear_rate_" + std::to_string(s)));
        for (int s = 1; s <= screens; ++s)
            columns.viscosities.push_back(column("apparent_viscosity_" + std::to_string(s)));
    }
    py::array_t<std::uint8_t> status(n);
    columns.status = status.mutable_data();

    ArraySink sink(std::move(columns), unit.perKgfCm2);
    SweepWork work;
    work.details = details;
    work.findings = check;
    work.refuseErrors = check;
    work.threads = threads ? threads : std::max(1u, std::thread::hardware_concurrency());
    {
        py::gil_scoped_release release;
        computeSweep(grid, work, sink);
    }
    out["_status_codes"] = status;
    out["_status_messages"] = sink.messages();
    return out;
}

std::string solveJson(const PyCase &c, const std::optional<std::string> &find, const std::optional<std::string> &limit,
                      const std::optional<std::string> &range)
{
    const std::optional<CaseStudy> &study = c.content.study;
    // What is not given comes from the case's study, as on the command line.
    if (!find && (!study || !study->find))
        throw UsageError(c.name + ": no key to find: give --find KEY, or find = \"KEY\" in the case's [study]");
    if (!limit && (!study || !study->limit))
        throw UsageError(c.name + ": no limit: give --limit total=PRESSURE, or limit = \"total=PRESSURE\" in the "
                                  "case's [study]");
    const Field key = solveKeyOf(find ? *find : *study->find);
    const PressureLimit pressure = parseLimit(limit ? *limit : *study->limit);
    const std::optional<SolveRange> searched = range ? std::optional(solveRangeOf(*range, key)) : std::nullopt;
    py::gil_scoped_release release;
    const SolvedCase s = solveCase(c.content.texts, '.', key, pressure, searched, c.range());
    return solveAnswerJson(c.name, key, pressure, s, "");
}

py::dict fitMeltPoints(const std::string &path, const std::optional<std::string> &viscosityUnit,
                       const std::optional<double> &referenceTemperature, double standardShearRate,
                       const std::optional<double> &shiftA, const std::optional<std::string> &activationEnergy,
                       const std::optional<std::string> &activationEnergyAt, const std::optional<std::string> &columns,
                       const std::optional<std::string> &temperatureRange,
                       const std::optional<std::string> &shearRateRange)
{
    MeltFitOptions options;
    options.referenceTemperature = referenceTemperature;
    options.standardShearRate = standardShearRate;
    options.shiftA = shiftA;
    if (activationEnergy.has_value() != activationEnergyAt.has_value())
        throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                 "--activation-energy and --activation-energy-at constant-stress|constant-shear-rate "
                                 "go together: the two ways of measuring an activation energy give A values a "
                                 "factor n apart");
    if (shiftA && activationEnergy)
        throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                 "--shift-a excludes --activation-energy");
    if (activationEnergy)
        options.activationEnergy = activationEnergyOf(*activationEnergy, *activationEnergyAt);
    if (temperatureRange)
        options.temperatureRange = fitWindowOf(*temperatureRange, "--temperature-range", "℃");
    if (shearRateRange)
        options.shearRateRange = fitWindowOf(*shearRateRange, "--shear-rate-range", "1/s");
    PointsReadOptions read;
    if (viscosityUnit) {
        read.unit = viscosityUnitNamed(*viscosityUnit);
        if (!read.unit)
            throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                     "--viscosity-unit: Pa.s, mPa.s, P or gf.s/cm2, not " + *viscosityUnit);
    }
    if (columns) {
        std::string problem;
        read.columns = columnMapOf(*columns, problem);
        if (!read.columns)
            throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption, problem);
    }
    MeltFit fit;
    {
        py::gil_scoped_release release;
        const ViscosityPoints points = readViscosityPoints(path, read);
        try {
            fit = fitMelt(points, options);
        } catch (const MeltFitOptionError &e) {
            // Points at one temperature fix no A: the points' fault.
            if (e.kind() == MeltFitOptionError::Kind::ShiftANeeded)
                throw MeltFitRejected(path + ": " + e.what() + " (shift_a, or activation_energy with activation_energy_at)");
            throw;
        } catch (const MeltFitRejected &e) {
            throw MeltFitRejected(path + ": " + e.what());
        }
    }
    // The doubles themselves: the command line prints each in its shortest
    // exact form, which reads back to the same double.
    py::dict range;
    range["temperature_min"] = fit.temperatureMin;
    range["temperature_max"] = fit.temperatureMax;
    range["shear_rate_min"] = fit.shearRateMin;
    range["shear_rate_max"] = fit.shearRateMax;
    range["points"] = fit.fittedPoints;
    range["source"] = path;
    range["rms_deviation_percent"] = fit.rmsDeviationPercent;
    range["max_deviation_percent"] = fit.maxDeviationPercent;
    py::dict melt;
    melt["standard_viscosity"] = fit.standardViscosity;
    melt["standard_shear_rate"] = fit.standardShearRate;
    melt["power_law_factor"] = fit.powerLawFactor;
    melt["shift_a"] = fit.shiftA;
    melt["shift_b"] = fit.shiftB;
    melt["fit"] = range;
    return melt;
}

// An exception class of the module, a subclass of `base`.
py::object exceptionClass(py::module_ &m, const char *name, PyObject *base, const char *doc)
{
    const std::string qualified = std::string("screenfilter.") + name;
    py::object type = py::reinterpret_steal<py::object>(
        PyErr_NewExceptionWithDoc(qualified.c_str(), doc, base, nullptr));
    m.attr(name) = type;
    return type;
}

} // namespace

} // namespace sf

PYBIND11_MODULE(_core, m)
{
    using namespace sf;
    m.doc() = "The screenfilter core: cases, runs, sweeps, solves and melt fits (see the screenfilter package).";

    static py::object error = exceptionClass(m, "Error", PyExc_ValueError, "Bad input: the message is the command line's line.");
    static py::object caseFileError = exceptionClass(m, "CaseFileError", error.ptr(),
                                                     "A case file that cannot be read or taken.");
    static py::object unknownKey = exceptionClass(m, "UnknownKeyError", error.ptr(),
                                                  "A key that names no input of a case; the closest key is named.");
    static py::object badValue = exceptionClass(m, "BadValueError", error.ptr(),
                                                "A value of a type a case cannot hold, or an unknown unit.");
    static py::object refused = exceptionClass(m, "CaseRefusedError", error.ptr(),
                                               "A case the checks refuse or whose arithmetic stopped; one line per reason.");
    static py::object optionError = exceptionClass(m, "OptionError", error.ptr(),
                                                   "A grid, key to solve for, limit, range or fit option that cannot be taken.");
    static py::object pointsError = exceptionClass(m, "PointsFileError", error.ptr(),
                                                   "A points file that cannot be read or taken; one line per problem.");
    static py::object fitError = exceptionClass(m, "MeltFitError", error.ptr(),
                                                "Points that fix no melt.");

    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const CaseFileError &e) {
            PyErr_SetString(caseFileError.ptr(), e.what());
        } catch (const UnknownKey &e) {
            PyErr_SetString(unknownKey.ptr(), e.what());
        } catch (const BadValue &e) {
            PyErr_SetString(badValue.ptr(), e.what());
        } catch (const Refused &e) {
            PyErr_SetString(refused.ptr(), e.what());
        } catch (const UsageError &e) {
            PyErr_SetString(optionError.ptr(), e.what());
        } catch (const PointsFileError &e) {
            std::string lines;
            for (const std::string &line : e.problems())
                lines += (lines.empty() ? "" : "\n") + line;
            PyErr_SetString(pointsError.ptr(), lines.c_str());
        } catch (const MeltFitOptionError &e) {
            PyErr_SetString(optionError.ptr(), e.what());
        } catch (const MeltFitRejected &e) {
            PyErr_SetString(fitError.ptr(), e.what());
        }
    });

    py::class_<PyCase>(m, "Case", "A case: a case file's inputs, or the worked example's with keys set.")
        .def_readonly("name", &PyCase::name)
        .def("set", &setKey, py::arg("key"), py::arg("value"), "Sets a key (a number, or a text as a case file holds it).")
        .def("text", [](const PyCase &c, const std::string &key) { return c.content.texts[fieldNamed(key)]; },
             py::arg("key"), "The key's text as a run reads it.")
        .def("copy", [](const PyCase &c) { return c; });
    m.def("read_case", &caseFromFile, py::arg("path"), "The case file at path.");
    m.def("worked_example", &workedExample, py::arg("name"), "The worked example, named `name` in messages.");
    m.def("key_of", [](const std::string &key) { return keyOfField(fieldNamed(key)); }, py::arg("key"),
          "The full key a key names: flow_rate gives process.flow_rate.");
    m.def("run_json", &runCase, py::arg("case"), py::arg("unit") = "kgf/cm2", py::arg("check") = true,
          py::arg("strict") = false, "(run --format json text, warning lines)");
    m.def("sweep", &sweepCase, py::arg("case"), py::arg("keys"), py::arg("grids"), py::arg("unit") = "kgf/cm2",
          py::arg("check") = true, py::arg("details") = false, py::arg("threads") = 0,
          "The grid's arrays, computed with the GIL released.");
    m.def("solve_json", &solveJson, py::arg("case"), py::arg("find"), py::arg("limit"), py::arg("range"),
          "solve --format json text of the case.");
    m.def("fit_melt", &fitMeltPoints, py::arg("path"), py::arg("viscosity_unit"), py::arg("reference_temperature"),
          py::arg("standard_shear_rate"), py::arg("shift_a"), py::arg("activation_energy"),
          py::arg("activation_energy_at"), py::arg("columns"), py::arg("temperature_range"),
          py::arg("shear_rate_range"), "The melt of melt fit --format json, as a dict.");
    m.def("shortest", &shortest, py::arg("value"), "The shortest text that reads back to exactly value.");
}
