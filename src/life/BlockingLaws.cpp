#include "life/BlockingLaws.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace sf {

namespace {

// Each law as P = P0 g(K t): g and its derivative at x = K t, or false past
// the blocking time where g has no value.
bool shape(BlockingLaw law, double x, double &g, double &dg)
{
    switch (law) {
    case BlockingLaw::Complete: {
        const double u = 1 - x;
        if (!(u > 0))
            return false;
        g = 1 / u;
        dg = g * g;
        return true;
    }
    case BlockingLaw::Standard: {
        const double u = 1 - x / 2;
        if (!(u > 0))
            return false;
        g = 1 / (u * u);
        dg = g / u;
        return true;
    }
    case BlockingLaw::Intermediate:
        g = dg = std::exp(x);
        return std::isfinite(g);
    case BlockingLaw::Cake:
        g = 1 + x;
        dg = 1;
        return g > 0;
    }
    return false;
}

// The law's linear form y(P) = a + b t, and P0 and K from a and b.
double linearY(BlockingLaw law, double p)
{
    switch (law) {
    case BlockingLaw::Complete:
        return 1 / p;
    case BlockingLaw::Standard:
        return 1 / std::sqrt(p);
    case BlockingLaw::Intermediate:
        return std::log(p);
    case BlockingLaw::Cake:
        return p;
    }
    return p;
}

bool fromLinear(BlockingLaw law, double a, double b, double &p0, double &k)
{
    switch (law) {
    case BlockingLaw::Complete:
        p0 = 1 / a;
        k = -b / a;
        return a > 0;
    case BlockingLaw::Standard:
        p0 = 1 / (a * a);
        k = -2 * b / a;
        return a > 0;
    case BlockingLaw::Intermediate:
        p0 = std::exp(a);
        k = b;
        return std::isfinite(p0) && p0 > 0;
    case BlockingLaw::Cake:
        p0 = a;
        k = b / a;
        return a > 0;
    }
    return false;
}

// The sum of squared relative residuals at (P0, K), with the normal
// equations of its Gauss-Newton step in the scaled parameters (P0 / s, K T);
// infinite where the law has the pack blocked before a reading.
struct Normal {
    double rss = std::numeric_limits<double>::infinity();
    Eigen::Matrix2d jtj = Eigen::Matrix2d::Zero();
    Eigen::Vector2d jtr = Eigen::Vector2d::Zero();
};

Normal normalEquations(BlockingLaw law, const std::vector<double> &t, const std::vector<double> &p, double p0,
                       double k, double pScale, double tScale, bool withJacobian)
{
    Normal out;
    // Double sums: a million terms of like sign lose some 1e-10 of the
    // sum, far below what decides a step, and extended ones would be slow.
    double rss = 0, a00 = 0, a01 = 0, a11 = 0, r0 = 0, r1 = 0;
    const double tInv = 1 / tScale;
    for (std::size_t i = 0; i < t.size(); ++i) {
        double g = 0, dg = 0;
        if (!shape(law, k * t[i], g, dg))
            return out;
        const double inv = 1 / p[i];
        const double r = p0 * g * inv - 1;
        rss += r * r;
        if (withJacobian) {
            const double j0 = g * inv * pScale;
            const double j1 = p0 * dg * (t[i] * tInv) * inv;
            a00 += j0 * j0;
            a01 += j0 * j1;
            a11 += j1 * j1;
            r0 += j0 * r;
            r1 += j1 * r;
        }
    }
    out.rss = rss;
    out.jtj << a00, a01, a01, a11;
    out.jtr << r0, r1;
    return out;
}

} // namespace

std::string_view blockingLawKey(BlockingLaw law)
{
    switch (law) {
    case BlockingLaw::Complete:
        return "complete";
    case BlockingLaw::Standard:
        return "standard";
    case BlockingLaw::Intermediate:
        return "intermediate";
    case BlockingLaw::Cake:
        return "cake";
    }
    return "";
}

std::string_view blockingLawName(BlockingLaw law)
{
    switch (law) {
    case BlockingLaw::Complete:
        return "complete blocking";
    case BlockingLaw::Standard:
        return "standard blocking";
    case BlockingLaw::Intermediate:
        return "intermediate blocking";
    case BlockingLaw::Cake:
        return "cake filtration";
    }
    return "";
}

std::string_view blockingLawEquation(BlockingLaw law)
{
    switch (law) {
    case BlockingLaw::Complete:
        return "P0/P = 1 - K t";
    case BlockingLaw::Standard:
        return "(P0/P)^(1/2) = 1 - (K/2) t";
    case BlockingLaw::Intermediate:
        return "ln(P/P0) = K t";
    case BlockingLaw::Cake:
        return "P/P0 = 1 + K t";
    }
    return "";
}

std::optional<double> lawPressure(BlockingLaw law, double p0, double k, double t)
{
    double g = 0, dg = 0;
    if (!shape(law, k * t, g, dg))
        return std::nullopt;
    return p0 * g;
}

std::optional<double> lawLimitTime(BlockingLaw law, double p0, double k, double limit)
{
    if (!(k > 0) || !(p0 > 0) || !(limit > p0))
        return std::nullopt;
    const double ratio = p0 / limit; // in (0, 1)
    double t = 0;
    switch (law) {
    case BlockingLaw::Complete:
        t = (1 - ratio) / k;
        break;
    case BlockingLaw::Standard:
        t = 2 * (1 - std::sqrt(ratio)) / k;
        break;
    case BlockingLaw::Intermediate:
        t = std::log(limit / p0) / k;
        break;
    case BlockingLaw::Cake:
        t = (limit / p0 - 1) / k;
        break;
    }
    if (!std::isfinite(t))
        return std::nullopt;
    return t;
}

LawFit fitBlockingLaw(BlockingLaw law, const std::vector<double> &t, const std::vector<double> &p)
{
    LawFit fit;
    fit.law = law;
    const std::size_t n = t.size();
    if (n < 3) {
        fit.whyNot = "fewer than 3 readings";
        return fit;
    }

    // Ordinary least squares of the linear form, about the means.
    long double tMean = 0, yMean = 0;
    for (std::size_t i = 0; i < n; ++i) {
        tMean += t[i];
        yMean += linearY(law, p[i]);
    }
    tMean /= n;
    yMean /= n;
    long double stt = 0, sty = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const long double dt = t[i] - tMean;
        stt += dt * dt;
        sty += dt * (linearY(law, p[i]) - yMean);
    }
    if (!(stt > 0)) {
        fit.whyNot = "the readings span no time";
        return fit;
    }
    const double b = static_cast<double>(sty / stt);
    const double a = static_cast<double>(yMean - b * tMean);
    double p0 = 0, k = 0;
    if (!fromLinear(law, a, b, p0, k)) {
        fit.whyNot = "its linear form gives no P0 above zero";
        return fit;
    }

    // Levenberg-Marquardt on the relative residuals, in parameters scaled
    // to about 1 so that the damping treats both alike.
    const double tScale = t.back() > 0 ? t.back() : 1;
    const double pScale = p0;
    double lambda = 1e-3;
    Normal at = normalEquations(law, t, p, p0, k, pScale, tScale, true);
    if (!std::isfinite(at.rss)) {
        // The linear form's K has the pack blocked before the last reading:
        // start from just short of that.
        const double kMax = (law == BlockingLaw::Complete ? 1.0 : 2.0) / tScale;
        k = std::min(k, 0.9 * kMax);
        at = normalEquations(law, t, p, p0, k, pScale, tScale, true);
        if (!std::isfinite(at.rss)) {
            fit.whyNot = "its linear form blocks the pack before the last reading";
            return fit;
        }
    }
    bool converged = false;
    for (int iteration = 0; iteration < 200 && !converged; ++iteration) {
        Eigen::Matrix2d damped = at.jtj;
        damped.diagonal() *= 1 + lambda;
        const Eigen::Vector2d step = damped.ldlt().solve(-at.jtr);
        if (!step.allFinite()) {
            break;
        }
        // A step that moves P0 and K by less than 1e-10 of themselves is
        // at the minimum, as far as sums of a million terms can tell.
        if (std::abs(step(0)) < 1e-10 * std::abs(p0 / pScale) &&
            std::abs(step(1)) < 1e-10 * std::abs(k * tScale) + 1e-14) {
            converged = true;
            break;
        }
        const double p0New = p0 + step(0) * pScale;
        const double kNew = k + step(1) / tScale;
        const Normal trial = p0New > 0 ? normalEquations(law, t, p, p0New, kNew, pScale, tScale, true) : Normal{};
        if (trial.rss <= at.rss) {
            const bool flat = at.rss - trial.rss <= 1e-14 * at.rss;
            p0 = p0New;
            k = kNew;
            at = trial;
            lambda = std::max(lambda / 10, 1e-12);
            converged = flat;
        } else {
            lambda *= 10;
            converged = lambda > 1e12; // no step downhill: a minimum
        }
    }
    if (!converged) {
        fit.whyNot = "its refinement on the pressures does not converge";
        return fit;
    }
    if (!(k > 0)) {
        fit.whyNot = "its pressure does not rise (K = " + std::to_string(k) + ")";
        return fit;
    }

    fit.fitted = true;
    fit.p0 = p0;
    fit.k = k;
    const double rss = at.rss;
    fit.rmsPercent = 100 * std::sqrt(rss / n);
    // Three parameters: P0, K and the residuals' spread.
    constexpr double Parameters = 3;
    const double floorRss = std::max(rss, n * 1e-300);
    fit.aicc = n * std::log(floorRss / n) + 2 * Parameters +
               (n > Parameters + 1 ? 2 * Parameters * (Parameters + 1) / (n - Parameters - 1) : 0);
    // Covariance s^2 (J^T J)^-1, back from the scaled parameters.
    const double s2 = n > 2 ? rss / (n - 2) : 0;
    const Eigen::Matrix2d cov = at.jtj.inverse() * s2;
    if (cov.allFinite()) {
        fit.varP0 = cov(0, 0) * pScale * pScale;
        fit.varK = cov(1, 1) / (tScale * tScale);
        fit.covP0K = cov(0, 1) * pScale / tScale;
    }
    return fit;
}

} // namespace sf
