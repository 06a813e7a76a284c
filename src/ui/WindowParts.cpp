#include "WindowParts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

namespace sf {

const std::array<PressureUnit, std::size(ShownPressureUnits)> &pressureUnits()
{
    static const std::array<PressureUnit, std::size(ShownPressureUnits)> units = [] {
        std::array<PressureUnit, std::size(ShownPressureUnits)> u{};
        for (std::size_t i = 0; i < std::size(ShownPressureUnits); ++i)
            u[i] = *pressureUnitNamed(ShownPressureUnits[i].name);
        return u;
    }();
    return units;
}

void paintRed(QLabel *label)
{
    QPalette warning = label->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    label->setPalette(warning);
}

QString askForFile(QWidget *parent, const QString &title, const QString &filters, const QString &suggested)
{
    QFileDialog dialog(parent, title, suggested);
    dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace sf
