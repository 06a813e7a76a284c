#include "MainWindow.h"
#include "QtText.h"

#include "AppTitle.h"
#include "Artwork.h"
#include "BevelPanel.h"
#include "CommandMenu.h"
#include "GlyphButton.h"
#include "CompletionDialog.h"
#include "cases/CaseTexts.h"
#include "EtchedGroupBox.h"
#include "FieldEdit.h"
#include "FieldHelp.h"
#include "LocaleSeparator.h"
#include "Look.h"
#include "MessageBoxes.h"
#include "ReportFile.h"
#include "ShortcutsWindow.h"
#include "SideWindow.h"

#include "browser/CurrentDirectory.h"
#include "browser/DirectoryList.h"
#include "browser/VolumeSelector.h"
#include "browser/FileList.h"
#include "cases/CaseFile.h"
#include "io/ErrorBoxText.h"
#include "io/IoErrors.h"
#include "io/OutputPaths.h"
#include "melt/MeltTexts.h"
#include "run/CaseRun.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>

#include <cstring>

#ifndef SCREENFILTER_VERSION
#error "SCREENFILTER_VERSION is the project's version"
#endif

using namespace sf;

namespace {

constexpr int DataFontSize = 13;   // labels and fields of the three data groups
constexpr int ButtonFontSize = 15;
constexpr int EditHeight = 21;

// Up and Down cycle through the fields of the Input Data group, Edit1 to
// this one.
constexpr sf::Field LastDataField = sf::Field::ShiftB;

const QString WindowTitle = QStringLiteral("Pressure Drop of Screen Filter");

// The first local file among dropped URLs.
QString droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

QString askForCaseFile(QWidget *parent, bool save, const QString &current)
{
    QFileDialog dialog(parent, save ? QStringLiteral("Save Case") : QStringLiteral("Open Case"), current);
    dialog.setNameFilters({QStringLiteral("Case files (*.sfcase *.toml)"), QStringLiteral("All files (*)")});
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dialog.setDefaultSuffix(QStringLiteral("sfcase"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString labelOf(sf::Field field)
{
    return QString::fromStdString(sf::fieldLabel(sf::inputField(field)));
}

// Below a formula a unit stands in parentheses; a dimensionless one is
// spaced out as "( - )".
QString unitBelow(sf::Field field)
{
    const std::string_view unit = sf::inputField(field).unit;
    return unit == "-" ? QStringLiteral("( - )") : QStringLiteral("(%1)").arg(qText(unit));
}

// The viscosity group spells out its two formulas, left to right, in labels
// with the melt's fields where their values go and each field's unit below
// it. Pieces are made in this order.
struct FormulaPiece {
    int label;          // LabelN: `text`, or the unit of `field` when text is empty
    const char16_t *text;
    sf::Field field;    // when label is 0, or for its unit; unused when text is given
    QRect at;           // a label's top-left; a field's geometry
    int pixelSize = DataFontSize;
    int endsBefore = 0; // a label running up to this x is narrowed to end there
    bool spaced = false; // and to end a blank's width before it: the next
                         // item is a word of its own, though the caption
                         // ends without a blank
};

const FormulaPiece ViscosityFormulas[] = {
    {20, u"Viscosity η = ", {}, {8, 24, 0, 0}, DataFontSize, 88},
    {0, nullptr, sf::Field::StandardViscosity, {88, 24, 49, EditHeight}},
    {21, u"* ( SR/ ", {}, {144, 24, 0, 0}, DataFontSize, 192},
    {0, nullptr, sf::Field::StandardShearRate, {192, 24, 49, EditHeight}},
    {23, u" ) ^(", {}, {248, 24, 0, 0}, DataFontSize, 272},
    {0, nullptr, sf::Field::PowerLawFactor, {272, 24, 49, EditHeight}},
    {24, u" - 1) ", {}, {328, 24, 0, 0}},
    {22, nullptr, sf::Field::StandardViscosity, {84, 48, 0, 0}},
    {25, nullptr, sf::Field::StandardShearRate, {196, 48, 0, 0}},
    {26, nullptr, sf::Field::PowerLawFactor, {280, 48, 0, 0}},
    {27, u"Shift Factor", {}, {8, 72, 0, 0}, DataFontSize, 80, true},
    {28, u"a", {}, {80, 68, 0, 0}, 16},
    {29, u"T", {}, {88, 80, 0, 0}, 11},
    {30, u" = Exp( ", {}, {104, 72, 0, 0}, DataFontSize, 148},
    {0, nullptr, sf::Field::ShiftA, {148, 72, 57, EditHeight}},
    {31, u" /(T + 273.0) - ", {}, {208, 72, 0, 0}, DataFontSize, 292},
    {0, nullptr, sf::Field::ShiftB, {292, 72, 45, EditHeight}},
    {32, u" ) ", {}, {344, 72, 0, 0}},
    {33, nullptr, sf::Field::ShiftA, {160, 96, 0, 0}},
    {34, nullptr, sf::Field::ShiftB, {300, 96, 0, 0}},
};

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
    auto *group = new EtchedGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    group->setFont(uiFont(pixelSize));
    group->setGeometry(geometry);
    return group;
}

bool isEnter(const QKeyEvent *event)
{
    const bool enterKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    return enterKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowTitle);
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

    // Case files: additions that a user who never touches them does not see.
    m_chooseFile = [this](bool save, const QString &current) { return askForCaseFile(this, save, current); };
    m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    buildCommands();
    setAcceptDrops(true);
    connect(m_fileList, &sf::FileList::openRequested, this, &MainWindow::openReport);

    connect(m_directoryList, &sf::DirectoryList::directoryChanged, this, &MainWindow::updateReportPathTip);
    connect(m_edits[sf::fieldIndex(sf::Field::SaveFileName)], &QLineEdit::textChanged, this,
            &MainWindow::updateReportPathTip);
    updateReportPathTip();
}

void MainWindow::buildCommands()
{
    // Made after the key preview is installed: the menu needs none.
    m_commands = new CommandMenu(this);
    m_commands->addCommand(QStringLiteral("Open case…"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                           &MainWindow::openCaseDialog);
    m_commands->addCommand(QStringLiteral("Save case"), QKeySequence(Qt::CTRL | Qt::Key_S), this,
                           &MainWindow::saveCaseToFile);
    m_commands->addCommand(QStringLiteral("Save case as…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this,
                           &MainWindow::saveCaseAs);
    m_commands->addCommand(QStringLiteral("Melt…"), QKeySequence(Qt::CTRL | Qt::Key_M), this,
                           &MainWindow::showMeltDialog);
    m_commands->addCommand(QStringLiteral("View report"), QKeySequence(Qt::CTRL | Qt::Key_R), this,
                           &MainWindow::viewReport);
    m_commands->addCommand(QStringLiteral("Study…"), QKeySequence(Qt::CTRL | Qt::Key_T), this,
                           &MainWindow::showStudy);
    m_commands->addCommand(QStringLiteral("Pack life…"), QKeySequence(Qt::CTRL | Qt::Key_L), this,
                           &MainWindow::showLife);
    m_commands->addHelp(QStringLiteral("Keyboard shortcuts"), QKeySequence(Qt::Key_F1), this,
                        &MainWindow::showShortcuts);
    m_commands->addHelp(QStringLiteral("About"), {}, this, &MainWindow::showAbout);
}

QLineEdit *MainWindow::makeEdit(sf::Field id, QWidget *parent, QRect geometry, int pixelSize)
{
    const sf::InputField &field = sf::inputField(id);
    auto *edit = new FieldEdit(parent);
    edit->setObjectName(QStringLiteral("Edit%1").arg(field.editNumber));
    edit->setFont(uiFont(pixelSize));
    edit->setText(qText(field.defaultText));
    edit->setAccessibleName(QString::fromStdString(sf::fieldTitle(field)));
    edit->setGeometry(geometry);
    edit->setEnabled(field.editable);
    m_edits[sf::fieldIndex(id)] = edit;

    edit->setToolTip(fieldToolTip(field, edit->text()));
    if (!field.editable) // its tooltip shows the whole value
        connect(edit, &QLineEdit::textChanged, this,
                [edit, f = &field](const QString &text) { edit->setToolTip(fieldToolTip(*f, text)); });
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this,
            [this, edit](const QPoint &pos) { showFieldMenu(edit, pos); });
    return edit;
}

void MainWindow::buildInputGroups(QWidget *panel)
{
    QGroupBox *input = addGroup(panel, "GroupBox1", groupTitle(FieldGroup::Process), {16, 8, 409, 473}, 16);
    for (sf::Field f : {sf::Field::FlowRate, sf::Field::ScreenDiameter, sf::Field::Density, sf::Field::Temperature}) {
        const int n = sf::inputField(f).editNumber;
        const int top = 16 + 16 * (n - 1);
        addLabel(input, n, labelOf(f), 24, top);
        makeEdit(f, input, {308, top, 65, EditHeight}, DataFontSize);
    }

    QGroupBox *screens = addGroup(input, "GroupBox2", groupTitle(FieldGroup::Pack), {16, 88, 377, 249}, DataFontSize);
    addLabel(screens, 5, labelOf(sf::meshField(1)), 204, 8);
    addLabel(screens, 6, labelOf(sf::wireField(1)), 284, 8);
    for (int k = 1; k <= sf::MaxScreens; ++k) {
        const int top = 24 + 16 * (k - 1);
        addLabel(screens, 6 + k, QString::fromStdString(sf::screenRowCaption(k)), 8, top);
        makeEdit(sf::meshField(k), screens, {212, top, 49, EditHeight}, DataFontSize);
        makeEdit(sf::wireField(k), screens, {292, top, 57, EditHeight}, DataFontSize);
    }
    addLabel(screens, 19, labelOf(sf::Field::ScreenCount), 8, 224);
    makeEdit(sf::Field::ScreenCount, screens, {212, 224, 49, EditHeight}, DataFontSize);

    buildViscosityGroup(input);
}

void MainWindow::buildViscosityGroup(QWidget *input)
{
    QGroupBox *viscosity = addGroup(input, "GroupBox3", groupTitle(FieldGroup::Melt), {16, 348, 377, 117}, DataFontSize);
    for (const FormulaPiece &piece : ViscosityFormulas) {
        if (piece.label == 0) {
            makeEdit(piece.field, viscosity, piece.at, DataFontSize);
            continue;
        }
        const QString text = piece.text ? QString::fromUtf16(piece.text) : unitBelow(piece.field);
        QLabel *label = addLabel(viscosity, piece.label, text, piece.at.left(), piece.at.top(), piece.pixelSize);
        if (piece.endsBefore != 0) {
            const int blank = piece.spaced ? label->fontMetrics().horizontalAdvance(u' ') : 0;
            fitTextWidth(label, piece.endsBefore - blank - piece.at.left());
        }
    }
}

void MainWindow::buildRightSide(QWidget *panel)
{
    m_okButton = new GlyphButton(okGlyph(), tr("OK"), panel);
    m_okButton->setObjectName(QStringLiteral("BitBtn1"));
    m_okButton->setGeometry(440, 432, 101, 35);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &MainWindow::runCalculation);

    m_closeButton = new GlyphButton(drawCloseGlyph(), QStringLiteral("Close(&C)"), panel);
    m_closeButton->setObjectName(QStringLiteral("BitBtn2"));
    m_closeButton->setGeometry(568, 432, 101, 35);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    for (QPushButton *button : {m_okButton, m_closeButton}) {
        button->setFont(uiFont(ButtonFontSize));
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

    // The save-location browser. The directory the program was started in
    // is read here, once: the directory list starts on it and holds the save
    // directory from then on; the file list stays on it and is re-read
    // after each run.
    auto *directories = new sf::DirectoryList(*this, sf::startUpDirectory(), panel);
    m_directoryList = directories;
    directories->setObjectName(QStringLiteral("DirectoryListBox1"));
    directories->setGeometry(436, 212, 121, 137);
    auto *drives = new sf::VolumeSelector(panel);
    drives->setObjectName(QStringLiteral("DriveComboBox1"));
    drives->setGeometry(436, 184, 121, 18);
    drives->setDirectoryList(directories);
    m_fileList = new sf::FileList(directories->directory(), panel);
    m_fileList->setObjectName(QStringLiteral("FileListBox1"));
    m_fileList->setGeometry(568, 184, 113, 165);
    for (QWidget *w : std::initializer_list<QWidget *>{drives, m_fileList, directories})
        w->setFocusPolicy(Qt::ClickFocus);

    QGroupBox *saveGroup = addGroup(panel, "GroupBox4", qText(sf::inputField(sf::Field::SaveFileName).caption),
                                    {464, 364, 149, 49}, 12);
    setTextColour(saveGroup, Red);
    QLineEdit *saveName = makeEdit(sf::Field::SaveFileName, saveGroup, {24, 16, 101, 20}, 12);
    QPalette palette = saveName->palette();
    palette.setColor(QPalette::Text, Black);
    saveName->setPalette(palette);
    saveName->setFocusPolicy(Qt::ClickFocus);
}

void MainWindow::setTabChain()
{
    // Depth first through the groups; disabled fields and click-only
    // controls are skipped by Tab, so the cycle is Edit1..Edit29.
    QWidget *previous = m_edits[0];
    auto chain = [&previous](QWidget *next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (std::size_t i = 1; i <= sf::fieldIndex(LastDataField); ++i)
        chain(m_edits[i]);
    chain(m_okButton);
    chain(m_closeButton);
    chain(findChild<QComboBox *>(QStringLiteral("DriveComboBox1")));
    chain(m_fileList);
    chain(findChild<QListWidget *>(QStringLiteral("DirectoryListBox1")));
    chain(m_edits[sf::fieldIndex(sf::Field::SaveFileName)]);
}

void MainWindow::applyLocale(const QLocale &locale)
{
    m_calculator.setDecimalSeparator(separatorOf(locale));
    // The read-only fields cannot be retyped, so they must read with
    // whatever separator is in force, or no run could succeed in a comma
    // locale. Their values stay: the melt that a case or the melt dialog
    // brought, and with it the fit's range and the case's saved state.
    const sf::FieldTexts shown = m_case.changeSeparator(decimalSeparator(), fieldTexts());
    for (const sf::InputField &field : sf::InputFields)
        if (!field.editable)
            m_edits[sf::fieldIndex(field.id)]->setText(qText(shown[field.id]));
    if (sf::SideWindows *windows = m_sideModule.loaded(); windows && m_study)
        windows->fieldsChanged(m_study);
}

sf::FieldTexts MainWindow::fieldTexts() const
{
    sf::FieldTexts texts;
    for (const sf::InputField &field : sf::InputFields)
        texts[field.id] = m_edits[sf::fieldIndex(field.id)]->text().toStdString();
    return texts;
}

void MainWindow::showMessage(const std::string &text, const std::string &english)
{
    showMessageDialog(this, QString::fromStdString(text), QString::fromStdString(english));
}

void MainWindow::showError(const std::string &text)
{
    showErrorBox(this, QString::fromStdString(text));
}

void MainWindow::showError(const std::string &text, const std::string &english)
{
    showErrorBox(this, QString::fromStdString(text), QString::fromStdString(english));
}

void MainWindow::showFinished()
{
    // The report went into the save directory under the name the run took.
    m_lastReport = QDir(QFile::decodeName(sf::pathOf(m_directoryList->saveDirectory())))
                       .filePath(QString::fromStdString(m_calculator.ReportFileName().str()));
    Q_ASSERT(m_finishForm);
    if (m_finishForm)
        m_finishForm->showModal();
}

int MainWindow::saveDirectory() const
{
    return m_directoryList->saveDirectory().fd();
}

void MainWindow::refreshFileList()
{
    m_fileList->refresh();
}

void MainWindow::runCalculation()
{
    m_calculator.Calculate(*this);
}

bool MainWindow::FormKeyDown(QKeyEvent *event)
{
    QLineEdit *first = m_edits[0];
    QLineEdit *last = m_edits[sf::fieldIndex(LastDataField)];
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

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
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

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        applyLocale(QLocale::system());
    QWidget::changeEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    // Right clicks on the background, the group frames and every control
    // that has no menu of its own end here.
    m_commands->menu()->popup(event->globalPos());
    event->accept();
}

void MainWindow::showFieldMenu(QLineEdit *edit, const QPoint &pos)
{
    QMenu *menu = edit->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("FieldMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_commands->appendTo(menu);
    menu->popup(edit->mapToGlobal(pos));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // FormClose: nothing objects and nothing is saved; being the main window,
    // its closing ends the program. Only edits to an open case file are
    // asked about first.
    if (!maySetCaseAside()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    m_panel1->setGeometry(rect());
    QWidget::resizeEvent(event);
}

bool MainWindow::openCase(const QString &path)
{
    sf::CaseContent opened;
    try {
        opened = m_case.read(QFile::encodeName(path).toStdString());
    } catch (const std::exception &e) {
        showError(sf::errorBoxText(e.what()));
        return false;
    }
    // A field cuts a longer text short, and the next save would keep the
    // cut one.
    for (const sf::InputField &field : sf::InputFields) {
        const qsizetype length = QString::fromStdString(opened.texts[field.id]).size();
        if (const int room = m_edits[sf::fieldIndex(field.id)]->maxLength(); length > room) {
            showError(sf::errorBoxText(QFileInfo(path).fileName().toStdString() + ": " + sf::keyOfField(field.id) +
                                       " is " + std::to_string(length) + " characters long; the window's field holds " +
                                       std::to_string(room)));
            return false;
        }
    }
    for (const sf::InputField &field : sf::InputFields)
        m_edits[sf::fieldIndex(field.id)]->setText(QString::fromStdString(opened.texts[field.id]));
    m_case.opened(QFile::encodeName(path).toStdString(), opened, fieldTexts());
    // The fit range and the name may change with the same texts.
    if (sf::SideWindows *windows = m_sideModule.loaded())
        for (QWidget *window : {m_study.data(), m_life.data()})
            if (window) {
                windows->setCaseStudy(window, m_case.study().value_or(sf::CaseStudy{}));
                windows->fieldsChanged(window);
            }
    updateReportPathTip();
    updateTitle();
    return true;
}

bool MainWindow::saveCase(const QString &path)
{
    if (const int err = m_case.save(QFile::encodeName(path).toStdString(), fieldTexts()); err != 0) {
        // The window's words name few errors ("I/O エラー (6)"); the system's
        // says which.
        showError(sf::errorBoxText(QFileInfo(path).fileName().toStdString() + ": " + sf::ioErrorText(err)),
                  "The case could not be saved to " + QFileInfo(path).absoluteFilePath().toStdString() + ": " + std::strerror(err) + ".");
        return false;
    }
    updateTitle();
    return true;
}

bool MainWindow::hasUnsavedEdits() const
{
    return m_case.hasUnsavedEdits(fieldTexts());
}

bool MainWindow::maySetCaseAside()
{
    if (!hasUnsavedEdits())
        return true;
    QMessageBox box(QMessageBox::Warning, messageBoxCaption(),
                    QStringLiteral("The fields have changed since %1 was opened or saved. Save the changes?")
                        .arg(QFileInfo(casePath()).fileName()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("UnsavedChangesBox"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return saveCase(casePath());
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::openCaseDialog()
{
    if (!maySetCaseAside())
        return;
    const QString path = m_chooseFile(false, casePath());
    if (!path.isEmpty())
        openCase(path);
}

void MainWindow::saveCaseToFile()
{
    if (m_case.path().empty())
        saveCaseAs();
    else
        saveCase(casePath());
}

void MainWindow::saveCaseAs()
{
    const QString path = m_chooseFile(true, casePath());
    if (!path.isEmpty())
        saveCase(path);
}

sf::SideWindows *MainWindow::sideWindows(const QString &command)
{
    QString problem;
    sf::SideWindows *windows = m_sideModule.windows(problem);
    if (!windows)
        showError(QStringLiteral("%1 cannot open: the side windows' module %2 did not load.")
                      .arg(command, QLatin1String(sf::SideWindowsModule::fileName()))
                      .toStdString(),
                  problem.toStdString());
    return windows;
}

void MainWindow::showMeltDialog()
{
    sf::SideWindows *windows = sideWindows(QStringLiteral("Melt…"));
    if (!windows)
        return;
    if (!m_meltDialog)
        m_meltDialog = windows->createMeltDialog(
            [this](const sf::FieldTexts &melt, const std::optional<sf::MeltFitRange> &fit) { applyMelt(melt, fit); },
            this);
    if (!m_meltDialog->isVisible()) {
        windows->setMelt(m_meltDialog, fieldTexts(), decimalSeparator());
        sf::placeBeside(m_meltDialog, this);
    }
    m_meltDialog->show();
    m_meltDialog->raise();
    m_meltDialog->activateWindow();
}

void MainWindow::applyMelt(const sf::FieldTexts &melt, const std::optional<sf::MeltFitRange> &fit)
{
    const sf::FieldTexts shown = sf::swapSeparator(melt, decimalSeparator());
    for (sf::Field f : sf::MeltFields)
        m_edits[sf::fieldIndex(f)]->setText(qText(shown[f]));
    // A fit's range goes into the next save with its values; typed values
    // keep the range there was only while they are still its own.
    m_case.applyFit(fit, fieldTexts());
    // The range may change with the same texts.
    if (sf::SideWindows *windows = m_sideModule.loaded(); windows && m_study)
        windows->fieldsChanged(m_study);
}

void MainWindow::updateTitle()
{
    setWindowTitle(m_case.path().empty() ? WindowTitle
                                        : WindowTitle + QStringLiteral(" — ") + QFileInfo(casePath()).fileName());
}

void MainWindow::openReport(const QString &path)
{
    if (sf::isReportFile(path)) {
        showReport(path);
        return;
    }
    if (!m_openUrl(QUrl::fromLocalFile(path)))
        showError(sf::errorBoxText("No application is set to open " + QFileInfo(path).fileName().toStdString()));
}

void MainWindow::viewReport()
{
    if (const QListWidgetItem *chosen = m_fileList->currentItem(); chosen && chosen->isSelected()) {
        const QString path = QFile::decodeName(m_fileList->directory()) + QLatin1Char('/') + chosen->text();
        if (sf::isReportFile(path)) {
            showReport(path);
            return;
        }
    }
    if (m_lastReport.isEmpty()) {
        showMessage("No report yet: press OK to write one, or choose a report in the file list.", {});
        return;
    }
    showReport(m_lastReport);
}

void MainWindow::showReport(const QString &path)
{
    sf::SideWindows *windows = sideWindows(QStringLiteral("View report"));
    if (!windows)
        return;
    if (!m_reportViewer)
        m_reportViewer = windows->createReportViewer(this);
    QString error, english;
    if (!windows->openReport(m_reportViewer, path, error, english)) {
        showError(error.toStdString(), english.toStdString());
        return;
    }
    m_reportViewer->show();
    m_reportViewer->raise();
    m_reportViewer->activateWindow();
}

sf::StudyInputs MainWindow::studyInputs() const
{
    sf::StudyInputs in{fieldTexts(), decimalSeparator(), std::nullopt,
                       m_case.path().empty() ? QString() : QFileInfo(casePath()).completeBaseName(),
                       QFile::decodeName(m_directoryList->directory()), {}, {}};
    if (!m_case.path().empty())
        in.casePath = casePath();
    // A fit range holds while the melt is the one it was fitted for.
    if (const std::optional<sf::MeltFitRange> fit = m_case.keptFit(in.texts)) {
        in.range = sf::ValidityRange{fit->temperatureMin, fit->temperatureMax, fit->shearRateMin, fit->shearRateMax};
        in.meltFit = fit;
    }
    return in;
}

void MainWindow::showStudy()
{
    sf::SideWindows *windows = sideWindows(QStringLiteral("Study…"));
    if (!windows)
        return;
    if (!m_study) {
        m_study = windows->createStudyWindow(
            [this] { return studyInputs(); },
            [this, windows] { m_case.setStudy(windows->caseStudy(m_study)); }, this);
        for (QLineEdit *edit : m_edits)
            connect(edit, &QLineEdit::textChanged, m_study, [this, windows] { windows->fieldsChanged(m_study); });
        windows->setCaseStudy(m_study, m_case.study().value_or(sf::CaseStudy{}));
    }
    if (!m_study->isVisible()) {
        windows->updateStudyNow(m_study); // laid out with what it will show, then placed
        sf::placeBeside(m_study, this);
    }
    m_study->show();
    m_study->raise();
    m_study->activateWindow();
}

sf::LifeCaseInputs MainWindow::lifeInputs() const
{
    const sf::StudyInputs study = studyInputs();
    return {study.texts, study.separator, study.range, study.casePath, study.folder};
}

void MainWindow::showLife()
{
    sf::SideWindows *windows = sideWindows(QStringLiteral("Pack life…"));
    if (!windows)
        return;
    if (!m_life) {
        m_life = windows->createLifeWindow([this] { return lifeInputs(); }, this);
        for (QLineEdit *edit : m_edits)
            connect(edit, &QLineEdit::textChanged, m_life, [this, windows] { windows->fieldsChanged(m_life); });
        windows->setCaseStudy(m_life, m_case.study().value_or(sf::CaseStudy{}));
    }
    if (!m_life->isVisible())
        sf::placeBeside(m_life, this);
    m_life->show();
    m_life->raise();
    m_life->activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    if (!maySetCaseAside()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    openCase(path);
}

void MainWindow::updateReportPathTip()
{
    // The report is written relative to the directory chosen in the list.
    const std::string reportName = sf::reportFileNameOf(fieldTexts());
    const QString name = QString::fromStdString(reportName);
    QString tip = reportPathToolTip(QDir(QFile::decodeName(m_directoryList->directory())).filePath(name));
    // The window writes whatever name it is given; one that an opened case
    // brought and that points out of the case's folder at least shows,
    // ".." worked out, where it leads.
    if (!m_case.outsideReportName().empty() && reportName == m_case.outsideReportName())
        tip = reportPathToolTip(QFile::decodeName(QByteArray::fromStdString(
                  sf::placeInFolder(m_directoryList->directory().toStdString(), reportName)))) +
              QStringLiteral("\n(a name from the case that leaves the case's folder)");
    m_edits[sf::fieldIndex(sf::Field::SaveFileName)]->setToolTip(tip);
}

void MainWindow::showShortcuts()
{
    std::vector<ShortcutLine> lines;
    for (const QAction *action : m_commands->actions())
        if (!action->shortcut().isEmpty())
            lines.push_back({action->shortcut().toString(QKeySequence::NativeText),
                             action->text().remove(u'…').remove(u'&')});
    // The window's own keys, as FormKeyDown and eventFilter handle them.
    lines.push_back({QStringLiteral("Enter"), QStringLiteral("Calculate and write the report (OK); on a button, press it")});
    lines.push_back({QStringLiteral("Alt+C"), QStringLiteral("Close the window; C alone on a button")});
    lines.push_back({QStringLiteral("Tab, Shift+Tab"), QStringLiteral("Next, previous field of Input Data")});
    if (m_edits[0]->isEnabled() && m_edits[sf::fieldIndex(LastDataField)]->isEnabled())
        lines.push_back({QStringLiteral("Down, Up"), QStringLiteral("Next, previous field, round from the last to the first")});
    lines.push_back({QStringLiteral("Menu key"), QStringLiteral("The command menu, at the focused field; a right click shows it too")});
    if (!m_shortcuts)
        m_shortcuts = new ShortcutsWindow(this);
    m_shortcuts->setContents(lines, QLatin1Char(decimalSeparator()));
    m_shortcuts->show();
    m_shortcuts->raise();
    m_shortcuts->activateWindow();
}

void MainWindow::showAbout()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About ") + messageBoxCaption(),
                    WindowTitle + QStringLiteral("\nscreenfilter " SCREENFILTER_VERSION), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("AboutBox"));
    box.setTextFormat(Qt::PlainText);
    box.setIconPixmap(windowIcon().pixmap(64));
    box.exec();
}
