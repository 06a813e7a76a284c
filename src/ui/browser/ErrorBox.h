#pragma once

#include <string>

namespace sf {

// Where the save-location browser shows a failure: the main window's default
// error box. `text` is final (the "." rule already applied, UTF-8).
class ErrorBox {
public:
    virtual ~ErrorBox() = default;
    virtual void showError(const std::string &text) = 0;
};

} // namespace sf
