#pragma once

#include "CaseFile.h"
#include "calc/FieldTexts.h"

#include <optional>
#include <string>

namespace sf {

// The case a window shows: which case file is open, what it holds and
// whether the fields differ from it. The view owns the texts it shows and
// hands them in; the document keeps what the file holds and what a save
// would write besides the texts (the melt's fit range). Texts are in the
// document's decimal separator, as the view shows them; files always hold
// ".". Whatever else a case keeps beside its fields joins the fit range
// here: read with it, saved with it, compared with it.
class CaseDocument {
public:
    explicit CaseDocument(char separator = '.') : m_separator(separator) {}

    // The case file last opened or saved, as the system names it; empty
    // before.
    const std::string &path() const { return m_path; }
    char separator() const { return m_separator; }

    // The case file at `path`, its texts in the document's separator, for
    // the view to check and show. Throws CaseFileError; the document stays
    // as it was.
    CaseContent read(const std::string &path) const;

    // The view now shows `shown`, the texts of `content` as read from
    // `path`: that file is the open case.
    void opened(const std::string &path, const CaseContent &content, const FieldTexts &shown);

    // Writes `shown`, and the fit range while it still holds for them, as
    // the case file at `path`, which becomes the open case. Returns 0 or the
    // errno; after a failure the document is as it was, the fit kept.
    int save(const std::string &path, const FieldTexts &shown);

    // A field, or the fit range or study a save would write, differs from the open
    // case file; never before one is open.
    bool hasUnsavedEdits(const FieldTexts &shown) const;

    // A melt fitted to measured points now shows as `shown`: its range goes
    // into the next save while the melt texts stay these. Without a fit
    // (values typed in the melt dialog) the range there was stays, as long
    // as the texts are still its own.
    void applyFit(const std::optional<MeltFitRange> &fit, const FieldTexts &shown);

    // The fit range a save of `shown` would write: the one read, saved or
    // applied, while the five melt texts are still those it came with.
    std::optional<MeltFitRange> keptFit(const FieldTexts &shown) const;

    // Takes `separator` for the texts. The read-only fields cannot be
    // retyped, so they must read with it: returns `shown` with theirs
    // rewritten, and rewrites them likewise in what the document keeps, so
    // that the case stays saved and the fit kept. Editable fields are left
    // as typed.
    FieldTexts changeSeparator(char separator, const FieldTexts &shown);

    // The study of the open case as a save would write it: as read or last
    // saved, or as set since; none when the case has no [study].
    const std::optional<CaseStudy> &study() const { return m_study; }

    // The study is now `study`, set in the view: a save writes its values,
    // no longer the section as the file had it.
    void setStudy(const CaseStudy &study);

    // The report name the open case brought when it is absolute or leaves
    // the case's folder; empty otherwise.
    const std::string &outsideReportName() const { return m_outsideReportName; }

private:
    FieldTexts rewriteReadOnly(const FieldTexts &texts, char to) const;

    char m_separator;
    std::string m_path;
    FieldTexts m_caseTexts;                     // as the case file holds them
    std::optional<MeltFitRange> m_caseMeltFit;  // likewise
    std::optional<MeltFitRange> m_meltFit;      // read, saved or applied
    std::optional<CaseStudy> m_caseStudy;       // as the case file holds it
    std::optional<CaseStudy> m_study;           // read, saved or set
    FieldTexts m_meltFitTexts;                  // the texts m_meltFit came with
    std::string m_outsideReportName;
};

} // namespace sf
