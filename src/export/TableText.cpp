#include "export/TableText.h"
#include "io/ShortestDouble.h"
#include "io/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace sf {

char *writeNumber(char *out, double v, const NumberStyle &style)
{
    if (style.digits > 0 && std::isfinite(v)) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, style.digits - 1);
        double rounded = 0;
        // Rounding up past the largest double leaves v as it is.
        if (std::from_chars(buf, r.ptr, rounded).ec == std::errc())
            v = rounded;
    }
    char *const end = writeShortest(out, v);
    if (style.separator != '.')
        std::replace(out, end, '.', style.separator);
    return end;
}

void appendNumber(std::string &out, double v, const NumberStyle &style)
{
    char buf[NumberRoom];
    out.append(buf, writeNumber(buf, v, style));
}

void appendJsonNumber(std::string &out, double v, const NumberStyle &style)
{
    if (std::isfinite(v))
        appendNumber(out, v, {'.', style.digits});
    else
        out += "null";
}

void appendCsvField(std::string &out, std::string_view text, char delimiter)
{
    // A spreadsheet takes a cell that begins with one of these for a formula
    // (a case file named "=1+1.sfcase"); after a quote it is text.
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    const char special[] = {delimiter, '"', '\r', '\n', '\0'};
    if (text.find_first_of(special) == std::string_view::npos) {
        if (formula)
            out += '\'';
        out += text;
        return;
    }
    out += '"';
    if (formula)
        out += '\'';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendJsonString(std::string &out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    out += '"';
}

std::string unitIdentifier(std::string_view unit)
{
    // The units of the field table and of the results whose plain spelling
    // would not make a good name; the rest follow the rule below.
    static constexpr std::pair<std::string_view, std::string_view> Named[] = {
        {"-", ""}, {"℃", "C"}, {"kg/hr", "kg_per_h"}, {"1/sec", "per_s"}, {"1/s", "per_s"}, {"1/in", "per_in"},
    };
    for (const auto &[spelled, name] : Named)
        if (unit == spelled)
            return std::string(name);
    // "g/cm3" -> "g_per_cm3", "gf.s/cm2" -> "gf_s_per_cm2", "MPa" as it is.
    std::string name;
    for (char c : unit) {
        if (c == '/')
            name += "_per_";
        else if (c == '.')
            name += '_';
        else
            name += c;
    }
    return name;
}

std::string nameWithUnit(std::string_view name, std::string_view unit)
{
    const std::string id = unitIdentifier(unit);
    std::string full(name);
    if (!id.empty())
        full += "_" + id;
    return full;
}

std::optional<double> inputValue(const FilterCase &read, Field field)
{
    const InputField &f = inputField(field);
    switch (f.kind) {
    case FieldKind::CaseValue:
        return read.*f.value;
    case FieldKind::ScreenCount:
        return read.ScreenCount;
    case FieldKind::Mesh:
    case FieldKind::Wire:
        if (f.screen > read.ScreenCount)
            return std::nullopt;
        return f.kind == FieldKind::Mesh ? read.ScreenPairs[static_cast<std::size_t>(f.screen - 1)].Mesh
                                         : read.ScreenPairs[static_cast<std::size_t>(f.screen - 1)].WireDia;
    case FieldKind::SaveFileName:
        break;
    }
    return std::nullopt;
}

std::vector<InputCell> caseInputs(const FieldTexts &texts, const FilterCase *read)
{
    std::vector<InputCell> cells;
    for (const InputField &f : InputFields) {
        if (read && f.kind != FieldKind::SaveFileName) {
            if (const std::optional<double> v = inputValue(*read, f.id))
                cells.push_back({f.id, v, {}});
        } else {
            cells.push_back({f.id, std::nullopt, texts[f.id]});
        }
    }
    return cells;
}

std::string columnKey(Field field)
{
    const InputField &f = inputField(field);
    return f.screen ? keyOfField(field) : std::string(f.key);
}

} // namespace sf
