#include "run/Sweep.h"

#include "calc/InputFields.h"
#include "calc/NumberReaders.h"
#include "calc/ReadInputs.h"
#include "calc/ShiftViscosity.h"
#include "report/ReportWriter.h"
#include "run/CaseRun.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

namespace sf {

namespace {

bool isPackField(Field field)
{
    const FieldKind kind = inputField(field).kind;
    return kind == FieldKind::Mesh || kind == FieldKind::Wire || kind == FieldKind::ScreenCount;
}

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameBits(const std::vector<double> &a, const std::vector<double> &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) {
               return sameBits(x, y);
           });
}

double readValue(std::string_view text, std::string_view spec)
{
    try {
        return readDecimal(text, '.');
    } catch (const std::exception &) {
        throw UsageError("--vary " + std::string(spec) + ": '" + std::string(text) + "' is not a number");
    }
}

std::size_t readCount(std::string_view text, std::string_view spec)
{
    std::size_t count = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), count);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
        throw UsageError("--vary " + std::string(spec) + ": COUNT '" + std::string(text) + "' is not a whole number");
    if (count < 1 || count > MaxValuesPerKey)
        throw UsageError("--vary " + std::string(spec) + ": COUNT must be from 1 to 1000000");
    return count;
}

// The text a single run's case file would hold for the value.
std::string fieldTextOf(Field field, double v)
{
    if (inputField(field).kind == FieldKind::ScreenCount && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    return shortest(v);
}

} // namespace

std::string shortest(double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

Vary parseVary(std::string_view spec)
{
    const std::size_t eq = spec.find('=');
    if (eq == std::string_view::npos)
        throw UsageError("--vary " + std::string(spec) + ": expected KEY=FROM:TO:COUNT or KEY=v1,v2,...");
    Vary vary;
    vary.key = std::string(spec.substr(0, eq));
    const std::optional<Field> field = fieldOfKey(vary.key);
    if (!field || inputField(*field).kind == FieldKind::SaveFileName)
        throw UsageError("--vary " + std::string(spec) + ": '" + vary.key + "' is no numeric key of a case file");

    vary.field = *field;
    const std::string_view values = spec.substr(eq + 1);
    if (values.find(':') != std::string_view::npos) {
        const std::size_t a = values.find(':');
        const std::size_t b = values.find(':', a + 1);
        if (b == std::string_view::npos || values.find(':', b + 1) != std::string_view::npos)
            throw UsageError("--vary " + std::string(spec) + ": a range is FROM:TO:COUNT");
        const double from = readValue(values.substr(0, a), spec);
        const double to = readValue(values.substr(a + 1, b - a - 1), spec);
        const std::size_t count = readCount(values.substr(b + 1), spec);
        vary.values.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            // The ends are taken as written; the points between are evenly
            // spaced, formed in extended precision and rounded once, so
            // that 1:120:97 gives 2.2395833333333335, the double nearest to
            // 1 + 119/96.
            const long double step = count == 1 ? 0.0L
                : (static_cast<long double>(to) - from) * static_cast<long double>(i) / static_cast<long double>(count - 1);
            vary.values.push_back(i + 1 == count && count > 1 ? to : static_cast<double>(from + step));
        }
        if (!std::isfinite(to - from))
            throw UsageError("--vary " + std::string(spec) + ": the range is beyond the double range");
    } else {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = values.find(',', start);
            vary.values.push_back(readValue(values.substr(start, comma - start), spec));
            if (vary.values.size() > MaxValuesPerKey)
                throw UsageError("--vary " + std::string(spec) + ": at most 1000000 values");
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
    }
    if (inputField(vary.field).kind == FieldKind::ScreenCount)
        for (double v : vary.values)
            if (v != std::floor(v))
                throw UsageError("--vary " + std::string(spec) + ": the number of screens takes whole numbers");
    return vary;
}

std::optional<PressureUnit> pressureUnitNamed(std::string_view name)
{
    // 1 kgf/cm2 = 98066.5 Pa exactly; 1 psi = 0.45359237 kg * 9.80665 m/s2 per
    // (0.0254 m)^2 = 6894.757293168361 Pa.
    static constexpr PressureUnit Units[] = {
        {"kgf/cm2", 1.0},
        {"bar", 0.980665},
        {"MPa", 0.0980665},
        {"psi", 98066.5 / 6894.757293168361},
    };
    for (const PressureUnit &u : Units)
        if (u.name == name)
            return u;
    return std::nullopt;
}

PointEvaluator::PointEvaluator(const FieldTexts &texts, const std::vector<Field> &variedFields)
    : m_texts(texts), m_fields(variedFields)
{
    m_packVaried = std::any_of(m_fields.begin(), m_fields.end(), isPackField);
}

void PointEvaluator::readCase(const std::vector<double> &values)
{
    // The varied process and melt values are always readable numbers, so one
    // reading serves them all; pack values change what reading finds.
    if (m_readValid && !m_packVaried)
        return;
    std::vector<double> packValues;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (isPackField(m_fields[i]))
            packValues.push_back(values[i]);
    if (m_readValid && sameBits(packValues, m_readFor))
        return;

    FieldTexts texts = m_texts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        texts[m_fields[i]] = fieldTextOf(m_fields[i], values[i]);
    m_read.reset();
    m_readStatus.clear();
    try {
        ReadResult read = ReadInputs(texts, '.');
        if (const auto *rejected = std::get_if<InputRejection>(&read))
            m_readStatus = std::string(rejected->message);
        else
            m_read = std::get<FilterCase>(read);
    } catch (const std::exception &e) {
        m_readStatus = errorText(e);
    }
    m_readFor = std::move(packValues);
    m_readValid = true;
    if (m_read)
        m_case = *m_read;
}

void PointEvaluator::shift()
{
    const std::array<double, 5> inputs = {m_case.Temperature, m_case.ShiftParamA, m_case.ShiftParamB,
                                          m_case.StdViscosity, m_case.StdShearRate};
    bool same = m_shiftValid;
    for (std::size_t i = 0; same && i < inputs.size(); ++i)
        same = sameBits(inputs[i], m_shiftInputs[i]);
    if (!same) {
        m_shiftInputs = inputs;
        m_shiftValid = true;
        m_shiftFault = nullptr;
        try {
            ShiftViscosity(m_case);
            m_shiftFactor = m_case.ShiftFactor;
            m_shiftedViscosity = m_case.ShiftedViscosity;
            m_shiftedShearRate = m_case.ShiftedShearRate;
        } catch (const std::exception &) {
            m_shiftFault = std::current_exception();
        }
    }
    if (m_shiftFault)
        std::rethrow_exception(m_shiftFault);
    m_case.ShiftFactor = m_shiftFactor;
    m_case.ShiftedViscosity = m_shiftedViscosity;
    m_case.ShiftedShearRate = m_shiftedShearRate;
}

int PointEvaluator::screensInUse(const std::vector<double> &values)
{
    readCase(values);
    return m_read ? m_read->ScreenCount : 0;
}

PointResult PointEvaluator::evaluate(const std::vector<double> &values)
{
    readCase(values);
    PointResult result;
    if (!m_read) {
        result.status = m_readStatus;
        return result;
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const InputField &f = inputField(m_fields[i]);
        if (f.kind == FieldKind::CaseValue)
            m_case.*f.value = values[i];
    }
    try {
        shift();
        std::vector<double> &pack = m_geometryInputs;
        const bool sameGeometry = [&] {
            if (!m_geometry || pack.size() != static_cast<std::size_t>(2 * m_case.ScreenCount + 1))
                return false;
            if (!sameBits(pack[0], m_case.PowerLawFactor))
                return false;
            for (int i = 0; i < m_case.ScreenCount; ++i)
                if (!sameBits(pack[static_cast<std::size_t>(2 * i + 1)], m_case.Screens[i].Mesh) ||
                    !sameBits(pack[static_cast<std::size_t>(2 * i + 2)], m_case.Screens[i].WireDia))
                    return false;
            return true;
        }();
        if (!sameGeometry) {
            pack.assign(1, m_case.PowerLawFactor);
            for (int i = 0; i < m_case.ScreenCount; ++i) {
                pack.push_back(m_case.Screens[i].Mesh);
                pack.push_back(m_case.Screens[i].WireDia);
            }
            m_geometry.emplace(m_case);
        }
        m_geometry->apply(m_case);
        result.total = TotalPressDrop(m_case);
    } catch (const std::exception &e) {
        result.status = errorText(e);
        return result;
    }
    result.ok = true;
    result.screens = m_case.ScreenCount;
    for (int i = 0; i < m_case.ScreenCount; ++i)
        result.drops[static_cast<std::size_t>(i)] = m_case.Screens[i].PressDrop;
    return result;
}

} // namespace sf
