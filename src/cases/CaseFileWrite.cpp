#include "CaseFile.h"
#include "CaseFileParts.h"

#include <algorithm>
#include <cstdio>

namespace sf {

namespace {

using namespace casefile;

// What the reader gives back for `text` written bare as a value of field f;
// nullopt when it is no TOML value of a fitting type.
std::optional<std::string> bareReadBack(const InputField &f, const std::string &text)
{
    // Numbers are ASCII; anything else goes into quotes, and never to the
    // reader unguarded (readerSafeText).
    if (text.empty() || text.find_first_of("\"'#\n\r=[]{},") != std::string::npos ||
        std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return std::nullopt;
    const std::string doc = "v = " + text + "\n";
    try {
        const toml::table t = toml::parse(doc);
        const toml::node *node = t.get("v");
        if (!node || node->is_string())
            return std::nullopt;
        return fieldText(*node, expectationOf(f), doc);
    } catch (const toml::parse_error &) {
        return std::nullopt;
    }
}

// A TOML basic string: quotes, backslashes and control characters escaped.
std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04X", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string valueText(const FieldTexts &texts, Field field)
{
    const InputField &f = inputField(field);
    const std::string &text = texts[field];
    if (bareReadBack(f, text) == text)
        return text;
    return quoted(text);
}

// "key = value" padded so that comments line up.
std::string entry(const std::string &assignment, const std::string &comment)
{
    std::string line = assignment;
    if (line.size() < 32)
        line.resize(32, ' ');
    else
        line += "  ";
    return line + "# " + comment + "\n";
}


} // namespace

std::string formatCaseFile(const FieldTexts &texts)
{
    return formatCaseFile(texts, std::nullopt);
}

std::string formatMeltSections(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit,
                               std::string_view viscosityNote)
{
    std::string out = "[" + std::string(groupKey(FieldGroup::Melt)) + "]\n"
                      "# η = η0 * (SR / SR0)^(n - 1), shifted to the melt temperature T by\n"
                      "# aT = exp(A / (T + 273.0) - B): η0 * aT and SR0 / aT.\n";
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Melt)
            out += entry(std::string(f.key) + " = " + valueText(texts, f.id),
                         fieldLabel(f) + (f.id == Field::StandardViscosity ? std::string(viscosityNote) : ""));
    if (!meltFit)
        return out;
    const MeltFitRange &fit = *meltFit;
    out += "\n[" + std::string(groupKey(FieldGroup::Melt)) + "." + std::string(FitKey) + "]\n"
           "# The measured points the melt above was fitted to: the range it holds for.\n";
    out += entry("temperature_min = " + shortestText(fit.temperatureMin), "℃");
    out += entry("temperature_max = " + shortestText(fit.temperatureMax), "℃");
    out += entry("shear_rate_min = " + shortestText(fit.shearRateMin), "1/sec");
    out += entry("shear_rate_max = " + shortestText(fit.shearRateMax), "1/sec");
    out += "points = " + std::to_string(fit.points) + "\n";
    out += "source = " + quoted(wellFormedUtf8(fit.source)) + "\n";
    out += entry("rms_deviation_percent = " + shortestText(fit.rmsDeviationPercent), "% of viscosity, fitted against measured");
    out += entry("max_deviation_percent = " + shortestText(fit.maxDeviationPercent), "%, the largest");
    return out;
}


std::string formatStudySection(const CaseStudy &study)
{
    std::string out = "[study]\n";
    if (study.pressureUnit)
        out += entry("pressure_unit = " + quoted(*study.pressureUnit), "kgf/cm2, bar, MPa or psi");
    if (study.limit)
        out += entry("limit = " + quoted(wellFormedUtf8(*study.limit)), "as --limit takes it: total=... or drop.N=...");
    if (study.find)
        out += entry("find = " + quoted(*study.find), "the key solve finds");
    if (study.temperatures) {
        std::string list;
        for (double t : *study.temperatures)
            list += (list.empty() ? "" : ", ") + shortestText(t);
        out += entry("temperatures = [" + list + "]", "℃, the chart's curves");
    }
    if (study.flowRateFrom && study.flowRateTo) {
        out += entry("flow_rate_from = " + shortestText(*study.flowRateFrom), "kg/hr, the chart's range");
        out += entry("flow_rate_to = " + shortestText(*study.flowRateTo), "kg/hr");
    }
    return out;
}

std::string formatCaseFile(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit,
                           const std::optional<CaseStudy> &study)
{
    std::string out = formatCaseFile(texts, meltFit);
    if (study)
        out += "\n" + (study->written.empty() ? formatStudySection(*study) : study->written);
    return out;
}

std::string formatCaseFile(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit)
{
    auto line = [&texts](Field field) {
        const InputField &f = inputField(field);
        return entry(std::string(f.key) + " = " + valueText(texts, field), fieldLabel(f));
    };

    std::string out =
        "# screenfilter case: the inputs of one run.\n"
        "# A value is a number or a text in quotes; a text is read as the window\n"
        "# reads that field, with \".\" as the decimal separator.\n";
    out += "\n[" + std::string(groupKey(FieldGroup::Process)) + "]\n";
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Process)
            out += line(f.id);
    out += "\n" + formatMeltSections(texts, meltFit, {});

    out += "\n[" + std::string(groupKey(FieldGroup::Pack)) + "]\n";
    out += entry("count = " + valueText(texts, Field::ScreenCount), fieldLabel(inputField(Field::ScreenCount)) + ", 1 to 12");
    // Rows after the last one with any text are empty texts anyway.
    int rows = MaxScreens;
    while (rows > 0 && texts[meshField(rows)].empty() && texts[wireField(rows)].empty())
        --rows;
    const InputField &mesh = inputField(meshField(1));
    const InputField &wire = inputField(wireField(1));
    out += "# One row per screen, screen 1 first: " + std::string(mesh.key) + " (" + std::string(mesh.unit) + "), " +
           std::string(wire.key) + " diameter (" + std::string(wire.unit) + ")\n";
    std::size_t meshWidth = 0;
    for (int k = 1; k <= rows; ++k)
        meshWidth = std::max(meshWidth, valueText(texts, meshField(k)).size());
    out += std::string(ScreensKey) + " = [\n";
    for (int k = 1; k <= rows; ++k) {
        std::string meshText = valueText(texts, meshField(k)) + ",";
        meshText.resize(std::max(meshText.size(), meshWidth + 1), ' ');
        out += entry("    { " + std::string(mesh.key) + " = " + meshText + " " + std::string(wire.key) + " = " +
                         valueText(texts, wireField(k)) + " },",
                     screenRowCaption(k));
    }
    out += "]\n";

    out += "\n[" + std::string(groupKey(FieldGroup::Report)) + "]\n";
    out += entry("file = " + valueText(texts, Field::SaveFileName), "Save File Name, relative to this file's folder");
    return out;
}


} // namespace sf
