#pragma once

// The side windows (the melt dialog, the report viewer, the study and pack
// life windows) and the exports they write are a module of their own,
// libscreenfilter-windows.so, that the main window loads when one of them is
// first asked for: the main window starts without Qt Charts, Qt SVG, Qt
// Print Support and libxlsxwriter, and without the module it still runs
// cases, opens and saves them and writes reports. No class of the module
// crosses between the two: windows are QWidgets, inputs the case's types.

#include "SideWindowInputs.h"
#include "calc/FieldTexts.h"
#include "cases/CaseFile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace sf {

// What the main window asks of the module. A call that takes a window takes
// one that this module made, of the kind the call names.
class SideWindows {
public:
    // The melt dialog; `apply` takes an applied melt as the case file holds
    // it, with the fit's range when the values are the fit's own.
    using ApplyMelt = std::function<void(const FieldTexts &melt, const std::optional<MeltFitRange> &fit)>;
    virtual QWidget *createMeltDialog(ApplyMelt apply, QWidget *parent) = 0;
    // Shows the melt of `shown`, as the main window shows it with `separator`.
    virtual void setMelt(QWidget *meltDialog, const FieldTexts &shown, char separator) = 0;

    virtual QWidget *createReportViewer(QWidget *parent) = 0;
    // False, with the error box's `error` and its line in `english`, when the
    // report cannot be read.
    virtual bool openReport(QWidget *viewer, const QString &path, QString &error, QString &english) = 0;

    // The study window; `edited` is called when the user changes the study.
    virtual QWidget *createStudyWindow(std::function<StudyInputs()> source, std::function<void()> edited,
                                       QWidget *parent) = 0;
    // Computes the study at once, so that the window is laid out before it is placed.
    virtual void updateStudyNow(QWidget *studyWindow) = 0;
    virtual CaseStudy caseStudy(const QWidget *studyWindow) const = 0;

    virtual QWidget *createLifeWindow(std::function<LifeCaseInputs()> source, QWidget *parent) = 0;

    // For a study or pack life window: the main window's fields changed.
    virtual void fieldsChanged(QWidget *window) = 0;
    // For a study or pack life window: the opened case's study.
    virtual void setCaseStudy(QWidget *window, const CaseStudy &study) = 0;

protected:
    ~SideWindows() = default; // the module keeps its one instance
};

// The module, found and loaded on first use. It then stays loaded for the
// life of the process, as the windows made from it may.
class SideWindowsModule {
public:
    // The module the program already holds (tests and benchmarks link it),
    // else the one beside the executable (the build tree), else the one in
    // the package's private library folder (lib/<triplet>/screenfilter beside bin/).
    SideWindowsModule();
    // Only the file `path`: tests point this at a missing or broken module.
    explicit SideWindowsModule(QString path);

    // The module's windows; nullptr when it cannot be loaded, with `error`
    // naming each file tried and what was wrong with it.
    SideWindows *windows(QString &error);
    // The module's windows once loaded, else nullptr; never loads.
    SideWindows *loaded() const { return m_windows; }

    // The module's file name, and the function it is entered by.
    static const char *fileName();
    static const char *entryName();

private:
    QStringList m_files;          // empty: the usual places
    SideWindows *m_windows = nullptr;
};

} // namespace sf
