#include "run/CasePoint.h"

#include <algorithm>

namespace sf {

CasePoint evaluateCase(const FieldTexts &texts, char separator, const std::optional<ValidityRange> &range)
{
    PointEvaluator evaluator(texts, separator, {}, true);
    CasePoint c;
    c.point = evaluator.evaluate({});
    c.computed = evaluator.lastCase();
    c.total = evaluator.lastTotal();
    c.read = c.point.ok() || c.point.step != RunStep::Reading;
    c.findings = diagnose(texts, separator, &c.point, range);
    if (!c.point.ok() && std::none_of(c.findings.begin(), c.findings.end(),
                                      [](const Finding &f) { return f.severity == Severity::Error; }))
        c.fault = faultFinding(c.point);
    return c;
}

} // namespace sf
