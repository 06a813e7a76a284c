#include "run/Diagnoses.h"

#include "calc/Errors.h"
#include "calc/InputFields.h"
#include "calc/NumberReaders.h"
#include "calc/QuotedText.h"
#include "calc/ScreenModel.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstdio>

namespace sf {

namespace {

// A text as a sentence quotes it: long ones by their start and length, as
// every message does.
std::string quoted(const std::string &text)
{
    return quotedText(text, "'", "'");
}

// A computed value in a sentence: four significant digits.
std::string number(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

std::string unitOf(const InputField &f)
{
    return f.unit.empty() || f.unit == "-" ? std::string() : " " + std::string(f.unit);
}

class Diagnosis {
public:
    Diagnosis(const FieldTexts &texts, char separator) : m_texts(texts), m_separator(separator) {}

    void add(std::string code, Severity severity, Field field, std::string sentence)
    {
        add(std::move(code), severity, keyOfField(field), m_texts[field], std::move(sentence));
    }
    void add(std::string code, Severity severity, std::string key, std::string value, std::string sentence)
    {
        m_findings.push_back({std::move(code), severity, std::move(key), std::move(value), std::move(sentence)});
    }

    // The value of a field, or nullopt after saying why it has none.
    std::optional<double> value(Field field)
    {
        const InputField &f = inputField(field);
        const std::string &text = m_texts[field];
        try {
            return readDecimal(text, m_separator);
        } catch (const OverflowError &) {
            add("unreadable", Severity::Error, field,
                quoted(text) + " is beyond the range of numbers; give " + std::string(f.caption) + unitOf(f) +
                    " as an ordinary number");
        } catch (const ScreenFilterError &) {
            std::string example = field == Field::FlowRate ? "57" + std::string(1, m_separator) + "0" : "";
            // A number written with the other separator ("0,76" where '.' is
            // in force) is best answered with itself, written as it reads.
            std::string swapped = text;
            std::replace(swapped.begin(), swapped.end(), m_separator == '.' ? ',' : '.', m_separator);
            if (swapped != text && swapped.size() <= QuotedTextLimit && readsAs(swapped))
                example = swapped;
            add("unreadable", Severity::Error, field,
                text.empty() ? "empty; give " + std::string(f.caption) + unitOf(f) + " as a number"
                             : quoted(text) + " is not a number; write digits with '" + std::string(1, m_separator) +
                                   "' as the decimal separator" + (example.empty() ? "" : ", such as " + example));
        }
        return std::nullopt;
    }

    bool readsAs(const std::string &text) const
    {
        try {
            readDecimal(text, m_separator);
            return true;
        } catch (const ScreenFilterError &) {
            return false;
        }
    }

    std::vector<Finding> take()
    {
        // Errors, then warnings, then notes; in field order within each.
        std::vector<Finding> sorted;
        for (Severity s : {Severity::Error, Severity::Warning, Severity::Note})
            for (Finding &f : m_findings)
                if (f.severity == s)
                    sorted.push_back(std::move(f));
        return sorted;
    }

private:
    const FieldTexts &m_texts;
    char m_separator;
    std::vector<Finding> m_findings;
};

} // namespace

const char *severityName(Severity s)
{
    switch (s) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Note:
        return "note";
    }
    return "";
}

namespace {

// The value checks, shared by the full diagnosis (which words each finding)
// and a sweep's per-point codes (which must stay cheap: a sentence is made
// only when asked for). `v` gives a field's value when it has one, `text` the
// value as the case holds it. A finding about a computed value (a screen's
// shear rate) gives that value; the others concern the field's own.
// The process and melt values.
template <typename Value, typename Text, typename Emit>
void checkProcess(const Value &v, const Text &text, const std::optional<ValidityRange> &range, const Emit &emit)
{
    for (Field f : {Field::FlowRate, Field::ScreenDiameter, Field::Density, Field::StandardViscosity,
                    Field::StandardShearRate, Field::PowerLawFactor})
        if (const std::optional<double> x = v(f); x && !(*x > 0))
            emit("not-positive", Severity::Error, f, std::optional<double>(), [&, f] {
                const InputField &field = inputField(f);
                return std::string(field.caption) + " is " + text(f) + unitOf(field) + "; it must be greater than 0";
            });
    if (const auto t = v(Field::Temperature); t && *t + 273.0 <= 0)
        emit("below-absolute-zero", Severity::Error, Field::Temperature, std::optional<double>(), [&] {
            return "the melt temperature " + text(Field::Temperature) +
                   " ℃ is at or below absolute zero (-273 ℃); temperatures are in ℃";
        });
    if (const auto n = v(Field::PowerLawFactor); n && *n > 1)
        emit("shear-thickening", Severity::Warning, Field::PowerLawFactor, std::optional<double>(), [&] {
            return "n = " + text(Field::PowerLawFactor) +
                   " above 1 describes a shear-thickening fluid, unusual for a polymer melt (typically 0.2 to 0.9)";
        });
    if (const auto t = v(Field::Temperature); t && range && (*t < range->temperatureMin || *t > range->temperatureMax))
        emit("outside-fit-temperature", Severity::Warning, Field::Temperature, std::optional<double>(), [&] {
            return "the melt temperature " + text(Field::Temperature) + " ℃ is outside the " +
                   number(range->temperatureMin) + " to " + number(range->temperatureMax) +
                   " ℃ of the viscosity data the melt was fitted to";
        });
}

// The screens of the pack: their mesh and wire alone.
template <typename Value, typename Text, typename Emit>
void checkScreens(const Value &v, const Text &text, int count, const Emit &emit)
{
    for (int k = 1; k <= count; ++k) {
        const std::optional<double> mesh = v(meshField(k));
        const std::optional<double> wire = v(wireField(k));
        for (Field f : {meshField(k), wireField(k)})
            if (const std::optional<double> x = f == meshField(k) ? mesh : wire; x && !(*x > 0))
                emit("not-positive", Severity::Error, f, std::optional<double>(), [&, f, k] {
                    return "screen " + std::to_string(k) + "'s " +
                           (f == meshField(k) ? "mesh is " + text(f) + " per inch" : "wire diameter is " + text(f) + " cm") +
                           "; it must be greater than 0";
                });
        if (!mesh || !wire || !(*mesh > 0) || !(*wire > 0))
            continue;
        const double opening = modelOpening(*mesh, *wire);
        if (!(opening > 0)) {
            emit("no-opening", Severity::Error, wireField(k), std::optional<double>(), [&, k] {
                return "no opening left at screen " + std::to_string(k) + ": wire " + text(wireField(k)) +
                       " cm ≥ pitch " + number(static_cast<double>(2.54L / *mesh)) + " cm (2.54 / mesh " +
                       text(meshField(k)) + "); wire diameters are in cm, mesh in wires per inch";
            });
            continue;
        }
        const double share = opening * *mesh / 2.54;
        if (share * share < SmallOpenArea)
            emit("small-open-area", Severity::Warning, wireField(k), std::optional<double>(), [&, k, share, opening] {
                return "screen " + std::to_string(k) + " is " + number(100 * share * share) + " % open (under " +
                       number(100 * SmallOpenArea) + " %): an opening of " + number(opening) +
                       " cm between wires of " + text(wireField(k)) +
                       " cm; check that the wire diameter is in cm and the mesh in wires per inch";
            });
    }
}

// The computed wall shear rates against the fit's range.
template <typename Emit>
void checkShearRates(const PointResult *point, const std::optional<ValidityRange> &range, const Emit &emit)
{
    if (point && point->ok() && range)
        for (int k = 1; k <= point->screenCount; ++k) {
            const double rate = point->screens[static_cast<std::size_t>(k - 1)].wallShearRate;
            if (rate < range->shearRateMin || rate > range->shearRateMax)
                emit("outside-fit-shear-rate", Severity::Warning, wireField(k), std::optional<double>(rate), [&, k, rate] {
                    return "the wall shear rate at screen " + std::to_string(k) + ", " + number(rate) +
                           " 1/s, is outside the " + number(range->shearRateMin) + " to " +
                           number(range->shearRateMax) + " 1/s of the viscosity data the melt was fitted to";
                });
        }
}

template <typename Value, typename Text, typename Emit>
void checkValues(const Value &v, const Text &text, int count, const PointResult *point,
                 const std::optional<ValidityRange> &range, const Emit &emit)
{
    checkProcess(v, text, range, emit);
    checkScreens(v, text, count, emit);
    checkShearRates(point, range, emit);
}

} // namespace

std::vector<Finding> diagnose(const FieldTexts &texts, char separator, const PointResult *point,
                              const std::optional<ValidityRange> &range)
{
    Diagnosis d(texts, separator);

    std::optional<double> values[FieldCount];
    for (const InputField &f : InputFields)
        if (f.kind == FieldKind::CaseValue)
            values[fieldIndex(f.id)] = d.value(f.id);

    int count = 0;
    try {
        count = readWholeNumber(texts[Field::ScreenCount]);
    } catch (const ConvertError &) {
        count = 0;
    }
    if (count < 1 || count > MaxScreens) {
        d.add("bad-count", Severity::Error, Field::ScreenCount,
              "the number of screens " + quoted(texts[Field::ScreenCount]) + " must be a whole number from 1 to 12");
        count = 0;
    }
    for (int k = 1; k <= count; ++k) {
        values[fieldIndex(meshField(k))] = d.value(meshField(k));
        values[fieldIndex(wireField(k))] = d.value(wireField(k));
    }

    checkValues([&values](Field f) { return values[fieldIndex(f)]; },
                [&texts](Field f) { return texts[f]; }, count, point, range,
                [&d](const char *code, Severity severity, Field field, std::optional<double> computed,
                     const auto &sentence) {
                    if (computed)
                        d.add(code, severity, "screens." + std::to_string(inputField(field).screen), number(*computed),
                              sentence());
                    else
                        d.add(code, severity, field, sentence());
                });

    // Screens listed past the count: the window keeps every filled row, so
    // this is normal for its cases and only said.
    if (count > 0) {
        int last = 0;
        for (int k = count + 1; k <= MaxScreens; ++k)
            if (!texts[meshField(k)].empty() || !texts[wireField(k)].empty())
                last = k;
        if (last)
            d.add("ignored-screens", Severity::Note, Field::ScreenCount,
                  "screen" + std::string(last > count + 1 ? "s " : " ") + std::to_string(count + 1) +
                      (last > count + 1 ? " to " + std::to_string(last) + " are" : " is") + " listed but count = " +
                      std::to_string(count) + " uses only screens 1 to " + std::to_string(count) +
                      "; the rest are ignored");
    }
    return d.take();
}

FindingCodes findingCodes(const FilterCase &c, const PointResult &point, const std::optional<ValidityRange> &range)
{
    return PointFindings().codes(c, point, range);
}

FindingCodes PointFindings::codes(const FilterCase &c, const PointResult &point,
                                  const std::optional<ValidityRange> &range)
{
    auto value = [&c](Field f) -> std::optional<double> {
        const InputField &field = inputField(f);
        if (field.kind == FieldKind::CaseValue)
            return c.*field.value;
        const ScreenLayer &s = c.Screens[static_cast<std::size_t>(field.screen - 1)];
        return field.kind == FieldKind::Mesh ? s.Mesh : s.WireDia;
    };
    auto noText = [](Field) { return std::string(); };
    FindingCodes found;
    auto add = [&found](const char *code, Severity severity) {
        found.error = found.error || severity == Severity::Error;
        if (found.codes.find(code) != std::string::npos)
            return;
        if (!found.codes.empty())
            found.codes += ' ';
        found.codes += code;
    };
    auto emit = [&add](const char *code, Severity severity, Field, std::optional<double>, const auto &) {
        add(code, severity);
    };
    checkProcess(value, noText, range, emit);

    // The screens' checks depend on their mesh and wire alone, which a sweep
    // of process or melt values keeps: they are made again only for another pack.
    bool samePack = m_count == c.ScreenCount;
    for (int k = 0; samePack && k < c.ScreenCount; ++k) {
        const ScreenLayer &s = c.Screens[static_cast<std::size_t>(k)];
        samePack = std::bit_cast<std::uint64_t>(s.Mesh) == std::bit_cast<std::uint64_t>(m_pack[2 * k]) &&
                   std::bit_cast<std::uint64_t>(s.WireDia) == std::bit_cast<std::uint64_t>(m_pack[2 * k + 1]);
    }
    if (!samePack) {
        m_count = c.ScreenCount;
        for (int k = 0; k < c.ScreenCount; ++k) {
            m_pack[2 * k] = c.Screens[static_cast<std::size_t>(k)].Mesh;
            m_pack[2 * k + 1] = c.Screens[static_cast<std::size_t>(k)].WireDia;
        }
        m_screenFindings.clear();
        checkScreens(value, noText, c.ScreenCount,
                     [this](const char *code, Severity severity, Field, std::optional<double>, const auto &) {
                         m_screenFindings.emplace_back(code, severity);
                     });
    }
    for (const auto &[code, severity] : m_screenFindings)
        add(code, severity);

    checkShearRates(&point, range, emit);
    return found;
}

Finding faultFinding(const PointResult &point)
{
    const std::string screen = "screens." + std::to_string(point.faultScreen);
    const std::string at = "at screen " + std::to_string(point.faultScreen);
    switch (point.step) {
    case RunStep::Shift:
        return {"arithmetic", Severity::Error, "melt.shift_a", "",
                "the temperature shift exp(A / (T + 273.0) - B) is beyond the arithmetic's range; check the "
                "temperature and the shift parameters A and B"};
    case RunStep::Opening:
        return {"arithmetic", Severity::Error, screen + ".mesh", "", "the opening " + at + " cannot be computed"};
    case RunStep::ScreenFactor:
        return {"arithmetic", Severity::Error, screen + ".wire", "",
                "the screen factor " + at + " is beyond the arithmetic's range; check its mesh and wire"};
    case RunStep::PressureDrop:
        return {"arithmetic", Severity::Error, screen, "",
                "the pressure drop " + at + " is beyond the arithmetic's range; check the flow rate, density, "
                "screen diameter and the melt's viscosity"};
    case RunStep::Total:
        return {"arithmetic", Severity::Error, "total", "", "the total pressure drop is beyond the arithmetic's range"};
    case RunStep::Reading:
    case RunStep::None:
        break;
    }
    return {"arithmetic", Severity::Error, "case", "", "the case cannot be read"};
}

} // namespace sf
