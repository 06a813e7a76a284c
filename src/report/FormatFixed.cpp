#include "FormatFixed.h"

#include "calc/ShortString.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sf {

namespace {

constexpr int SignificantDigits = 18;
constexpr int MaxDecimals = 18;

// magnitude = 0.<digits> * 10^exponent; empty digits mean zero.
struct DecimalForm {
    std::string digits;
    int exponent = 0;
    bool negative = false;
};

DecimalForm decimalForm(double value)
{
    DecimalForm form;
    if (value == 0)
        return form;
    form.negative = std::signbit(value);

    // Exactly 18 significant digits, rounded to nearest with ties to even on
    // the exact binary value: "d.ddddddddddddddddde[+-]x".
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                                 SignificantDigits - 1);
    const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t e = text.find('e');
    form.digits.reserve(SignificantDigits);
    form.digits += text[0];
    form.digits.append(text.substr(2, e - 2));
    int exp10 = 0;
    const std::string_view expText = text.substr(e + 1);
    std::from_chars(expText.data() + (expText[0] == '+' ? 1 : 0), expText.data() + expText.size(), exp10);
    form.exponent = exp10 + 1;
    return form;
}

// Keeps `place` digits, rounding half away from zero on the next digit.
void roundAt(DecimalForm &form, int place)
{
    const bool up = form.digits[static_cast<std::size_t>(place)] >= '5';
    form.digits.resize(static_cast<std::size_t>(place));
    if (!up)
        return;
    int i = place - 1;
    while (i >= 0 && form.digits[static_cast<std::size_t>(i)] == '9') {
        form.digits[static_cast<std::size_t>(i)] = '0';
        --i;
    }
    if (i >= 0) {
        ++form.digits[static_cast<std::size_t>(i)];
    } else {
        form.digits.assign(1, '1');
        ++form.exponent;
    }
}

} // namespace

std::string FormatFixed(double value, int precision, int digits, char separator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";

    const int cap = std::clamp(precision, 2, SignificantDigits);
    const int decimals = std::max(digits, 0);

    DecimalForm form = decimalForm(value);
    if (!form.digits.empty()) {
        const long place = static_cast<long>(form.exponent) + decimals;
        if (place < 0) {
            form = DecimalForm();
        } else if (place < SignificantDigits || cap < SignificantDigits) {
            roundAt(form, static_cast<int>(std::min<long>(place, cap)));
        }
    }
    while (!form.digits.empty() && form.digits.back() == '0')
        form.digits.pop_back();
    if (form.digits.empty())
        form.negative = false;

    std::string out;
    if (form.negative)
        out += '-';
    const int count = static_cast<int>(form.digits.size());

    if (form.exponent > cap) {
        out += form.digits[0];
        if (count > 1) {
            out += separator;
            out.append(form.digits, 1, static_cast<std::size_t>(std::min(count, cap) - 1));
        }
        out += 'E';
        const std::string exp = std::to_string(form.exponent - 1);
        if (decimals > 0 && decimals <= 4 && static_cast<int>(exp.size()) < decimals)
            out.append(static_cast<std::size_t>(decimals) - exp.size(), '0');
        out += exp;
        return out;
    }

    if (form.exponent <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < form.exponent; ++i)
            out += i < count ? form.digits[static_cast<std::size_t>(i)] : '0';
    }
    const int shown = std::min(decimals, MaxDecimals);
    if (shown > 0) {
        out += separator;
        std::string fraction;
        if (form.exponent < 0)
            fraction.append(static_cast<std::size_t>(std::min(-form.exponent, shown)), '0');
        const int firstFractionDigit = std::max(form.exponent, 0);
        if (firstFractionDigit < count)
            fraction.append(form.digits, static_cast<std::size_t>(firstFractionDigit));
        fraction.resize(static_cast<std::size_t>(shown), '0');
        out += fraction;
    }
    return out;
}

std::string FormatColumn(std::uint8_t width, std::uint8_t digits, double value, char separator)
{
    std::string text(ShortString::cut(FormatFixed(value, width, digits, separator)));
    if (text.size() >= 3 && text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

} // namespace sf
