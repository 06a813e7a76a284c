#include "TForm1.h"

#include "Artwork.h"
#include "BevelPanel.h"
#include "CalcFinished.h"
#include "FieldEdit.h"
#include "LocaleSeparator.h"
#include "Look.h"
#include "MessageBoxes.h"

#include "browser/TDirectoryListBox.h"
#include "browser/TDriveComboBox.h"
#include "browser/TFileListBox.h"
#include "calc/Calculate.h"
#include "calc/DecimalSeparator.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

using namespace sf::ui;

namespace {

constexpr int DataFontSize = 13;   // labels and fields of the three data groups
constexpr int ButtonFontSize = 15;
constexpr int EditHeight = 21;

// Edit30..Edit34 show the viscosity data but take no input.
constexpr int FirstViscosityField = 30;
constexpr int LastViscosityField = 34;

QLabel *addLabel(QWidget *parent, int number, const QString &text, int left, int top,
                 int pixelSize = DataFontSize)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->setFont(uiFont(pixelSize));
    setTextColour(label, Blue);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QGroupBox *addGroup(QWidget *parent, const char *name, const QString &title, QRect geometry, int pixelSize)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    group->setFont(uiFont(pixelSize));
    group->setGeometry(geometry);
    return group;
}

QString screenRowCaption(int screen)
{
    // One-digit numbers get two blanks so that "Screen" lines up.
    return QStringLiteral("No. %1%2Screen").arg(screen).arg(screen < 10 ? QStringLiteral("  ") : QStringLiteral(" "));
}

bool isEnter(const QKeyEvent *event)
{
    const bool enterKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    return enterKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pressure Drop of Screen Filter"));
    setFont(uiFont(12));
    resize(685, 491);

    m_panel1 = new BevelPanel(BevelPanel::LoweredInnerBevel, this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setGeometry(rect());

    buildInputGroups(m_panel1);
    buildRightSide(m_panel1);
    setTabChain();

    // Key preview: the window sees every key before the focused control.
    for (QWidget *child : findChildren<QWidget *>())
        if (child->focusPolicy() != Qt::NoFocus)
            child->installEventFilter(this);

    applyLocale(QLocale::system());
    m_edits[0]->setFocus(Qt::OtherFocusReason);
}

QLineEdit *TForm1::makeEdit(int number, QWidget *parent, QRect geometry, int pixelSize)
{
    const sf::InputField &field = sf::InputFields.at(static_cast<std::size_t>(number - 1));
    auto *edit = new FieldEdit(parent);
    edit->setObjectName(QStringLiteral("Edit%1").arg(number));
    edit->setFont(uiFont(pixelSize));
    edit->setText(QString::fromUtf8(field.defaultText.data(), static_cast<qsizetype>(field.defaultText.size())));
    edit->setAccessibleName(QString::fromUtf8(field.caption.data(), static_cast<qsizetype>(field.caption.size())));
    edit->setGeometry(geometry);
    m_edits[static_cast<std::size_t>(number - 1)] = edit;
    return edit;
}

void TForm1::buildInputGroups(QWidget *panel)
{
    QGroupBox *input = addGroup(panel, "GroupBox1", QStringLiteral("Input Data"), {16, 8, 409, 473}, 16);
    for (int i = 0; i < 4; ++i) {
        const int top = 16 + 16 * i;
        const std::string_view caption = sf::InputFields[static_cast<std::size_t>(i)].caption;
        addLabel(input, i + 1, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())), 24, top);
        makeEdit(i + 1, input, {308, top, 65, EditHeight}, DataFontSize);
    }

    QGroupBox *screens = addGroup(input, "GroupBox2", QStringLiteral("Screen Data"), {16, 88, 377, 249}, DataFontSize);
    addLabel(screens, 5, QStringLiteral("Mesh (1/in)"), 204, 8);
    addLabel(screens, 6, QStringLiteral("Wire Dia. (cm)"), 284, 8);
    for (int k = 1; k <= 12; ++k) {
        const int top = 24 + 16 * (k - 1);
        addLabel(screens, 6 + k, screenRowCaption(k), 8, top);
        makeEdit(sf::meshField(k), screens, {212, top, 49, EditHeight}, DataFontSize);
        makeEdit(sf::wireField(k), screens, {292, top, 57, EditHeight}, DataFontSize);
    }
    addLabel(screens, 19, QStringLiteral("Number of  Screens"), 8, 224);
    makeEdit(sf::ScreenCountField, screens, {212, 224, 49, EditHeight}, DataFontSize);

    // The two viscosity formulas, spelled out in labels and fields.
    QGroupBox *viscosity = addGroup(input, "GroupBox3", QStringLiteral("Viscosity Data"), {16, 348, 377, 117}, DataFontSize);
    // A label that runs up to the next field ends where that field begins.
    auto formula = [viscosity](int number, const QString &text, int left, int top, int nextField) {
        fitTextWidth(addLabel(viscosity, number, text, left, top), nextField - left);
    };
    formula(20, QStringLiteral("Viscosity η = "), 8, 24, 88);
    makeEdit(30, viscosity, {88, 24, 49, EditHeight}, DataFontSize);
    formula(21, QStringLiteral("* ( SR/ "), 144, 24, 192);
    makeEdit(31, viscosity, {192, 24, 49, EditHeight}, DataFontSize);
    formula(23, QStringLiteral(" ) ^("), 248, 24, 272);
    makeEdit(32, viscosity, {272, 24, 49, EditHeight}, DataFontSize);
    addLabel(viscosity, 24, QStringLiteral(" - 1) "), 328, 24);
    addLabel(viscosity, 22, QStringLiteral("(gf.s/cm2)"), 84, 48);
    addLabel(viscosity, 25, QStringLiteral("(1/sec)"), 196, 48);
    addLabel(viscosity, 26, QStringLiteral("( - )"), 280, 48);
    formula(27, QStringLiteral("Shift Factor"), 8, 72, 80);
    addLabel(viscosity, 28, QStringLiteral("a"), 80, 68, 16);
    addLabel(viscosity, 29, QStringLiteral("T"), 88, 80, 11);
    formula(30, QStringLiteral(" = Exp( "), 104, 72, 148);
    makeEdit(33, viscosity, {148, 72, 57, EditHeight}, DataFontSize);
    formula(31, QStringLiteral(" /(T + 273.0) - "), 208, 72, 292);
    makeEdit(34, viscosity, {292, 72, 45, EditHeight}, DataFontSize);
    addLabel(viscosity, 32, QStringLiteral(" ) "), 344, 72);
    addLabel(viscosity, 33, QStringLiteral("(℃)"), 160, 96);
    addLabel(viscosity, 34, QStringLiteral("( - )"), 300, 96);

    for (int n = FirstViscosityField; n <= LastViscosityField; ++n)
        m_edits[static_cast<std::size_t>(n - 1)]->setEnabled(false);
}

void TForm1::buildRightSide(QWidget *panel)
{
    m_okButton = new QPushButton(QIcon(QPixmap::fromImage(drawOkGlyph())), tr("OK"), panel);
    m_okButton->setObjectName(QStringLiteral("BitBtn1"));
    m_okButton->setGeometry(440, 432, 101, 35);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &TForm1::BitBtn1Click);

    m_closeButton = new QPushButton(QIcon(QPixmap::fromImage(drawCloseGlyph())), QStringLiteral("Close(&C)"), panel);
    m_closeButton->setObjectName(QStringLiteral("BitBtn2"));
    m_closeButton->setGeometry(568, 432, 101, 35);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    for (QPushButton *button : {m_okButton, m_closeButton}) {
        button->setFont(uiFont(ButtonFontSize));
        button->setIconSize({18, 18});
        // Reached by the mouse only; a click leaves the focus on the button.
        button->setFocusPolicy(Qt::ClickFocus);
    }

    auto *picturePanel = new BevelPanel(BevelPanel::LoweredInnerBevel, panel);
    picturePanel->setObjectName(QStringLiteral("Panel2"));
    picturePanel->setGeometry(460, 20, 201, 149);
    auto *image = new QLabel(picturePanel);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(2, 2, 197, 145);
    // Unscaled from the top-left corner: the picture's last column and rows
    // fall outside the frame.
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(QPixmap::fromImage(drawPicture()));

    // The save-location browser. All three start from the current directory;
    // the file list stays on it and is re-read after each run.
    auto *directories = new sf::TDirectoryListBox(*this, panel);
    directories->setObjectName(QStringLiteral("DirectoryListBox1"));
    directories->setGeometry(436, 212, 121, 137);
    auto *drives = new sf::TDriveComboBox(panel);
    drives->setObjectName(QStringLiteral("DriveComboBox1"));
    drives->setGeometry(436, 184, 121, 18);
    drives->setDirectoryList(directories);
    m_fileList = new sf::TFileListBox(panel);
    m_fileList->setObjectName(QStringLiteral("FileListBox1"));
    m_fileList->setGeometry(568, 184, 113, 165);
    for (QWidget *w : std::initializer_list<QWidget *>{drives, m_fileList, directories})
        w->setFocusPolicy(Qt::ClickFocus);

    QGroupBox *saveGroup = addGroup(panel, "GroupBox4", QStringLiteral("Save File Name"), {464, 364, 149, 49}, 12);
    setTextColour(saveGroup, Red);
    QLineEdit *saveName = makeEdit(sf::SaveFileNameField, saveGroup, {24, 16, 101, 20}, 12);
    QPalette palette = saveName->palette();
    palette.setColor(QPalette::Text, Black);
    saveName->setPalette(palette);
    saveName->setFocusPolicy(Qt::ClickFocus);
}

void TForm1::setTabChain()
{
    // Depth first through the groups; disabled fields and click-only
    // controls are skipped by Tab, so the cycle is Edit1..Edit29.
    QWidget *previous = m_edits[0];
    auto chain = [&previous](QWidget *next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (int n = 2; n <= LastViscosityField; ++n)
        chain(m_edits[static_cast<std::size_t>(n - 1)]);
    chain(m_okButton);
    chain(m_closeButton);
    chain(findChild<QComboBox *>(QStringLiteral("DriveComboBox1")));
    chain(m_fileList);
    chain(findChild<QListWidget *>(QStringLiteral("DirectoryListBox1")));
    chain(m_edits[sf::SaveFileNameField - 1]);
}

void TForm1::applyLocale(const QLocale &locale)
{
    sf::setDecimalSeparator(separatorOf(locale));
    writeViscosityDefaults();
}

void TForm1::writeViscosityDefaults()
{
    // These fields cannot be retyped, so they must read with whatever
    // separator is in force, or no run could succeed in a comma locale.
    const QChar separator = QLatin1Char(sf::decimalSeparator());
    for (int n = FirstViscosityField; n <= LastViscosityField; ++n) {
        const std::string_view text = sf::InputFields.at(static_cast<std::size_t>(n - 1)).defaultText;
        QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        shown.replace(u'.', separator);
        m_edits[static_cast<std::size_t>(n - 1)]->setText(shown);
    }
}

std::string TForm1::fieldText(int editNumber) const
{
    return m_edits.at(static_cast<std::size_t>(editNumber - 1))->text().toStdString();
}

void TForm1::showMessage(const std::string &text)
{
    showMessageDialog(this, QString::fromStdString(text));
}

void TForm1::showError(const std::string &text)
{
    showErrorBox(this, QString::fromStdString(text));
}

void TForm1::showFinished()
{
    Q_ASSERT(m_finishForm);
    if (m_finishForm)
        m_finishForm->showModal();
}

void TForm1::refreshFileList()
{
    m_fileList->refresh();
}

void TForm1::BitBtn1Click()
{
    sf::Calculate(*this);
}

bool TForm1::FormKeyDown(QKeyEvent *event)
{
    QLineEdit *first = m_edits[0];
    QLineEdit *last = m_edits[LastViscosityField - 1];
    if (!first->isEnabled() || !last->isEnabled())
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
        if (first->hasFocus())
            last->setFocus(Qt::BacktabFocusReason);
        else
            focusNextPrevChild(false);
        return true;
    case Qt::Key_Down:
        if (last->hasFocus())
            first->setFocus(Qt::TabFocusReason);
        else
            focusNextPrevChild(true);
        return true;
    default:
        return false;
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (FormKeyDown(key))
        return true;

    auto *button = qobject_cast<QPushButton *>(watched);
    if (isEnter(key)) {
        if (button) {
            button->click();
            return true;
        }
        if (qobject_cast<QLineEdit *>(watched)) {
            m_okButton->click();
            return true;
        }
    }
    // A button takes no typed characters: C goes to the underlined letter of
    // Close(C), as Alt+C does from anywhere.
    if (button && key->key() == Qt::Key_C && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        m_closeButton->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        applyLocale(QLocale::system());
    QWidget::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // FormClose: nothing objects and nothing is saved; being the main window,
    // its closing ends the program.
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    m_panel1->setGeometry(rect());
    QWidget::resizeEvent(event);
}
