#include "run/CaseVerdict.h"

#include "run/StopReason.h"

#include <algorithm>
#include <optional>

namespace sf {

namespace {

// "FILE: KEY: sentence", with the window's words in brackets when the window
// would refuse the case too. Where those words name something else than the
// finding (a screen that does not read is "screen data not enough"), the
// line says how the window came to them.
std::string refusal(const std::string &file, const Finding &f, const PointResult &point, const StopReason *why)
{
    std::string line = file + ": " + f.key + ": " + f.sentence;
    if (why && point.step == RunStep::Reading && f == why->cause && !why->consequence.empty())
        line += "; " + why->consequence;
    if (!point.ok())
        line += " [" + point.message + "]";
    return line;
}

} // namespace

CaseVerdict caseVerdict(const std::string &file, const FieldTexts &texts, const CasePoint &c,
                        const CaseVerdictOptions &options)
{
    CaseVerdict verdict;
    const PointResult &point = c.point;
    const auto refuses = [&](const Finding &f) {
        return f.severity == Severity::Error || (options.strict && f.severity == Severity::Warning);
    };
    if (!options.noCheck && std::any_of(c.findings.begin(), c.findings.end(), refuses)) {
        const std::optional<StopReason> why =
            point.ok() ? std::nullopt : std::optional<StopReason>(stopReason(texts, '.', point));
        for (const Finding &f : c.findings)
            if (refuses(f))
                verdict.lines.push_back(refusal(file, f, point, why ? &*why : nullptr));
        verdict.refused = true;
        return verdict;
    }
    // The arithmetic stopped where no check of the inputs saw a reason.
    if (c.fault) {
        verdict.lines.push_back(refusal(file, *c.fault, point, nullptr));
        verdict.refused = true;
        return verdict;
    }
    for (const Finding &f : c.findings) {
        // Notes are normal for cases saved from the window (it keeps every
        // filled screen row): said only when asked for.
        const bool asWarning = f.severity != Severity::Note;
        if (asWarning || options.notes)
            verdict.lines.push_back(file + ": " + (asWarning ? "warning" : "note") + ": " + f.key + ": " + f.sentence);
    }
    return verdict;
}

} // namespace sf
