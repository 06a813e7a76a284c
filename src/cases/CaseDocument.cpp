#include "cases/CaseDocument.h"

#include "calc/ShortString.h"
#include "cases/CaseTexts.h"
#include "io/OutputPaths.h"

namespace sf {

CaseContent CaseDocument::read(const std::string &path) const
{
    return loadCase(path, m_separator);
}

void CaseDocument::opened(const std::string &path, const CaseContent &content, const FieldTexts &shown)
{
    m_path = path;
    m_caseTexts = shown;
    m_meltFit = m_caseMeltFit = content.meltFit;
    m_meltFitTexts = shown;
    m_study = m_caseStudy = content.study;
    // The name as a run takes it: cut to the report name's length.
    const std::string reportName = ShortString(content.texts[Field::SaveFileName]).str();
    m_outsideReportName = leavesFolder(reportName) ? reportName : std::string();
}

int CaseDocument::save(const std::string &path, const FieldTexts &shown)
{
    // Kept for the melt it came with until a save has done without it.
    const std::optional<MeltFitRange> meltFit = keptFit(shown);
    if (const int err = saveCase(path, shown, m_separator, meltFit, m_study); err != 0)
        return err;
    m_caseStudy = m_study;
    m_path = path;
    m_caseTexts = shown;
    m_meltFit = m_caseMeltFit = meltFit;
    m_meltFitTexts = shown;
    return 0;
}

bool CaseDocument::hasUnsavedEdits(const FieldTexts &shown) const
{
    if (m_path.empty())
        return false;
    // A fit applied with the values the file has still changes its range.
    return shown != m_caseTexts || keptFit(shown) != m_caseMeltFit || m_study != m_caseStudy;
}

void CaseDocument::setStudy(const CaseStudy &study)
{
    m_study = study;
    m_study->written.clear();
    m_study->problem.clear();
}

void CaseDocument::applyFit(const std::optional<MeltFitRange> &fit, const FieldTexts &shown)
{
    if (!fit)
        return;
    m_meltFit = fit;
    m_meltFitTexts = shown;
}

std::optional<MeltFitRange> CaseDocument::keptFit(const FieldTexts &shown) const
{
    return keptMeltFit(m_meltFit, m_meltFitTexts, shown);
}

FieldTexts CaseDocument::rewriteReadOnly(const FieldTexts &texts, char to) const
{
    const FieldTexts converted = swapSeparator(swapSeparator(texts, m_separator), to);
    FieldTexts out = texts;
    for (const InputField &f : InputFields)
        if (!f.editable)
            out[f.id] = converted[f.id];
    return out;
}

FieldTexts CaseDocument::changeSeparator(char separator, const FieldTexts &shown)
{
    const FieldTexts out = rewriteReadOnly(shown, separator);
    m_caseTexts = rewriteReadOnly(m_caseTexts, separator);
    m_meltFitTexts = rewriteReadOnly(m_meltFitTexts, separator);
    m_separator = separator;
    return out;
}

} // namespace sf
