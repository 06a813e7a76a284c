#pragma once

// The printed page of a case for the line log, as both front ends give it:
// a heading, the process inputs, the melt with its fit, the per-screen
// table and total in a chosen pressure unit, the diagnoses and the study's
// chart. Computed here without Qt, on any thread; drawn by plot/drawPage.

#include "cases/CaseFile.h"
#include "io/PressureUnit.h"
#include "plot/Page.h"
#include "run/Study.h"

#include <optional>
#include <string>

namespace sf {

struct CasePageRequest {
    std::string name;     // the case as the user knows it: "line-3"
    std::string path;     // its file, as the heading shows it
    CaseContent content;  // texts read with `separator`, the melt's fit, the study
    char separator = '.'; // of the texts, and of the numbers printed
    PressureUnit unit = PressureUnits[0];
    std::string dateTime; // "2026-12-07 14:05"
    std::string program;  // "screenfilter 1.0.0"
};

struct CasePage {
    PageSpec page;
    // What the window would say when the case did not compute; no page is
    // to be printed then.
    std::string problem;
    bool ok() const { return problem.empty(); }
};

// The page of the case. The chart has the study's temperatures and flow
// rates, and its limit (on the total or a screen) when it has one; a study whose values
// cannot be taken (study.problem, a limit that does not read) is refused.
CasePage casePage(const CasePageRequest &request);

// The page of a study computed already (the study window's): `request`
// gives the heading, the texts and the melt's fit, its study is not read;
// `limit` is the one `study` was computed with. Empty for a study whose
// point did not compute.
PageSpec studyPage(const CasePageRequest &request, const Study &study, const std::optional<PressureLimit> &limit);

// The study's chart in `unit` (shown as `unitShown`): total against flow
// rate at each temperature, the case marked on its own curve, and with a
// limit on the total its line and each curve's crossing of it.
PlotSpec studyChartSpec(const Study &study, const std::optional<PressureLimit> &limit, const PressureUnit &unit,
                        const std::string &unitShown);

// "kgf/cm²" for kgf/cm2, other units as named.
std::string shownUnitName(const PressureUnit &unit);

// The limit as the chart draws it: its own value in its own unit, otherwise
// converted to `unit`.
double limitIn(const PressureLimit &limit, const PressureUnit &unit);

} // namespace sf
