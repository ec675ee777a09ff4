// Options › Mesh Settings: the item's place, the values it offers and keeps for the
// session through the dialog seam, and what the STL and 3MF then hold; then the real
// dialog driven with keys and clicks: its texts, ranges, focus and selection, Enter and
// Cancel.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTest>

#include "MainWindowFixture.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"
#include "ui/MeshSettingsDialog.h"

namespace {

bool Same(const SolidSettings& a, const SolidSettings& b)
{
    return a.longestSideMm == b.longestSideMm && a.reliefMm == b.reliefMm && a.baseMm == b.baseMm &&
           a.keepProportions == b.keepProportions && a.invert == b.invert && a.detail == b.detail &&
           a.maxErrorTenths == b.maxErrorTenths;
}

class MeshSettingsTest : public MainWindowFixture {
protected:
    QAction* item() { return Find<QAction>(window, "MeshSettings1"); }

    // The solid the window's STL export writes now.
    StlFile exportStl()
    {
        const QString file = temp.path(QStringLiteral("solid.stl"));
        dialogs.saveAnswers.push_back(file);
        Find<QAction>(window, "ExportSTL1")->trigger();
        return ParseStl(ReadWholeFile(file).toStdString());
    }

    TempFolder temp;
};

TEST_F(MeshSettingsTest, ItemFollowsTheTwoExportOptionsAfterASeparator)
{
    const QList<QAction*> items = optionsMenu->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0], exportBlackAction);
    EXPECT_EQ(items[1], exportWhiteAction);
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3], item());
    EXPECT_EQ(item()->text(), "&Mesh Settings...");
    EXPECT_FALSE(item()->isCheckable());
}

TEST_F(MeshSettingsTest, OkKeepsTheValuesForTheSessionAndCancelChangesNothing)
{
    const SolidSettings chosen{180.5, 3.25, 0.8, false, true};
    dialogs.meshSettingsAnswers = {std::nullopt, chosen, std::nullopt};
    item()->trigger();  // cancelled
    EXPECT_TRUE(Same(state().solid, SolidSettings{}));
    item()->trigger();
    EXPECT_TRUE(Same(state().solid, chosen));
    // A new picture, a loaded one and a cancelled dialog leave them as they are.
    newAction->trigger();
    dialogs.openAnswers.push_back(std::nullopt);
    loadAction->trigger();
    item()->trigger();
    EXPECT_TRUE(Same(state().solid, chosen));
    ASSERT_EQ(dialogs.meshSettingsRequests.size(), 3u);
    EXPECT_TRUE(Same(dialogs.meshSettingsRequests[0].current, SolidSettings{}));
    EXPECT_TRUE(Same(dialogs.meshSettingsRequests[1].current, SolidSettings{}));
    EXPECT_TRUE(Same(dialogs.meshSettingsRequests[2].current, chosen));
    EXPECT_TRUE(dialogs.messages.empty());
}

// The built-in picture is 320 x 200 and holds no white.
TEST_F(MeshSettingsTest, TheStlTakesTheSizesChosen)
{
    const auto extent = [](const StlFile& stl) {
        StlVertex high{0, 0, 0};
        for (const StlTriangle& t : stl.triangles)
            for (const StlVertex& v : t.corners)
                high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        return high;
    };
    StlVertex high = extent(exportStl());
    EXPECT_EQ(high.x, 100.0f);
    EXPECT_EQ(high.y, 62.5f);
    dialogs.meshSettingsAnswers.push_back(SolidSettings{40, 10, 2, false, false});
    item()->trigger();
    high = extent(exportStl());
    EXPECT_EQ(high.x, 40.0f);
    EXPECT_EQ(high.y, 40.0f);
    dialogs.meshSettingsAnswers.push_back(SolidSettings{40, 10, 2, true, true});
    item()->trigger();
    EXPECT_EQ(extent(exportStl()).z, 12.0f);  // inverted: the black border at the top
}

// ---- The real dialog ----------------------------------------------------------------

class MeshSettingsDialogTest : public ::testing::Test {
protected:
    void open(const SolidSettings& settings = {})
    {
        dialog = std::make_unique<MeshSettingsDialog>(settings);
        dialog->show();
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        longestSide = Find<QDoubleSpinBox>("ELongestSide");
        relief = Find<QDoubleSpinBox>("ERelief");
        base = Find<QDoubleSpinBox>("EBase");
        keepProportions = Find<QCheckBox>("KeepProportions");
        invert = Find<QCheckBox>("Invert");
        buttons = Find<QDialogButtonBox>("Buttons");
        gridDetail = Find<QRadioButton>("DetailGrid");
        wholeDetail = Find<QRadioButton>("DetailWholePicture");
        maxError = Find<QDoubleSpinBox>("EMaxError");
    }

    template <class T>
    T* Find(const char* name)
    {
        T* found = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no " << name;
        return found;
    }

    static QString Shown(double value) { return QLocale().toString(value, 'f', 2); }

    std::unique_ptr<MeshSettingsDialog> dialog;
    QDoubleSpinBox *longestSide = nullptr, *relief = nullptr, *base = nullptr;
    QCheckBox *keepProportions = nullptr, *invert = nullptr;
    QDialogButtonBox* buttons = nullptr;
    QRadioButton *gridDetail = nullptr, *wholeDetail = nullptr;
    QDoubleSpinBox* maxError = nullptr;
};

TEST_F(MeshSettingsDialogTest, ShowsItsFieldsWithTheirTextsRangesAndDefaults)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), "Mesh Settings");
    auto* form = dialog->findChild<QFormLayout*>();
    ASSERT_NE(form, nullptr);
    QStringList labels;
    for (QDoubleSpinBox* field : {longestSide, relief, base})
        labels << qobject_cast<QLabel*>(form->labelForField(field))->text();
    EXPECT_EQ(labels, QStringList({"Longest side (mm)", "Relief (mm)", "Base (mm)"}));
    EXPECT_EQ(keepProportions->text(), "Keep the picture's proportions");
    EXPECT_EQ(invert->text(), "Invert (white lowest, for lithophanes)");
    const struct {
        QDoubleSpinBox* field;
        double lowest, highest, value;
    } ranges[] = {{longestSide, 1, 10000, 100}, {relief, 0.01, 10000, 10}, {base, 0.01, 10000, 2}};
    for (const auto& r : ranges) {
        EXPECT_EQ(r.field->minimum(), r.lowest) << r.field->objectName().toStdString();
        EXPECT_EQ(r.field->maximum(), r.highest);
        EXPECT_EQ(r.field->value(), r.value);
        EXPECT_EQ(r.field->decimals(), 2);
    }
    EXPECT_TRUE(keepProportions->isChecked());
    EXPECT_FALSE(invert->isChecked());
    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

TEST_F(MeshSettingsDialogTest, OpensWithTheFirstFieldsTextSelectedSoTypingReplacesIt)
{
    open({250, 3.5, 0.8, false, true});
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(longestSide));
    EXPECT_EQ(longestSide->findChild<QLineEdit*>()->selectedText(), Shown(250));
    QTest::keyClicks(QApplication::focusWidget(), "75");
    EXPECT_EQ(longestSide->value(), 75);
    EXPECT_EQ(relief->value(), 3.5);
    EXPECT_EQ(base->value(), 0.8);
    EXPECT_FALSE(keepProportions->isChecked());
    EXPECT_TRUE(invert->isChecked());
}

TEST_F(MeshSettingsDialogTest, EnterIsOkAndGivesWhatWasTyped)
{
    open();
    QTest::keyClicks(QApplication::focusWidget(), "1234.5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "0.25");
    QTest::mouseClick(invert, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(Same(dialog->settings(), SolidSettings{1234.5, 0.25, 2, true, true}));
}

TEST_F(MeshSettingsDialogTest, EscapeAndCancelReject)
{
    open();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    open();
    QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// What lies outside a field's range never comes out: too large is refused as typed, too
// small goes back to the last good value when the field is left.
TEST_F(MeshSettingsDialogTest, ValuesOutsideTheRangesCannotBeTyped)
{
    open();
    QTest::keyClicks(QApplication::focusWidget(), "20000");
    EXPECT_LE(longestSide->value(), 10000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "0.001");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const SolidSettings settings = dialog->settings();
    EXPECT_TRUE(SolidSettingsValid(settings));
    EXPECT_EQ(settings.longestSideMm, 2000);  // the fifth digit was refused
    EXPECT_EQ(settings.reliefMm, 10);         // 0.00 is below the range: the last good value
}

// The detail: the grid at first; the whole picture within an error of 0 to 765 height
// steps in tenths, given back in tenths exactly.
TEST_F(MeshSettingsDialogTest, TheDetailIsTheGridOrTheWholePictureWithinAnError)
{
    open();
    EXPECT_EQ(gridDetail->text(), "Grid (the grid size, as the DXF)");
    EXPECT_EQ(wholeDetail->text(), "Whole picture within");
    EXPECT_TRUE(gridDetail->isChecked());
    EXPECT_FALSE(maxError->isEnabled());
    EXPECT_EQ(maxError->value(), 1.0);
    EXPECT_EQ(maxError->minimum(), 0);
    EXPECT_EQ(maxError->maximum(), 765);
    EXPECT_EQ(maxError->decimals(), 1);
    EXPECT_EQ(maxError->singleStep(), 0.1);
    QTest::mouseClick(wholeDetail, Qt::LeftButton);
    EXPECT_TRUE(maxError->isEnabled());
    maxError->setFocus();
    QTest::keyClick(maxError, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(maxError, "7.6");
    const SolidSettings chosen = dialog->settings();
    EXPECT_EQ(chosen.detail, SolidDetail::WholePicture);
    EXPECT_EQ(chosen.maxErrorTenths, 76);

    SolidSettings whole;
    whole.detail = SolidDetail::WholePicture;
    whole.maxErrorTenths = 7650;
    open(whole);
    EXPECT_TRUE(wholeDetail->isChecked());
    EXPECT_EQ(maxError->value(), 765.0);
    EXPECT_TRUE(Same(dialog->settings(), whole)) << "opened and left as it was";
    QTest::mouseClick(gridDetail, Qt::LeftButton);
    EXPECT_EQ(dialog->settings().detail, SolidDetail::Grid);
}

}  // namespace
