#pragma once

#include "calc/FieldTexts.h"

#include <string>

namespace sf {

// What one run of the Calculate command needs from the main window. The Qt
// window implements it; tests use a fake that records the calls.
class RunHost {
public:
    virtual ~RunHost() = default;

    // The current texts of Edit1..Edit35.
    virtual FieldTexts fieldTexts() const = 0;

    // The message dialog: shows one message (no icon, text unchanged) and
    // returns when the user has closed it. `english`, when not empty, is a
    // second line below it saying in English what is wrong and where.
    virtual void showMessage(const std::string &text, const std::string &english) = 0;

    // The default error box; text is final (the "." rule already applied,
    // UTF-8), `english` as for showMessage.
    virtual void showError(const std::string &text, const std::string &english) = 0;

    // The completion dialog, modal; returns when it has been closed.
    virtual void showFinished() = 0;

    // The directory the report is saved into, open as a descriptor that
    // stays the host's: a save file name that is not absolute is created
    // relative to it.
    virtual int saveDirectory() const = 0;

    // Re-reads the file list. May throw InOutError.
    virtual void refreshFileList() = 0;
};

} // namespace sf
