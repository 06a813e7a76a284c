#pragma once

#include "browser/ErrorBox.h"
#include "calc/InputFields.h"
#include "calc/FieldTexts.h"
#include "cases/CaseDocument.h"
#include "cases/CaseFile.h"
#include "run/Calculator.h"
#include "run/RunHost.h"
#include "SideWindows.h"

#include <QFile>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QUrl;
class CompletionDialog;

namespace sf {
class DirectoryList;
class FileList;
}
namespace sf {
class BevelPanel;
class CommandMenu;
class DirectoryList;
class ShortcutsWindow;
}

// The main window: the input fields with their worked example, the OK and
// Close buttons, the picture, the save-location controls and the save file
// name. It is the host of every run of the Calculate command and shows the
// save-location browser's errors.
class MainWindow : public QWidget, public sf::RunHost, public sf::ErrorBox {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    // The completion dialog each successful run shows; created after the
    // main window, so it is handed in.
    void setFinishForm(CompletionDialog *finishForm) { m_finishForm = finishForm; }

    // Takes the decimal separator from the locale for the runs and rewrites
    // the read-only fields with it.
    void applyLocale(const QLocale &locale);
    char decimalSeparator() const { return m_calculator.decimalSeparator(); }

    // RunHost
    sf::FieldTexts fieldTexts() const override;
    void showMessage(const std::string &text, const std::string &english) override;
    // The default error box, for a run and for the save-location browser.
    void showError(const std::string &text, const std::string &english) override;
    void showError(const std::string &text) override;
    void showFinished() override;
    // The directory the directory list holds, where the user put it.
    int saveDirectory() const override;
    // Re-reads the start-up directory's files; the save directory stays
    // where the user put it.
    void refreshFileList() override;

    // Case files. Opening fills all 35 fields; saving writes what they
    // hold. Neither runs the calculation. Failures go to the error box.
    bool openCase(const QString &path);
    bool saveCase(const QString &path);
    // The case file last opened or saved; empty before.
    QString casePath() const { return QFile::decodeName(QByteArray::fromStdString(m_case.path())); }
    // A field, or the melt's fit range a save would write, differs from the
    // case file last opened or saved.
    bool hasUnsavedEdits() const;

    // Asks the user for a case file to open (save false) or to save to;
    // an empty answer means no. Tests replace the file dialog with this.
    using FileChooser = std::function<QString(bool save, const QString &current)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Opens a report with the desktop's application for it; false when
    // there is none. Tests replace the desktop service with this.
    using UrlOpener = std::function<bool(const QUrl &)>;
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    // Loads the side windows from the file `path` alone. Tests point it at
    // a missing or broken module.
    void setSideWindowsModule(const QString &path) { m_sideModule = sf::SideWindowsModule(path); }

public slots:
    void runCalculation();
    void openCaseDialog();   // Ctrl+O
    void saveCaseToFile();   // Ctrl+S: the open case's file, or asks
    void saveCaseAs();       // Ctrl+Shift+S
    // Ctrl+M: the melt dialog, which sets the read-only melt fields.
    void showMeltDialog();
    // Ctrl+R: the report chosen in the file list, or else the last one a
    // run wrote, in the report viewer.
    void viewReport();
    // Ctrl+T: the study window, which follows the fields as they change.
    void showStudy();
    // Ctrl+L: the pack life window, a pressure log's blocking laws and the
    // time the screens must be changed.
    void showLife();
    void showShortcuts();    // F1
    void showAbout();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Returns true when it consumed the key.
    bool FormKeyDown(QKeyEvent *event);
    void buildInputGroups(QWidget *panel);
    void buildRightSide(QWidget *panel);
    void buildViscosityGroup(QWidget *input);
    QLineEdit *makeEdit(sf::Field field, QWidget *parent, QRect geometry, int pixelSize);
    void applyMelt(const sf::FieldTexts &melt, const std::optional<sf::MeltFitRange> &fit);
    void updateTitle();
    void openReport(const QString &path);
    void showReport(const QString &path);
    void setTabChain();
    void buildCommands();
    void showFieldMenu(QLineEdit *edit, const QPoint &pos);
    void updateReportPathTip();
    sf::StudyInputs studyInputs() const;
    sf::LifeCaseInputs lifeInputs() const;
    // Asks whether to save edits that the open case file does not hold
    // yet; false when they would be lost (Cancel, or the save failed).
    bool maySetCaseAside();
    // The side windows' module, loaded on first use; nullptr, after the
    // error box, when it cannot be. `command` is the menu's name of what
    // was asked for.
    sf::SideWindows *sideWindows(const QString &command);

    sf::BevelPanel *m_panel1 = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    sf::DirectoryList *m_directoryList = nullptr;
    sf::FileList *m_fileList = nullptr;
    sf::CommandMenu *m_commands = nullptr;
    QPointer<sf::ShortcutsWindow> m_shortcuts;
    // The side windows, made by the module.
    QPointer<QWidget> m_reportViewer;
    QPointer<QWidget> m_study;
    QPointer<QWidget> m_life;
    QPointer<QWidget> m_meltDialog;
    sf::SideWindowsModule m_sideModule;
    QString m_lastReport; // the report the last successful run wrote
    std::array<QLineEdit *, sf::FieldCount> m_edits{};
    CompletionDialog *m_finishForm = nullptr;
    sf::Calculator m_calculator;
    // The open case file and what it holds; the fields are its view.
    sf::CaseDocument m_case;
    FileChooser m_chooseFile;
    UrlOpener m_openUrl;
};
