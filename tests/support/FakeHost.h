#pragma once

#include "run/RunHost.h"

#include <fcntl.h>
#include <functional>
#include <string>
#include <vector>

namespace sf::test {

// A main window without a display: the field texts start as the window's
// defaults, and every dialog and refresh is recorded in order, as
// "message: <text>", "error: <text>", "finished" and "refresh"; the English
// lines beside messages and errors go to `english`. Reports go
// into `directory`: the test's current directory unless it says otherwise.
class FakeHost : public RunHost {
public:
    void set(Field field, std::string text) { texts[field] = std::move(text); }

    FieldTexts fieldTexts() const override { return texts; }
    int saveDirectory() const override { return directory; }
    void showMessage(const std::string &text, const std::string &line) override
    {
        events.push_back("message: " + text);
        english.push_back(line);
    }
    void showError(const std::string &text, const std::string &line) override
    {
        events.push_back("error: " + text);
        english.push_back(line);
    }
    void showFinished() override
    {
        events.push_back("finished");
        if (onFinished)
            onFinished();
    }
    void refreshFileList() override
    {
        events.push_back("refresh");
        if (onRefresh)
            onRefresh();
    }

    FieldTexts texts = FieldTexts::defaults();
    int directory = AT_FDCWD;
    std::vector<std::string> events;
    std::vector<std::string> english; // the English line of each message and error, in order
    std::function<void()> onFinished;
    std::function<void()> onRefresh;
};

} // namespace sf::test
