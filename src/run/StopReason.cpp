#include "run/StopReason.h"

#include "calc/Errors.h"
#include "calc/InputFields.h"
#include "calc/NumberReaders.h"
#include "calc/ReadInputs.h"
#include "io/IoErrors.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace sf {

namespace {

bool reads(const std::string &text, char separator)
{
    try {
        readDecimal(text, separator);
        return true;
    } catch (const ScreenFilterError &) {
        return false;
    }
}

// The window aligns its screen rows with two blanks; a sentence has one.
std::string singleBlanks(std::string s)
{
    s.erase(std::unique(s.begin(), s.end(), [](char a, char b) { return a == ' ' && b == ' '; }), s.end());
    return s;
}

const char *stepName(RunStep step)
{
    switch (step) {
    case RunStep::Shift:
        return "the temperature shift of the viscosity";
    case RunStep::Opening:
        return "the opening";
    case RunStep::ScreenFactor:
        return "the screen factor";
    case RunStep::PressureDrop:
        return "the pressure drop";
    case RunStep::Total:
        return "the total pressure drop";
    case RunStep::Reading:
    case RunStep::None:
        break;
    }
    return "reading the fields";
}

bool isScreenKey(const std::string &key, int screen)
{
    const std::string prefix = "screens." + std::to_string(screen);
    return key == prefix || key.rfind(prefix + ".", 0) == 0;
}

// The first error among `findings` that `wanted` accepts.
const Finding *firstError(const std::vector<Finding> &findings, const auto &wanted)
{
    for (const Finding &f : findings)
        if (f.severity == Severity::Error && wanted(f))
            return &f;
    return nullptr;
}

// The field whose text stopped the reading, in the reader's order: the first
// process or melt value that does not read, or, when the screen data fell
// short, the first mesh or wire of a screen in use that does not.
std::optional<Field> unreadField(const FieldTexts &texts, char separator, const PointResult &point)
{
    if (point.status == PointStatus::Failed) {
        for (const InputField &f : InputFields)
            if (f.kind == FieldKind::CaseValue && !reads(texts[f.id], separator))
                return f.id;
        return std::nullopt;
    }
    if (point.message != ScreenDataRejection.message)
        return Field::ScreenCount;
    for (int k = 1; k <= MaxScreens; ++k)
        for (Field f : {meshField(k), wireField(k)})
            if (!reads(texts[f], separator))
                return f;
    return std::nullopt;
}

} // namespace

std::string windowLabelOfKey(const std::string &key)
{
    if (const std::optional<Field> field = fieldOfKey(key))
        return singleBlanks(fieldTitle(inputField(*field)));
    for (int k = 1; k <= MaxScreens; ++k)
        if (key == "screens." + std::to_string(k))
            return singleBlanks(screenRowCaption(k));
    return {};
}

std::string StopReason::line() const
{
    std::string text = label.empty() ? cause.sentence : label + ": " + cause.sentence;
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    if (!consequence.empty())
        text += "; " + consequence;
    return text + ".";
}

StopReason stopReason(const FieldTexts &texts, char separator, const PointResult &point)
{
    const std::vector<Finding> findings = diagnose(texts, separator, &point);
    StopReason reason{faultFinding(point), {}, {}};
    const Finding *cause = nullptr;
    if (point.step == RunStep::Reading) {
        if (const std::optional<Field> field = unreadField(texts, separator, point)) {
            const std::string key = keyOfField(*field);
            cause = firstError(findings, [&](const Finding &f) { return f.key == key; });
            if (cause && point.message == ScreenDataRejection.message)
                reason.consequence =
                    "so the window counts screen " + std::to_string(inputField(*field).screen) + " as not given";
        }
    } else {
        // An input error behind the fault: one of the screen it came at,
        // or of the process and melt values every step uses.
        const int screen = point.faultScreen;
        cause = firstError(findings, [&](const Finding &f) {
            return (screen > 0 && isScreenKey(f.key, screen)) || f.key.rfind("screens.", 0) != 0;
        });
        if (cause)
            reason.consequence = std::string("the arithmetic stopped at ") + stepName(point.step) +
                                 (screen > 0 ? " of screen " + std::to_string(screen) : "");
    }
    if (cause)
        reason.cause = *cause;
    reason.label = windowLabelOfKey(reason.cause.key);
    return reason;
}

std::string englishErrorText(const std::exception &e)
{
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return "The computer ran out of memory; close other programs and press OK again.";
    if (const auto *io = dynamic_cast<const InOutError *>(&e)) {
        switch (io->code()) {
        case 2:
            return "A file or folder is missing.";
        case 3:
            return "A file's path is not valid.";
        case 4:
            return "Too many files are open.";
        case 5:
            return "Access to a file was denied.";
        case 101:
            return "The disk is full.";
        case EPIPE:
            return "The output was closed before the report was written.";
        default:
            return "A file could not be read or written (system error " + std::to_string(io->code()) + ").";
        }
    }
    if (dynamic_cast<const OverflowError *>(&e))
        return "A result is beyond the range of numbers.";
    return "The run stopped unexpectedly.";
}

} // namespace sf
