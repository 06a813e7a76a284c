#include "ShortcutsWindow.h"

#include "FieldHelp.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace sf {

namespace {

// The fields of a group as "Caption (unit)", a screen's pair once.
QString fieldsOf(FieldGroup group)
{
    QStringList names;
    for (const InputField &field : InputFields)
        if (field.group == group && field.screen <= 1)
            names << QString::fromStdString(fieldLabel(field)).toHtmlEscaped();
    return names.join(QStringLiteral(", "));
}

} // namespace

ShortcutsWindow::ShortcutsWindow(QWidget *parent) : QDialog(parent), m_text(new QLabel(this))
{
    setObjectName(QStringLiteral("ShortcutsWindow"));
    setWindowTitle(QStringLiteral("Keyboard Shortcuts"));
    m_text->setObjectName(QStringLiteral("ShortcutsText"));
    m_text->setTextFormat(Qt::RichText);
    m_text->setWordWrap(true);
    m_text->setFixedWidth(460);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShortcutsWindow::setContents(const std::vector<ShortcutLine> &shortcuts, QChar separator)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const ShortcutLine &line : shortcuts)
        html += QStringLiteral("<tr><td style=\"padding-right: 12px\"><b>%1</b></td><td>%2</td></tr>")
                    .arg(line.keys.toHtmlEscaped(), line.does.toHtmlEscaped());
    html += QStringLiteral("</table>");
    for (FieldGroup group : {FieldGroup::Process, FieldGroup::Pack, FieldGroup::Melt})
        html += QStringLiteral("<p><b>%1</b>: %2<br>%3</p>")
                    .arg(groupTitle(group).toHtmlEscaped(), groupMeaning(group).toHtmlEscaped(), fieldsOf(group));
    // The report's group is its one field.
    html += QStringLiteral("<p><b>%1</b>: %2</p>")
                .arg(groupTitle(FieldGroup::Report).toHtmlEscaped(), groupMeaning(FieldGroup::Report).toHtmlEscaped());
    html += QStringLiteral("<p>Numbers are typed with the decimal separator \"%1\".</p>").arg(separator);
    m_text->setText(html);
}

} // namespace sf
