#include "MeltColumns.h"

#include <algorithm>

namespace sf {

namespace {

struct ColumnName {
    std::string_view name; // as comparableName gives it
    MeltColumn column;
};

// The names of the columns in English, German, French, Spanish, Italian,
// Portuguese, Japanese and Chinese, compared without case and accents.
constexpr ColumnName ColumnNames[] = {
    // Temperature
    {"temperature", MeltColumn::Temperature},   // en, fr (température)
    {"temp", MeltColumn::Temperature},          // en, de, as instruments shorten it
    {"melt_temperature", MeltColumn::Temperature},
    {"temperatur", MeltColumn::Temperature},    // de
    {"temperatura", MeltColumn::Temperature},   // es, it, pt
    {"\xE6\xB8\xA9\xE5\xBA\xA6", MeltColumn::Temperature}, // 温度, ja and zh
    // Shear rate
    {"shear_rate", MeltColumn::ShearRate},
    {"shearrate", MeltColumn::ShearRate},
    {"schergeschwindigkeit", MeltColumn::ShearRate}, // de
    {"scherrate", MeltColumn::ShearRate},            // de
    {"schergefalle", MeltColumn::ShearRate},         // de, Schergefälle
    {"taux_de_cisaillement", MeltColumn::ShearRate}, // fr
    {"vitesse_de_cisaillement", MeltColumn::ShearRate},
    {"gradient_de_cisaillement", MeltColumn::ShearRate},
    {"velocidad_de_cizalla", MeltColumn::ShearRate}, // es
    {"velocidad_de_cizallamiento", MeltColumn::ShearRate},
    {"tasa_de_cizalla", MeltColumn::ShearRate},
    {"tasa_de_cizallamiento", MeltColumn::ShearRate},
    {"velocita_di_taglio", MeltColumn::ShearRate},  // it, velocità di taglio
    {"gradiente_di_taglio", MeltColumn::ShearRate},
    {"taxa_de_cisalhamento", MeltColumn::ShearRate}, // pt
    {"velocidade_de_cisalhamento", MeltColumn::ShearRate},
    {"\xE3\x81\x9B\xE3\x82\x93\xE6\x96\xAD\xE9\x80\x9F\xE5\xBA\xA6", MeltColumn::ShearRate}, // せん断速度, ja
    {"\xE5\x89\xAA\xE6\x96\xAD\xE9\x80\x9F\xE5\xBA\xA6", MeltColumn::ShearRate},             // 剪断速度, ja
    {"\xE3\x81\x9A\xE3\x82\x8A\xE9\x80\x9F\xE5\xBA\xA6", MeltColumn::ShearRate},             // ずり速度, ja
    {"\xE5\x89\xAA\xE5\x88\x87\xE9\x80\x9F\xE7\x8E\x87", MeltColumn::ShearRate},             // 剪切速率, zh
    // Viscosity
    {"viscosity", MeltColumn::Viscosity},
    {"dynamic_viscosity", MeltColumn::Viscosity},
    {"viskositat", MeltColumn::Viscosity},  // de, Viskosität
    {"viscosite", MeltColumn::Viscosity},   // fr, viscosité
    {"viscosidad", MeltColumn::Viscosity},  // es
    {"viscosita", MeltColumn::Viscosity},   // it, viscosità
    {"viscosidade", MeltColumn::Viscosity}, // pt
    {"\xE7\xB2\x98\xE5\xBA\xA6", MeltColumn::Viscosity}, // 粘度, ja and zh
    {"\xE9\xBB\x8F\xE5\xBA\xA6", MeltColumn::Viscosity}, // 黏度, zh
};

// The base letters of U+00C0 to U+00FF, lower case; "" where there is none
// (× and ÷), two letters for Æ, Þ, ß.
constexpr std::string_view Latin1Letters[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i", //
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss", //
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i", //
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "Pa·s" and "Pa s" as "Pa.s", "°" dropped, "⁻¹" as "-1": the ways one unit
// is written, to compare.
std::string plainUnit(std::string_view unit)
{
    std::string out;
    for (std::size_t i = 0; i < unit.size(); ++i) {
        if (unit.substr(i, 2) == "\xC2\xB0") { // °
            ++i;
        } else if (unit.substr(i, 3) == "\xE2\x81\xBB") { // ⁻
            out += '-';
            i += 2;
        } else if (unit.substr(i, 2) == "\xC2\xB9") { // ¹
            out += '1';
            ++i;
        } else {
            out += unit[i];
        }
    }
    return out;
}

} // namespace

std::string_view meltColumnKey(MeltColumn column)
{
    switch (column) {
    case MeltColumn::Temperature:
        return "temperature";
    case MeltColumn::ShearRate:
        return "shear_rate";
    case MeltColumn::Viscosity:
        return "viscosity";
    }
    return {};
}

HeaderCell headerCell(std::string_view cell)
{
    cell = trimmed(cell);
    struct Brackets {
        std::string_view open, close;
    };
    static constexpr Brackets Pairs[] = {{"(", ")"}, {"[", "]"}, {"\xEF\xBC\x88", "\xEF\xBC\x89"}}; // （ ）
    for (const Brackets &b : Pairs) {
        if (cell.size() < b.close.size() || cell.substr(cell.size() - b.close.size()) != b.close)
            continue;
        const std::size_t at = cell.rfind(b.open);
        if (at == std::string_view::npos)
            continue;
        const std::size_t from = at + b.open.size();
        return {trimmed(cell.substr(0, at)), trimmed(cell.substr(from, cell.size() - b.close.size() - from))};
    }
    return {cell, {}};
}

std::string comparableName(std::string_view name)
{
    std::string out;
    bool gap = false; // a run of spaces, underscores, hyphens or dots, written as one '_'
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == ' ' || c == '\t' || c == '_' || c == '-' || c == '.') {
            gap = true;
            continue;
        }
        std::string_view letters;
        std::string one;
        if (c == 0xC3 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(name[i + 1]) < 0xC0) {
            letters = Latin1Letters[static_cast<unsigned char>(name[++i]) - 0x80];
        } else if ((c == 0xCC && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80) ||
                   (c == 0xCD && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xB0)) {
            ++i; // a combining accent, U+0300 to U+036F, as decomposed text writes "é"
            continue;
        } else {
            one = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            letters = one;
        }
        if (gap && !out.empty())
            out += '_';
        gap = false;
        out += letters;
    }
    return out;
}

std::optional<MeltColumn> meltColumnNamed(std::string_view name)
{
    const std::string key = comparableName(name);
    for (const ColumnName &n : ColumnNames)
        if (n.name == key)
            return n.column;
    return std::nullopt;
}

std::optional<TemperatureUnit> temperatureUnitNamed(std::string_view unit)
{
    const std::string u = plainUnit(unit);
    if (u == "C" || u == "\xE2\x84\x83" || u == "degC" || u == "deg C" || u == "deg.C") // ℃
        return TemperatureUnit::Celsius;
    if (u == "K")
        return TemperatureUnit::Kelvin;
    if (u == "F" || u == "\xE2\x84\x89" || u == "degF" || u == "deg F" || u == "deg.F") // ℉
        return TemperatureUnit::Fahrenheit;
    return std::nullopt;
}

long double celsiusFrom(long double value, TemperatureUnit unit)
{
    switch (unit) {
    case TemperatureUnit::Celsius:
        return value;
    case TemperatureUnit::Kelvin:
        return value - 273.15L;
    case TemperatureUnit::Fahrenheit:
        return (value - 32) * 5 / 9;
    }
    return value;
}

bool isPerSecond(std::string_view unit)
{
    static constexpr std::string_view Names[] = {"1/s", "1/sec", "s^-1", "s-1", "1 /s", "1/ s"};
    const std::string u = plainUnit(unit);
    return std::find(std::begin(Names), std::end(Names), u) != std::end(Names);
}

} // namespace sf
