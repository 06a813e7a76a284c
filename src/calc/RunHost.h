#pragma once

#include <string>

namespace sf {

// The message dialog: shows one message (no icon, text unchanged) and
// returns when the user has closed it.
class MessageDialog {
public:
    virtual ~MessageDialog() = default;
    virtual void showMessage(const std::string &text) = 0;
};

// The default error box, for a run and for the save-location browser;
// text is final (the "." rule already applied, UTF-8).
class ErrorBox {
public:
    virtual ~ErrorBox() = default;
    virtual void showError(const std::string &text) = 0;
};

// What one run of the Calculate command needs from the main window. The Qt
// window implements it; tests use a fake that records the calls.
class RunHost : public MessageDialog, public ErrorBox {
public:
    // The current text of the edit field EditN (1 to 35), UTF-8.
    virtual std::string fieldText(int editNumber) const = 0;

    // The completion dialog, modal; returns when it has been closed.
    virtual void showFinished() = 0;

    // Re-reads the file list. May throw InOutError.
    virtual void refreshFileList() = 0;
};

} // namespace sf
