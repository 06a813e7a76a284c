#pragma once

#include "calc/InputFields.h"
#include "calc/RunHost.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace sf::test {

// A main window without a display: the field texts start as the window's
// defaults, and every dialog and refresh is recorded in order.
class FakeHost : public RunHost {
public:
    FakeHost()
    {
        for (const InputField &f : InputFields)
            m_texts[static_cast<std::size_t>(f.number - 1)] = std::string(f.defaultText);
    }

    void set(int editNumber, std::string text) { m_texts.at(static_cast<std::size_t>(editNumber - 1)) = std::move(text); }

    std::string fieldText(int editNumber) const override
    {
        reads.push_back(editNumber);
        return m_texts.at(static_cast<std::size_t>(editNumber - 1));
    }
    void showMessage(const std::string &text) override { events.push_back("message: " + text); }
    void showError(const std::string &text) override { events.push_back("error: " + text); }
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

    mutable std::vector<int> reads;
    std::vector<std::string> events;
    std::function<void()> onFinished;
    std::function<void()> onRefresh;

private:
    std::array<std::string, EditFieldCount> m_texts;
};

} // namespace sf::test

#include "calc/DecimalSeparator.h"

namespace sf::test {

// Sets the decimal separator for one test and restores "." afterwards.
class ScopedSeparator {
public:
    explicit ScopedSeparator(char c) { setDecimalSeparator(c); }
    ~ScopedSeparator() { setDecimalSeparator('.'); }
};

} // namespace sf::test
