// The main window as it opens: its fields, focus, placement, fonts and size
// behaviour.
#include "UiTestSupport.h"

#include "calc/InputFields.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QScreen>

namespace sf::test {
namespace {

TEST_F(MainWindowTest, FieldsShowTheWorkedExampleWithViscosityDisabled)
{
    for (const InputField &field : InputFields) {
        SCOPED_TRACE("Edit" + std::to_string(field.editNumber));
        QLineEdit *e = edit(field.editNumber);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->text().toStdString(), field.defaultText);
        EXPECT_EQ(e->accessibleName().toStdString(), fieldTitle(field));
        const bool viscosity = field.editNumber >= 30 && field.editNumber <= 34;
        EXPECT_EQ(e->isEnabled(), !viscosity);
        EXPECT_EQ(form1->fieldTexts()[field.id], field.defaultText) << "the run reads what is shown";
    }
}

TEST_F(MainWindowTest, OpensCentredWithEdit1FocusedAndSelected)
{
    EXPECT_EQ(form1->size(), QSize(685, 491));
    const QPoint centre = form1->screen()->availableGeometry().center();
    EXPECT_LE((form1->frameGeometry().center() - centre).manhattanLength(), 1);
    EXPECT_EQ(focusName(), "Edit1");
    EXPECT_EQ(edit(1)->selectedText(), "57.0");
    EXPECT_FALSE(windows.finishForm->isVisible());
}

TEST_F(MainWindowTest, NoLabelRunsUnderAFieldOnItsRow)
{
    // The formulas of the viscosity group read left to right; a label's end
    // hidden under the next field would drop a sign from the formula.
    for (QLabel *label : form1->findChildren<QLabel *>()) {
        QString visible = label->text();
        while (visible.endsWith(u' '))
            visible.chop(1);
        if (visible.isEmpty())
            continue;
        const int textRight = label->x() + label->fontMetrics().horizontalAdvance(visible);
        for (QLineEdit *field : label->parentWidget()->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly)) {
            const bool sameRow = field->y() < label->y() + label->height() && label->y() < field->y() + field->height();
            if (sameRow && field->x() > label->x()) {
                EXPECT_LE(textRight, field->x()) << label->objectName().toStdString() << " under "
                                                 << field->objectName().toStdString();
            }
        }
    }
}

TEST_F(MainWindowTest, OnlyThePanelFollowsTheWindowSize)
{
    const QRect okBefore = button("BitBtn1")->geometry();
    const QRect edit12Before = edit(12)->geometry();
    form1->resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(form1->findChild<QWidget *>(QStringLiteral("Panel1"))->geometry(), QRect(0, 0, 900, 700));
    EXPECT_EQ(button("BitBtn1")->geometry(), okBefore);
    EXPECT_EQ(edit(12)->geometry(), edit12Before);
}

TEST_F(MainWindowTest, TextsUseTheJapaneseGothicFaceAtTheirPixelSizes)
{
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("IPAPGothic")) && !families.contains(QStringLiteral("MS PGothic")))
        GTEST_SKIP() << "neither MS PGothic nor IPAPGothic is installed (Debian: fonts-ipafont-gothic)";
    struct {
        const char *name;
        int pixels;
    } const texts[] = {{"Edit1", 13}, {"Label7", 13}, {"Edit35", 12}, {"BitBtn1", 15}, {"GroupBox1", 16}, {"Label29", 11}};
    for (const auto &t : texts) {
        SCOPED_TRACE(t.name);
        auto *w = form1->findChild<QWidget *>(QLatin1String(t.name));
        ASSERT_NE(w, nullptr);
        const QFontInfo info(w->font());
        EXPECT_TRUE(info.family() == "IPAPGothic" || info.family() == "MS PGothic") << info.family().toStdString();
        EXPECT_EQ(info.pixelSize(), t.pixels);
    }
}

TEST_F(MainWindowTest, NamedControlsOfTheSaveLocationBrowserArePresent)
{
    for (const char *name : {"DriveComboBox1", "DirectoryListBox1", "FileListBox1", "Image1", "Panel2", "GroupBox4"}) {
        auto *w = form1->findChild<QWidget *>(QLatin1String(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(w->isVisible()) << name;
        EXPECT_FALSE(w->focusPolicy() & Qt::TabFocus) << name << " is reached with the mouse only";
    }
}

} // namespace
} // namespace sf::test
