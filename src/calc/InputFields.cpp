#include "InputFields.h"

#include <algorithm>
#include <vector>

namespace sf {

namespace {

struct ScreenDefaults {
    std::string_view mesh;
    std::string_view wire;
};

// The worked example's pack: four coarse, six medium and two fine screens.
constexpr ScreenDefaults DefaultPack[MaxScreens] = {
    {"30", "0.02946"}, {"30", "0.02743"}, {"30", "0.02540"}, {"30", "0.02337"},
    {"50", "0.02540"}, {"50", "0.02337"}, {"50", "0.02134"}, {"50", "0.01930"},
    {"50", "0.01727"}, {"50", "0.01524"}, {"200", "0.00508"}, {"200", "0.00406"},
};

constexpr InputField caseValue(Field id, int number, FieldGroup group, std::string_view key, std::string_view caption,
                               std::string_view unit, std::string_view text, bool editable,
                               double FilterCase::*value)
{
    return {id, number, group, FieldKind::CaseValue, key, caption, unit, text, editable, value};
}

constexpr std::array<InputField, FieldCount> makeInputFields()
{
    using G = FieldGroup;
    using F = Field;
    std::array<InputField, FieldCount> t{};
    auto put = [&t](const InputField &f) { t[fieldIndex(f.id)] = f; };
    put(caseValue(F::FlowRate, 1, G::Process, "flow_rate", "Flow Rate", "kg/hr", "57.0", true, &FilterCase::FlowRate));
    put(caseValue(F::ScreenDiameter, 2, G::Process, "screen_diameter", "Screen Diameter", "cm", "2.0", true,
                  &FilterCase::ScreenDiameter));
    put(caseValue(F::Density, 3, G::Process, "density", "Density", "g/cm3", "0.96", true, &FilterCase::Density));
    put(caseValue(F::Temperature, 4, G::Process, "temperature", "Temperature", "℃", "290.0", true, &FilterCase::Temperature));
    for (int k = 1; k <= MaxScreens; ++k) {
        const ScreenDefaults &d = DefaultPack[k - 1];
        put({meshField(k), static_cast<int>(fieldIndex(meshField(k))) + 1, G::Pack, FieldKind::Mesh, "mesh", "Mesh", "1/in", d.mesh, true, nullptr, k});
        put({wireField(k), static_cast<int>(fieldIndex(wireField(k))) + 1, G::Pack, FieldKind::Wire, "wire", "Wire Dia.", "cm", d.wire, true, nullptr, k});
    }
    put({F::ScreenCount, 29, G::Pack, FieldKind::ScreenCount, "count", "Number of  Screens", "", "12", true});
    // The melt's data are shown as the worked example's and not typed over.
    put(caseValue(F::StandardViscosity, 30, G::Melt, "standard_viscosity", "Standard Viscosity", "gf.s/cm2", "9.55", false,
                  &FilterCase::StdViscosity));
    put(caseValue(F::StandardShearRate, 31, G::Melt, "standard_shear_rate", "Standard Shear Rate", "1/sec", "100.0", false,
                  &FilterCase::StdShearRate));
    put(caseValue(F::PowerLawFactor, 32, G::Melt, "power_law_factor", "Power Law Factor", "-", "0.469", false,
                  &FilterCase::PowerLawFactor));
    put(caseValue(F::ShiftA, 33, G::Melt, "shift_a", "Shift Factor Parameter A", "℃", "15180.0", false,
                  &FilterCase::ShiftParamA));
    put(caseValue(F::ShiftB, 34, G::Melt, "shift_b", "Shift Factor Parameter B", "-", "26.96", false,
                  &FilterCase::ShiftParamB));
    put({F::SaveFileName, 35, G::Report, FieldKind::SaveFileName, "file", "Save File Name", "", "result.txt", true});
    return t;
}

// The window numbers its fields Edit1..Edit35 in the fields' own order.
constexpr bool describedInOrder(const std::array<InputField, FieldCount> &t)
{
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].id != fieldAt(i) || t[i].editNumber != static_cast<int>(i) + 1 || t[i].caption.empty())
            return false;
    return true;
}

constexpr std::array<InputField, FieldCount> Table = makeInputFields();
static_assert(describedInOrder(Table), "every field is described once, Edit1 to Edit35");

} // namespace

const std::array<InputField, FieldCount> InputFields = Table;

std::string screenRowCaption(int screen)
{
    return "No. " + std::to_string(screen) + (screen < 10 ? "  " : " ") + "Screen";
}

std::string fieldLabel(const InputField &field)
{
    std::string label(field.caption);
    if (!field.unit.empty()) {
        label += " (";
        label += field.unit;
        label += ')';
    }
    return label;
}

std::string fieldTitle(const InputField &field)
{
    if (field.screen == 0)
        return fieldLabel(field);
    return screenRowCaption(field.screen) + " " + fieldLabel(field);
}

std::string_view groupKey(FieldGroup group)
{
    switch (group) {
    case FieldGroup::Process:
        return "process";
    case FieldGroup::Pack:
        return "pack";
    case FieldGroup::Melt:
        return "melt";
    case FieldGroup::Report:
        return "report";
    }
    return {};
}

namespace {
constexpr std::string_view ScreensKey = "screens";
}

std::optional<Field> fieldOfKey(std::string_view key)
{
    for (const InputField &f : InputFields) {
        const std::string full = keyOfField(f.id);
        if (key == full)
            return f.id;
        if (f.screen != 0) {
            if (key == std::string(groupKey(f.group)) + "." + full)
                return f.id;
        } else if (key == f.key) {
            return f.id;
        }
    }
    return std::nullopt;
}

std::string keyOfField(Field field)
{
    const InputField &f = inputField(field);
    if (f.screen != 0)
        return std::string(ScreensKey) + "." + std::to_string(f.screen) + "." + std::string(f.key);
    return std::string(groupKey(f.group)) + "." + std::string(f.key);
}

namespace {

std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::string closestKey(std::string_view key)
{
    // Two keys are at least as far apart as their lengths differ: a key
    // longer than every key by more than 3 letters is near none, and one of
    // a megabyte from a hostile case file would take seconds to compare.
    std::size_t longest = 0;
    for (const InputField &f : InputFields)
        longest = std::max(longest, keyOfField(f.id).size());
    if (key.size() > longest + 3)
        return {};
    std::string best;
    std::size_t bestDistance = 0;
    for (const InputField &f : InputFields) {
        const std::string full = keyOfField(f.id);
        // Compared with the short and the full spelling; a screen key only
        // in full, so that "mesh" suggests "screens.1.mesh".
        std::size_t d = editDistance(key, full);
        if (f.screen == 0)
            d = std::min(d, editDistance(key, f.key));
        if (best.empty() || d < bestDistance) {
            best = full;
            bestDistance = d;
        }
    }
    // Near: at most a third of the key's letters wrong, and never more than
    // 3; or the start of exactly one key ("flow" for flow_rate).
    if (bestDistance != 0 && bestDistance <= 3 && 3 * bestDistance <= key.size())
        return best;
    std::string started;
    for (const InputField &f : InputFields)
        if (f.screen == 0 && key.size() >= 3 && f.key.starts_with(key)) {
            if (!started.empty())
                return {};
            started = keyOfField(f.id);
        }
    return started;
}

std::string closestAmong(std::string_view key, std::span<const std::string_view> keys)
{
    std::size_t longest = 0;
    for (std::string_view k : keys)
        longest = std::max(longest, k.size());
    if (key.size() > longest + 3)
        return {};
    std::string best;
    std::size_t bestDistance = 0;
    for (std::string_view k : keys) {
        const std::size_t d = editDistance(key, k);
        if (best.empty() || d < bestDistance) {
            best = k;
            bestDistance = d;
        }
    }
    if (bestDistance != 0 && bestDistance <= 3 && 3 * bestDistance <= key.size())
        return best;
    return {};
}

} // namespace sf
