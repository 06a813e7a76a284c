#pragma once

// The main window's default texts as a run reads them, with no dialogs.

#include "calc/InputFields.h"
#include "calc/RunHost.h"

#include <array>
#include <cstdlib>
#include <string>

namespace sf::bench {

class DefaultTexts : public sf::RunHost {
public:
    DefaultTexts()
    {
        for (const sf::InputField &f : sf::InputFields)
            m_texts[static_cast<std::size_t>(f.number - 1)] = std::string(f.defaultText);
    }
    std::string fieldText(int n) const override { return m_texts[static_cast<std::size_t>(n - 1)]; }
    void showMessage(const std::string &) override { std::abort(); }
    void showError(const std::string &) override { std::abort(); }
    void showFinished() override {}
    void refreshFileList() override {}

private:
    std::array<std::string, sf::EditFieldCount> m_texts;
};

} // namespace sf::bench
