#pragma once

// The four blocking laws of a filter at constant flow rate, for the drop P
// across the pack at time t after the fit's first reading, with P0 the drop
// there:
//   complete      P0/P = 1 - K t
//   standard      (P0/P)^(1/2) = 1 - (K/2) t
//   intermediate  ln(P/P0) = K t
//   cake          P/P0 = 1 + K t
// Each is fitted for P0 and K by least squares in its linear form, then
// refined on the pressures themselves: relative residuals (fitted /
// measured - 1), as a pressure gauge's error grows with its reading.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

enum class BlockingLaw { Complete, Standard, Intermediate, Cake };

inline constexpr std::array<BlockingLaw, 4> BlockingLaws = {BlockingLaw::Complete, BlockingLaw::Standard,
                                                           BlockingLaw::Intermediate, BlockingLaw::Cake};

// "complete", "standard", "intermediate", "cake": the JSON's words.
std::string_view blockingLawKey(BlockingLaw law);
// "complete blocking", ..., "cake filtration".
std::string_view blockingLawName(BlockingLaw law);
// "P0/P = 1 - K t", as the text answer writes it.
std::string_view blockingLawEquation(BlockingLaw law);

// The law's drop at time t, or nullopt past the time where the law has the
// pack blocked (complete: t >= 1/K, standard: t >= 2/K).
std::optional<double> lawPressure(BlockingLaw law, double p0, double k, double t);

// The time after t = 0 at which the law's drop reaches `limit`, or nullopt
// when it never does (K <= 0, or limit <= P0).
std::optional<double> lawLimitTime(BlockingLaw law, double p0, double k, double limit);

struct LawFit {
    BlockingLaw law = BlockingLaw::Cake;
    bool fitted = false;
    std::string whyNot; // when not fitted: "the linear form gives no P0 above zero"
    double p0 = 0;
    double k = 0;          // in 1 / the time unit of t
    double rmsPercent = 0; // root mean square of fitted / measured - 1, in %
    double aicc = 0;       // corrected Akaike criterion of the relative residuals
    // The covariance of (P0, K) from the residuals' spread.
    double varP0 = 0, varK = 0, covP0K = 0;
};

// Fits `law` to the readings (t from 0, each P above 0). Three readings at
// least; a law whose fit has no solution comes back with fitted false and
// the reason.
LawFit fitBlockingLaw(BlockingLaw law, const std::vector<double> &t, const std::vector<double> &p);

} // namespace sf
