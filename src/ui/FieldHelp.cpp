#include "FieldHelp.h"
#include "QtText.h"

namespace sf {

QString groupTitle(FieldGroup group)
{
    switch (group) {
    case FieldGroup::Process:
        return QStringLiteral("Input Data");
    case FieldGroup::Pack:
        return QStringLiteral("Screen Data");
    case FieldGroup::Melt:
        return QStringLiteral("Viscosity Data");
    case FieldGroup::Report:
        return qText(inputField(Field::SaveFileName).caption);
    }
    return {};
}

QString groupMeaning(FieldGroup group)
{
    switch (group) {
    case FieldGroup::Process:
        return QStringLiteral("the melt's flow through the pack, the pack's diameter and the melt's density and "
                              "temperature.");
    case FieldGroup::Pack:
        return QStringLiteral("one row per screen of the pack: its mesh and wire diameter. Number of Screens says "
                              "how many rows, from No. 1, are in use.");
    case FieldGroup::Melt:
        return QStringLiteral("the melt's power-law viscosity at the standard shear rate and its shift with "
                              "temperature. Shown as the case gives them, not typed over.");
    case FieldGroup::Report:
        return QStringLiteral("the report's file, written into the directory chosen in the list above it.");
    }
    return {};
}

QString acceptedValues(const InputField &field)
{
    switch (field.kind) {
    case FieldKind::ScreenCount:
        return QStringLiteral("a whole number, 1 to %1").arg(MaxScreens);
    case FieldKind::Mesh:
        return QStringLiteral("a number > 0; read only for the screens in use");
    case FieldKind::Wire:
        // The wire must leave an opening: the pitch of mesh M is 2.54/M cm.
        return QStringLiteral("a number > 0, below the pitch 2.54 / mesh; read only for the screens in use");
    case FieldKind::SaveFileName:
        return QStringLiteral("a file name, or a path");
    case FieldKind::CaseValue:
        break;
    }
    if (!field.editable)
        return QStringLiteral("read-only; a case file sets it");
    // The shift divides by T + 273.
    if (field.id == Field::Temperature)
        return QStringLiteral("a number above -273");
    return QStringLiteral("a number > 0");
}

QString fieldToolTip(const InputField &field, const QString &text)
{
    const QString title = QString::fromStdString(fieldTitle(field));
    if (!field.editable)
        return title + u'\n' + text + u'\n' + acceptedValues(field);
    return title + u'\n' + acceptedValues(field);
}

QString reportPathToolTip(const QString &path)
{
    return groupTitle(FieldGroup::Report) + QStringLiteral("\nThe report goes to\n") + path;
}

} // namespace sf
