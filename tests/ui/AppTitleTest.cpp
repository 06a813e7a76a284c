#include "AppTitle.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct TitleCase {
    const char *name;
    const char *path;
    const char *title;
};

void PrintTo(const TitleCase &c, std::ostream *os)
{
    *os << c.name;
}

const TitleCase titleCases[] = {
    {"plain", "screenfilter", "Screenfilter"},
    {"unix_path", "/usr/local/bin/screenfilter", "Screenfilter"},
    {"windows_path_upper", "C:\\Tools\\MYCALC.EXE", "Mycalc"},
    {"cut_at_first_dot", "ABC.Tool.exe", "Abc"},
    {"first_char_capital", "sCREEN", "Screen"},
    {"dot_in_directory", "/opt/v1.2/prog", "Prog"},
    {"mixed_separators", "C:\\a/b\\Calc.exe", "Calc"},
    {"relative", "./screenfilter", "Screenfilter"},
    {"non_ascii", "/bin/ÉCOLE.bin", "École"},
    {"hidden_name", "/bin/.hidden", ""},
    {"empty", "", ""},
};

class ApplicationTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ApplicationTitle, FromExecutablePath)
{
    EXPECT_EQ(sf::applicationTitle(QString::fromUtf8(GetParam().path)).toStdString(), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(Paths, ApplicationTitle, ::testing::ValuesIn(titleCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
