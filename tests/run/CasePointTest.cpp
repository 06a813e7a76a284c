// One evaluation of a case with its findings and, when nothing among them
// explains why it stopped, the fault.

#include "calc/InputFields.h"
#include "run/CasePoint.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sf {
namespace {

TEST(CasePoint, FindingsAndTheFaultNoFindingExplains)
{
    const struct {
        const char *name;
        std::vector<std::pair<Field, const char *>> texts; // changed in the worked example
        PointStatus status;
        bool read;
        const char *firstFinding; // its code, "" for none
        const char *faultKey;     // "" when no fault is given
        int overflowScreen;
    } rows[] = {
        {"worked example", {}, PointStatus::Ok, true, "", "", 0},
        {"unreadable flow rate", {{Field::FlowRate, "abc"}}, PointStatus::Failed, false, "unreadable", "", 0},
        {"count 0", {{Field::ScreenCount, "0"}}, PointStatus::Rejected, false, "bad-count", "", 0},
        {"wire in mm", {{wireField(1), "0.2946"}}, PointStatus::Failed, true, "no-opening", "", 0},
        {"shift beyond the range", {{Field::ShiftA, "1e6"}}, PointStatus::Failed, true, "", "melt.shift_a", 0},
        // A drop in gf/cm2 beyond the double range stops the run at screen 1.
        {"drop beyond the range", {{Field::StandardViscosity, "2e307"}}, PointStatus::Failed, true, "", "screens.1", 0},
        {"small open area", {{wireField(5), "0.045"}}, PointStatus::Ok, true, "small-open-area", "", 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FieldTexts texts = FieldTexts::defaults();
        for (const auto &[field, text] : row.texts)
            texts[field] = text;
        const CasePoint c = evaluateCase(texts, '.');
        EXPECT_EQ(c.point.status, row.status) << c.point.message;
        EXPECT_EQ(c.read, row.read);
        EXPECT_EQ(c.findings.empty() ? "" : c.findings.front().code, row.firstFinding);
        EXPECT_EQ(c.fault ? c.fault->key : "", row.faultKey);
        EXPECT_EQ(c.total.overflowScreen, row.overflowScreen);
        if (row.read) {
            EXPECT_EQ(c.computed.Density, 0.96); // the case as the run took it
        }
        if (c.point.ok()) {
            EXPECT_EQ(c.point.total, c.total.value);
        }
    }
    // The worked example's details and the total its report prints.
    const CasePoint example = evaluateCase(FieldTexts::defaults(), '.');
    EXPECT_NEAR(example.total.value, 363.32, 0.005);
    EXPECT_NEAR(example.point.screens[0].openArea, 0.425165608531, 1e-12);
}

} // namespace
} // namespace sf
