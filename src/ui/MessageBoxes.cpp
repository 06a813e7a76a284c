#include "MessageBoxes.h"

#include "AppTitle.h"
#include "Look.h"

#include <QMessageBox>
#include <QPushButton>

namespace sf {

namespace {

// Centred on the screen rather than over its owner, which the user may have
// moved anywhere.
class ScreenCentredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        centreOnScreen(this);
    }
};

void prepare(QMessageBox &box, const QString &text, const QString &english)
{
    box.setWindowTitle(messageBoxCaption());
    // The text is shown as it stands: no markup is interpreted.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (!english.isEmpty())
        box.setInformativeText(english);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.setAccessibleName(messageBoxCaption());
    box.setAccessibleDescription(english.isEmpty() ? text : text + u'\n' + english);
}

} // namespace

void showMessageDialog(QWidget *owner, const QString &text, const QString &english)
{
    ScreenCentredBox box(owner);
    box.setIcon(QMessageBox::NoIcon);
    prepare(box, text, english);
    box.exec();
}

void showErrorBox(QWidget *owner, const QString &text, const QString &english)
{
    QMessageBox box(owner);
    box.setIcon(QMessageBox::Critical);
    prepare(box, text, english);
    box.exec();
}

} // namespace sf
