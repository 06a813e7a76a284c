#include "InputFields.h"

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

constexpr InputField caseValue(int number, FieldGroup group, std::string_view key, std::string_view caption,
                               std::string_view unit, std::string_view text, bool editable,
                               double TFilterCase::*value)
{
    return {number, group, FieldKind::CaseValue, key, caption, unit, text, editable, value};
}

constexpr std::array<InputField, EditFieldCount> makeInputFields()
{
    using G = FieldGroup;
    std::array<InputField, EditFieldCount> t{};
    auto put = [&t](const InputField &f) { t[static_cast<std::size_t>(f.number - 1)] = f; };
    put(caseValue(1, G::Process, "flow_rate", "Flow Rate", "kg/hr", "57.0", true, &TFilterCase::FlowRate));
    put(caseValue(2, G::Process, "screen_diameter", "Screen Diameter", "cm", "2.0", true,
                  &TFilterCase::ScreenDiameter));
    put(caseValue(3, G::Process, "density", "Density", "g/cm3", "0.96", true, &TFilterCase::Density));
    put(caseValue(4, G::Process, "temperature", "Temperature", "℃", "290.0", true, &TFilterCase::Temperature));
    for (int k = 1; k <= MaxScreens; ++k) {
        const ScreenDefaults &d = DefaultPack[k - 1];
        put({meshField(k), G::Pack, FieldKind::Mesh, "mesh", "Mesh", "1/in", d.mesh, true, nullptr, k});
        put({wireField(k), G::Pack, FieldKind::Wire, "wire", "Wire Dia.", "cm", d.wire, true, nullptr, k});
    }
    put({ScreenCountField, G::Pack, FieldKind::ScreenCount, "count", "Number of  Screens", "", "12", true});
    // The melt's data are shown as the worked example's and not typed over.
    put(caseValue(30, G::Melt, "standard_viscosity", "Standard Viscosity", "gf.s/cm2", "9.55", false,
                  &TFilterCase::StdViscosity));
    put(caseValue(31, G::Melt, "standard_shear_rate", "Standard Shear Rate", "1/sec", "100.0", false,
                  &TFilterCase::StdShearRate));
    put(caseValue(32, G::Melt, "power_law_factor", "Power Law Factor", "-", "0.469", false,
                  &TFilterCase::PowerLawFactor));
    put(caseValue(33, G::Melt, "shift_a", "Shift Factor Parameter A", "℃", "15180.0", false,
                  &TFilterCase::ShiftParamA));
    put(caseValue(34, G::Melt, "shift_b", "Shift Factor Parameter B", "-", "26.96", false,
                  &TFilterCase::ShiftParamB));
    put({SaveFileNameField, G::Report, FieldKind::SaveFileName, "file", "Save File Name", "", "result.txt", true});
    return t;
}

constexpr bool numberedInOrder(const std::array<InputField, EditFieldCount> &t)
{
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].number != static_cast<int>(i) + 1 || t[i].caption.empty())
            return false;
    return true;
}

constexpr std::array<InputField, EditFieldCount> Table = makeInputFields();
static_assert(numberedInOrder(Table), "every field from Edit1 to Edit35 is described once");

} // namespace

const std::array<InputField, EditFieldCount> InputFields = Table;

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

} // namespace sf
