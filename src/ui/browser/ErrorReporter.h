#pragma once

#include <string>

namespace sf {

// Where the browser shows a failure to enter a directory or volume. The
// main window routes it to its default error box; tests record it.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    // text is final: the error box's "." rule is already applied (UTF-8).
    virtual void showError(const std::string &text) = 0;
};

} // namespace sf
