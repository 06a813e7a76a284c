#include "CompletionDialog.h"

#include "Artwork.h"
#include "BevelPanel.h"
#include "GlyphButton.h"
#include "Look.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

using namespace sf;

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, QPoint pos, int pixelSize,
                 const QColor &colour)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(uiFont(pixelSize));
    setTextColour(label, colour);
    label->move(pos);
    label->adjustSize();
    return label;
}

// The message's box, inside the panel's bevel.
constexpr int MessageWidth = 238;

} // namespace

CompletionDialog::CompletionDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FinishForm"));
    setWindowTitle(QStringLiteral("Finsh"));
    setFont(uiFont(12));
    setFixedSize(306, 179);
    setAccessibleName(windowTitle());
    setAccessibleDescription(QStringLiteral("Calculation is successfully finished !"));
}

void CompletionDialog::buildContents()
{
    auto *panel = new BevelPanel(BevelPanel::NoInnerBevel, this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(16, 16, 273, 49);
    QLabel *message = addLabel(panel, "Label1", QStringLiteral("Calculation is successfully finished !"), {18, 16},
                               16, Blue);
    fitTextWidth(message, MessageWidth);
    addLabel(this, "Label3", QStringLiteral("screenfilter"), {112, 80}, 15, Maroon);
    addLabel(this, "Label2", QStringLiteral("2008.8.6"), {120, 104}, 15, palette().color(QPalette::WindowText));

    m_okButton = new GlyphButton(okGlyph(), tr("OK"), this);
    m_okButton->setObjectName(QStringLiteral("BitBtn1"));
    m_okButton->setGeometry(112, 136, 73, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &CompletionDialog::acknowledge);
}

void CompletionDialog::setVisible(bool visible)
{
    // The contents are made when the dialog is first shown: their fonts
    // (one of them narrowed) would otherwise be loaded before the main
    // window's first frame, which never shows them.
    if (visible && !m_okButton)
        buildContents();
    QDialog::setVisible(visible);
}

void CompletionDialog::showModal()
{
    if (!m_placed) {
        centreOnScreen(this);
        m_placed = true;
    } else {
        move(m_lastPos);
    }
    if (!m_okButton)
        buildContents();
    m_okButton->setFocus(Qt::OtherFocusReason);
    exec();
}

void CompletionDialog::acknowledge()
{
    accept();
}

void CompletionDialog::keyPressEvent(QKeyEvent *event)
{
    // There is no cancel button: Escape leaves the dialog open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CompletionDialog::changeEvent(QEvent *event)
{
    // Some window managers (openbox among them) give every dialog a minimise
    // button whatever it asks for, and minimise the main window with it.
    // Minimised, this modal dialog would leave the program blocked with
    // nothing on the screen; it comes straight back instead. Nor does it
    // grow to fill the screen.
    if (event->type() == QEvent::WindowStateChange && isVisible()
        && (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        QTimer::singleShot(0, this, [this] {
            if (!isVisible())
                return;
            setWindowState(Qt::WindowNoState);
            activateWindow();
        });
    }
    QDialog::changeEvent(event);
}

void CompletionDialog::hideEvent(QHideEvent *event)
{
    // Also where the user dragged it to.
    m_lastPos = pos();
    QDialog::hideEvent(event);
}
