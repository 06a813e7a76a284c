#include "run/Solve.h"

#include "calc/InputFields.h"
#include "calc/NumberReaders.h"
#include "run/Diagnoses.h"
#include "run/Sweep.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

namespace sf {

namespace {

// The coarse sample: this many intervals, both ends included, plus the
// case's own value. Enough to see a pressure that turns back within a range
// of a few decades, few enough to stay a small part of a solve.
constexpr int SampleIntervals = 32;

// Doubles as unsigned integers in the same order: positives above negatives,
// adjacent doubles adjacent integers. Halving the integer interval halves
// what is left to search, so 64 steps reach two adjacent doubles from any
// pair.
std::uint64_t orderedBits(double v)
{
    const auto u = std::bit_cast<std::uint64_t>(v);
    return (u >> 63) != 0 ? ~u : u | (std::uint64_t{1} << 63);
}

double fromOrderedBits(std::uint64_t k)
{
    return std::bit_cast<double>((k >> 63) != 0 ? k & ~(std::uint64_t{1} << 63) : ~k);
}

std::string unitSuffix(Field key)
{
    const std::string_view unit = inputField(key).unit;
    return unit.empty() || unit == "-" ? std::string() : " " + std::string(unit);
}

// A pressure in a sentence: six significant digits and the limit's unit.
std::string pressureText(double kgfCm2, const PressureLimit &limit)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.6g %s", kgfCm2 * limit.unit.perKgfCm2, std::string(limit.unit.name).c_str());
    return buf;
}

class Search {
public:
    Search(const FieldTexts &texts, char separator, Field key, const PressureLimit &limit, SolveRange range)
        : m_texts(texts), m_separator(separator), m_key(key), m_limit(limit), m_range(range),
          m_evaluator(texts, separator, {key}, false)
    {
    }

    SolveAnswer run();

private:
    // The limited pressure at `v`, or nullopt after making the answer a fault.
    std::optional<double> measure(double v);
    // Compared in the limit's own unit, so that the pressure an answer
    // quotes in that unit never reads above the limit it meets.
    bool met(double m) const { return m * m_limit.unit.perKgfCm2 <= m_limit.value; }

    std::string valueText(double v) const { return shortest(v) + unitSuffix(m_key); }
    std::string rangeText() const
    {
        return "from " + shortest(m_range.from) + " to " + valueText(m_range.to);
    }
    std::string pressureName() const
    {
        return m_limit.screen == 0 ? "the total" : "screen " + std::to_string(m_limit.screen) + "'s drop";
    }
    SolveAnswer &refuse(SolveOutcome outcome, std::string why)
    {
        m_answer.outcome = outcome;
        m_answer.message = keyOfField(m_key) + ": " + std::move(why);
        return m_answer;
    }
    bool checkKeyAndRange();

    const FieldTexts &m_texts;
    char m_separator;
    Field m_key;
    PressureLimit m_limit;
    SolveRange m_range;
    PointEvaluator m_evaluator;
    SolveAnswer m_answer;
};

std::optional<double> Search::measure(double v)
{
    ++m_answer.evaluations;
    const double value[] = {v};
    const PointResult &point = m_evaluator.evaluate(value);
    std::string why;
    if (!point.ok()) {
        // What is physically wrong there says more than the arithmetic's words.
        FieldTexts at = m_texts;
        at[m_key] = valueFieldText(v, m_separator);
        const std::vector<Finding> findings = diagnose(at, m_separator, &point);
        const auto error = std::find_if(findings.begin(), findings.end(),
                                        [](const Finding &f) { return f.severity == Severity::Error; });
        const Finding f = error != findings.end() ? *error : faultFinding(point);
        why = "the case does not compute: " + f.key + ": " + f.sentence + " [" + point.message + "]";
    } else {
        const double m = m_limit.screen == 0 ? point.total
                                             : point.screens[static_cast<std::size_t>(m_limit.screen - 1)].pressureDrop;
        if (std::isfinite(m))
            return m;
        why = pressureName() + " is not a finite number";
    }
    refuse(SolveOutcome::Fault, "at " + valueText(v) + " (searching " + rangeText() + ") " + why);
    m_answer.lo = m_answer.hi = v;
    m_answer.atLo = point;
    return std::nullopt;
}

bool Search::checkKeyAndRange()
{
    if (const std::optional<std::string> why = solveRefusal(m_key)) {
        m_answer.outcome = SolveOutcome::Refused;
        m_answer.message = *why;
        return false;
    }
    if (!std::isfinite(m_range.from) || !std::isfinite(m_range.to) || !(m_range.from < m_range.to)) {
        refuse(SolveOutcome::Refused, "the range " + rangeText() + " holds no values; give a finite FROM below TO");
        return false;
    }
    if (solvesPositiveOnly(m_key) && !(m_range.from > 0)) {
        refuse(SolveOutcome::Refused, "only values above zero make sense; the range " + rangeText() + " goes below");
        return false;
    }
    // A screen past those in use changes nothing; a drop past them is none.
    const int screen = inputField(m_key).screen;
    if (screen != 0 || m_limit.screen != 0) {
        const double value[] = {m_range.from};
        const int inUse = m_evaluator.screensInUse(value);
        if (inUse > 0 && screen > inUse) {
            refuse(SolveOutcome::Refused, "screen " + std::to_string(screen) + " is beyond the " +
                                              std::to_string(inUse) + " screen(s) in use (pack.count)");
            return false;
        }
        if (inUse > 0 && m_limit.screen > inUse) {
            refuse(SolveOutcome::Refused, "the limit is on screen " + std::to_string(m_limit.screen) + ", beyond the " +
                                              std::to_string(inUse) + " screen(s) in use (pack.count)");
            return false;
        }
    }
    return true;
}

SolveAnswer Search::run()
{
    if (!checkKeyAndRange())
        return m_answer;

    // The sample: evenly spaced in value, or for positive-only keys in the
    // ordered bits (nearly logarithmic, so a range of decades is sampled in
    // each), and the case's own value where the range holds it.
    const bool logarithmic = solvesPositiveOnly(m_key);
    const std::uint64_t first = orderedBits(m_range.from), last = orderedBits(m_range.to);
    std::vector<double> values;
    for (int i = 0; i <= SampleIntervals; ++i) {
        double v;
        if (i == 0 || i == SampleIntervals) {
            v = i == 0 ? m_range.from : m_range.to;
        } else if (logarithmic) {
            v = fromOrderedBits(first + (last - first) / SampleIntervals * static_cast<std::uint64_t>(i));
        } else {
            const double t = static_cast<double>(i) / SampleIntervals;
            v = m_range.from * (1 - t) + m_range.to * t; // never overflows, unlike from + (to - from) * t
        }
        values.push_back(v);
    }
    if (const std::optional<double> own = caseValueOf(m_texts, m_separator, m_key);
        own && *own > m_range.from && *own < m_range.to)
        values.push_back(*own);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());

    std::vector<double> measures;
    for (double v : values) {
        const std::optional<double> m = measure(v);
        if (!m)
            return m_answer;
        measures.push_back(*m);
    }

    const double mFirst = measures.front(), mLast = measures.back();
    if (mFirst == mLast) {
        const auto far = std::max_element(measures.begin(), measures.end(), [&](double a, double b) {
            return std::fabs(a - mFirst) < std::fabs(b - mFirst);
        });
        if (*far == mFirst)
            return refuse(SolveOutcome::NotMonotone, pressureName() + " does not change " + rangeText() + " (" +
                                                         pressureText(mFirst, m_limit) + " throughout)");
        return refuse(SolveOutcome::NotMonotone,
                      pressureName() + " is not monotone in the key " + rangeText() + ": " +
                          pressureText(mFirst, m_limit) + " at both ends, " + pressureText(*far, m_limit) + " at " +
                          valueText(values[static_cast<std::size_t>(far - measures.begin())]));
    }
    const bool rises = mLast > mFirst;
    m_answer.rises = rises;
    for (std::size_t i = 0; i + 1 < measures.size(); ++i)
        if (rises ? measures[i + 1] < measures[i] : measures[i + 1] > measures[i])
            return refuse(SolveOutcome::NotMonotone,
                          pressureName() + std::string(rises ? " rises" : " falls") + " over the range " +
                              rangeText() + " but turns back: " + pressureText(measures[i], m_limit) + " at " +
                              valueText(values[i]) + ", " + pressureText(measures[i + 1], m_limit) + " at " +
                              valueText(values[i + 1]));

    // The bracket: the one pair of neighbours the limit tells apart.
    std::size_t at = 0;
    while (at + 1 < measures.size() && met(measures[at]) == met(measures[at + 1]))
        ++at;
    if (at + 1 == measures.size()) {
        const auto [lowest, highest] = std::minmax_element(measures.begin(), measures.end());
        if (met(mFirst))
            return refuse(SolveOutcome::NotReached,
                          pressureName() + " stays below the limit of " + pressureText(m_limit.kgfCm2(), m_limit) +
                              " " + rangeText() + " (at most " + pressureText(*highest, m_limit) + ", at " +
                              valueText(values[static_cast<std::size_t>(highest - measures.begin())]) + ")");
        return refuse(SolveOutcome::NotReached,
                      pressureName() + " is above the limit of " + pressureText(m_limit.kgfCm2(), m_limit) + " all " +
                          rangeText() + " (at least " + pressureText(*lowest, m_limit) + ", at " +
                          valueText(values[static_cast<std::size_t>(lowest - measures.begin())]) + ")");
    }

    std::uint64_t lo = orderedBits(values[at]), hi = orderedBits(values[at + 1]);
    double mLo = measures[at], mHi = measures[at + 1];
    while (hi - lo > 1) {
        const std::uint64_t mid = lo + (hi - lo) / 2;
        const std::optional<double> m = measure(fromOrderedBits(mid));
        if (!m)
            return m_answer;
        if (rises ? (*m < mLo || *m > mHi) : (*m > mLo || *m < mHi))
            return refuse(SolveOutcome::NotMonotone,
                          pressureName() + " is not monotone in the key " + rangeText() + ": " +
                              pressureText(mLo, m_limit) + " at " + valueText(fromOrderedBits(lo)) + ", " +
                              pressureText(*m, m_limit) + " at " + valueText(fromOrderedBits(mid)) + ", " +
                              pressureText(mHi, m_limit) + " at " + valueText(fromOrderedBits(hi)));
        if (met(*m) == met(mLo)) {
            lo = mid;
            mLo = *m;
        } else {
            hi = mid;
            mHi = *m;
        }
    }

    m_answer.outcome = SolveOutcome::Found;
    m_answer.lo = fromOrderedBits(lo);
    m_answer.hi = fromOrderedBits(hi);
    m_answer.measureLo = mLo;
    m_answer.measureHi = mHi;
    // The two points again, with each screen's details for the diagnoses.
    PointEvaluator detailed(m_texts, m_separator, {m_key}, true);
    const double loValue[] = {m_answer.lo}, hiValue[] = {m_answer.hi};
    m_answer.atLo = detailed.evaluate(loValue);
    m_answer.atHi = detailed.evaluate(hiValue);
    m_answer.evaluations += 2;
    return m_answer;
}

} // namespace

std::optional<std::string> solveRefusal(Field key)
{
    switch (inputField(key).kind) {
    case FieldKind::ScreenCount:
        return "pack.count: the number of screens is a whole number, not a value to solve for; run or sweep each count";
    case FieldKind::SaveFileName:
        return "report.file: a file name, not a number";
    default:
        break;
    }
    if (key == Field::PowerLawFactor)
        return "melt.power_law_factor: the total need not be monotone in the power law factor, so a limit found "
               "for it need not be the only one; sweep it instead";
    return std::nullopt;
}

bool solvesPositiveOnly(Field key)
{
    switch (key) {
    case Field::Temperature:
    case Field::ShiftA:
    case Field::ShiftB:
        return false;
    default:
        return true;
    }
}

std::optional<double> caseValueOf(const FieldTexts &texts, char separator, Field key)
{
    try {
        const double v = readDecimal(texts[key], separator);
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

SolveRange defaultSolveRange(Field key, double current)
{
    if (solvesPositiveOnly(key) && !(current > 0 && std::isfinite(current)))
        current = readDecimal(inputField(key).defaultText, '.');
    // Within the doubles, so that a case value near either end of them still
    // gets a range that holds values.
    static constexpr double Largest = std::numeric_limits<double>::max();
    const auto times = [current](double factor) {
        return SolveRange{std::max(current / factor, std::numeric_limits<double>::denorm_min()),
                          std::min(current * factor, Largest)};
    };
    const auto around = [current](double by) {
        return SolveRange{std::max(current - by, -Largest), std::min(current + by, Largest)};
    };
    switch (key) {
    case Field::FlowRate:
    case Field::StandardViscosity:
    case Field::StandardShearRate:
        return times(100);
    case Field::Density:
    case Field::ScreenDiameter:
        return times(10);
    case Field::Temperature:
        return around(200);
    case Field::ShiftA:
        return around(current == 0 ? 1000 : std::fabs(current) / 4);
    case Field::ShiftB:
        return around(5);
    default:
        return times(2); // mesh and wire
    }
}

SolveAnswer solveLimit(const FieldTexts &texts, char separator, Field key, const PressureLimit &limit,
                       SolveRange range)
{
    return Search(texts, separator, key, limit, range).run();
}

const char *solveOutcomeName(SolveOutcome outcome)
{
    switch (outcome) {
    case SolveOutcome::Found:
        return "found";
    case SolveOutcome::NotReached:
        return "not-reached";
    case SolveOutcome::NotMonotone:
        return "not-monotone";
    case SolveOutcome::Fault:
        return "fault";
    case SolveOutcome::Refused:
        break;
    }
    return "refused";
}

} // namespace sf
