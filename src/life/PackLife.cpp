#include "life/PackLife.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sf {

namespace {

// The standard error of the law's limit time from the covariance of P0 and
// K, by the first-order (delta) method with central differences.
double limitTimeSigma(const LawFit &fit, double limit)
{
    const auto at = [&](double p0, double k) { return lawLimitTime(fit.law, p0, k, limit); };
    const double hp = 1e-6 * fit.p0;
    const double hk = 1e-6 * fit.k;
    const auto p0Up = at(fit.p0 + hp, fit.k), p0Down = at(fit.p0 - hp, fit.k);
    const auto kUp = at(fit.p0, fit.k + hk), kDown = at(fit.p0, fit.k - hk);
    if (!p0Up || !p0Down || !kUp || !kDown)
        return 0;
    const double dp = (*p0Up - *p0Down) / (2 * hp);
    const double dk = (*kUp - *kDown) / (2 * hk);
    const double variance = dp * dp * fit.varP0 + 2 * dp * dk * fit.covP0K + dk * dk * fit.varK;
    return variance > 0 ? std::sqrt(variance) : 0;
}

// A reading as a gauge shows it: six significant digits, so that a drop
// of 141.3 - 41.1 is 100.2 and not 100.19999999999999.
std::string readingText(double v)
{
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6);
    return std::string(text, r.ptr);
}

} // namespace

std::size_t lastScreenChange(const std::vector<double> &pressure)
{
    for (std::size_t i = pressure.size(); i-- > 1;)
        if (pressure[i] < (1 - ScreenChangeFall) * pressure[i - 1])
            return i;
    return 0;
}

PackLife packLife(const LifeReadings &readings, const LifeOptions &options,
                  const std::function<std::string(double)> &timeText)
{
    const std::vector<double> &time = readings.time;
    const std::vector<double> &pressure = readings.pressure;
    PackLife life;
    const std::size_t change = lastScreenChange(pressure);
    if (change > 0)
        life.changeAt = change;
    life.first = change;
    if (options.since) {
        std::size_t from = 0;
        while (from < time.size() && time[from] < *options.since)
            ++from;
        if (from >= life.first) {
            life.first = from;
            life.fromSince = true;
            life.changeAt.reset();
        }
    }
    life.count = time.size() - life.first;
    if (life.count < MinLifeReadings) {
        std::string where = life.fromSince ? "after --since " + timeText(*options.since)
                            : life.changeAt ? "after the screen change at " + timeText(time[change]) + " (line " +
                                                  std::to_string(readings.line[change]) + ")"
                                            : "in the log";
        throw LifeError(std::to_string(life.count) + " reading" + (life.count == 1 ? "" : "s") + " " + where +
                            ": a fit needs " + std::to_string(MinLifeReadings) + " at least",
                        true);
    }

    const std::size_t last = time.size() - 1;
    for (std::size_t i = life.first; i <= last; ++i)
        if (pressure[i] >= options.limit)
            throw LifeError("the limit " + options.limitText + " was passed at " + timeText(time[i]) + " (line " +
                                std::to_string(readings.line[i]) + ": " + readingText(pressure[i]) +
                                "): the screens are due now",
                            false);

    // Times from the first reading fitted.
    std::vector<double> t(time.begin() + static_cast<std::ptrdiff_t>(life.first), time.end());
    const std::vector<double> p(pressure.begin() + static_cast<std::ptrdiff_t>(life.first), pressure.end());
    const double origin = t.front();
    long double tMean = 0, pMean = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i] -= origin;
        tMean += t[i];
        pMean += p[i];
    }
    tMean /= t.size();
    pMean /= t.size();
    long double stp = 0;
    for (std::size_t i = 0; i < t.size(); ++i)
        stp += (t[i] - tMean) * (p[i] - pMean);
    if (!(stp > 0))
        throw LifeError("the pressure does not rise: no change time", false);

    std::optional<std::size_t> best;
    for (BlockingLaw law : BlockingLaws) {
        LawAnswer answer;
        answer.fit = fitBlockingLaw(law, t, p);
        if (answer.fit.fitted)
            if (const auto at = lawLimitTime(law, answer.fit.p0, answer.fit.k, options.limit))
                answer.limitAt = origin + *at;
        if (answer.fit.fitted && (!best || answer.fit.aicc < life.laws[*best].fit.aicc))
            best = life.laws.size();
        life.laws.push_back(std::move(answer));
    }
    if (!best) {
        std::string why = "no blocking law fits the readings:";
        for (const LawAnswer &answer : life.laws)
            why += std::string(" ") + std::string(blockingLawName(answer.fit.law)) + ": " + answer.fit.whyNot + ";";
        why.pop_back();
        throw LifeError(why, false);
    }
    life.best = *best;
    const LawAnswer &chosen = life.laws[life.best];
    if (!chosen.limitAt)
        throw LifeError("the " + std::string(blockingLawName(chosen.fit.law)) + " fit starts at " +
                            readingText(chosen.fit.p0) + ", at or above the limit " + options.limitText +
                            ": the screens are due now",
                        false);
    life.limitAt = *chosen.limitAt;
    life.remaining = life.limitAt - time[last];
    if (life.remaining <= 0)
        throw LifeError("the limit " + options.limitText + " was passed at " + timeText(life.limitAt) +
                            " by the " + std::string(blockingLawName(chosen.fit.law)) +
                            " fit, before the last reading: the screens are due now",
                        false);
    const double sigma = RangeSigmas * limitTimeSigma(chosen.fit, options.limit);
    life.remainingLow = std::max(0.0, life.remaining - sigma);
    life.remainingHigh = life.remaining + sigma;
    return life;
}

} // namespace sf
