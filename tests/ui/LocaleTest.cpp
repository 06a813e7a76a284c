// The decimal separator from the user's locale, and what it does to the
// viscosity fields and to a run.
#include "UiTestSupport.h"

#include "LocaleSeparator.h"

namespace sf::test {
namespace {

struct SeparatorCase {
    const char *locale;
    char separator;
};

const SeparatorCase separatorCases[] = {
    {"C", '.'},
    {"en_US", '.'},
    {"ja_JP", '.'},
    {"de_DE", ','},
    {"fr_FR", ','},
    {"ru_RU", ','},
    {"ar_EG", '.'}, // U+066B, not ASCII
    {"fa_IR", '.'}, // U+066B, not ASCII
};

TEST(SeparatorOf, TakesOneAsciiCharacterOrFallsBackToFullStop)
{
    for (const SeparatorCase &c : separatorCases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(separatorOf(QLocale(QString::fromLatin1(c.locale))), c.separator);
    }
}

using LocaleTest = MainWindowTest;

const char *const viscosityComma[] = {"9,55", "100,0", "0,469", "15180,0", "26,96"};
const char *const viscosityStop[] = {"9.55", "100.0", "0.469", "15180.0", "26.96"};

void expectViscosityTexts(const std::function<QLineEdit *(int)> &edit, const char *const (&texts)[5])
{
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(edit(30 + i)->text().toStdString(), texts[i]) << "Edit" << 30 + i;
}

TEST_F(LocaleTest, ViscosityFieldsFollowTheSeparatorBothWays)
{
    auto field = [this](int n) { return edit(n); };
    form1->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(form1->decimalSeparator(), ',');
    expectViscosityTexts(field, viscosityComma);
    EXPECT_EQ(edit(1)->text(), "57.0") << "editable fields keep their texts";

    form1->applyLocale(QLocale::c());
    EXPECT_EQ(form1->decimalSeparator(), '.');
    expectViscosityTexts(field, viscosityStop);
}

TEST_F(LocaleTest, LocaleChangeEventRereadsTheSystemLocale)
{
    if (separatorOf(QLocale::system()) != '.')
        GTEST_SKIP() << "the test's own locale does not use a full stop";
    form1->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(edit(30)->text(), "9,55");

    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(form1, &change);
    EXPECT_EQ(form1->decimalSeparator(), '.');
    expectViscosityTexts([this](int n) { return edit(n); }, viscosityStop);
}

TEST_F(LocaleTest, CommaLocaleRunNeedsCommaInTheEditableFields)
{
    ScratchDirectory dir;
    form1->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    {
        ModalWatcher watcher;
        QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text.toStdString(), "'57.0' は浮動小数点数ではありません.");
    }
    for (int n = 1; n <= 29; ++n)
        edit(n)->setText(edit(n)->text().replace(u'.', u','));
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, "FinishForm");
    // The report is the default one, written with commas.
    EXPECT_EQ(readBytes("result.txt"), ::sf::test::goldenCommaReport());
}

} // namespace
} // namespace sf::test
