// The module's side of SideWindows: the side windows as the main window
// asks for them, entered by the one function the loader looks up.

#include "LifeWindow.h"
#include "MeltDialog.h"
#include "ReportViewer.h"
#include "SideWindows.h"
#include "StudyWindow.h"

namespace sf {

namespace {

template <typename Window>
Window *as(QWidget *window)
{
    auto *w = qobject_cast<Window *>(window);
    Q_ASSERT(w);
    return w;
}

class ModuleWindows final : public SideWindows {
public:
    QWidget *createMeltDialog(ApplyMelt apply, QWidget *parent) override
    {
        return new MeltDialog(std::move(apply), parent);
    }
    void setMelt(QWidget *meltDialog, const FieldTexts &shown, char separator) override
    {
        as<MeltDialog>(meltDialog)->setMelt(shown, separator);
    }

    QWidget *createReportViewer(QWidget *parent) override { return new ReportViewer(parent); }
    bool openReport(QWidget *viewer, const QString &path, QString &error, QString &english) override
    {
        return as<ReportViewer>(viewer)->openReport(path, error, english);
    }

    QWidget *createStudyWindow(std::function<StudyInputs()> source, std::function<void()> edited,
                               QWidget *parent) override
    {
        auto *study = new StudyWindow(std::move(source), parent);
        QObject::connect(study, &StudyWindow::studyEdited, study, std::move(edited));
        return study;
    }
    void updateStudyNow(QWidget *studyWindow) override { as<StudyWindow>(studyWindow)->updateNow(); }
    CaseStudy caseStudy(const QWidget *studyWindow) const override
    {
        return qobject_cast<const StudyWindow *>(studyWindow)->caseStudy();
    }

    QWidget *createLifeWindow(std::function<LifeCaseInputs()> source, QWidget *parent) override
    {
        return new LifeWindow(std::move(source), parent);
    }

    void fieldsChanged(QWidget *window) override
    {
        if (auto *study = qobject_cast<StudyWindow *>(window))
            study->scheduleUpdate();
        else
            as<LifeWindow>(window)->caseChanged();
    }
    void setCaseStudy(QWidget *window, const CaseStudy &study) override
    {
        if (auto *studyWindow = qobject_cast<StudyWindow *>(window))
            studyWindow->setCaseStudy(study);
        else
            as<LifeWindow>(window)->setCaseStudy(study);
    }
};

} // namespace

} // namespace sf

// What SideWindowsModule looks up; the number changes with SideWindows.
extern "C" __attribute__((visibility("default"))) sf::SideWindows *screenfilter_side_windows_1()
{
    static sf::ModuleWindows windows;
    return &windows;
}
