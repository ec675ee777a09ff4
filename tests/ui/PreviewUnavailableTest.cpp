// Where OpenGL cannot be had (these tests run on the offscreen platform), View > 3D
// Preview opens a window with one line saying why, and the program carries on.
#include <QLabel>
#include <QTest>

#include "MainWindowFixture.h"
#include "tests/support/TempFolder.h"
#include "preview/MeshView.h"
#include "ui/PreviewWindow.h"

namespace {

using PreviewUnavailableTest = MainWindowFixture;

TEST_F(PreviewUnavailableTest, TheWindowSaysWhyAndTheProgramCarriesOn)
{
    auto* previewAction = Find<QAction>(window, "Preview1");
    QTest::keyClick(window, Qt::Key_3, Qt::ControlModifier);
    PreviewWindow* preview = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("PreviewWindow"))
            preview = qobject_cast<PreviewWindow*>(top);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->view(), nullptr);
    EXPECT_EQ(preview->findChild<MeshView*>(), nullptr);
    auto* line = Find<QLabel>(preview, "PreviewUnavailable");
    EXPECT_EQ(line->text(), "The 3D preview needs OpenGL, which the \"offscreen\" display platform does not offer.");
    EXPECT_TRUE(dialogs.messages.empty());

    // Everything the preview would follow still works without it.
    const TempFolder temp;
    dialogs.saveAnswers.push_back(temp.path(QStringLiteral("a.dxf")));
    exportDxfAction->trigger();
    exportBlackAction->trigger();
    newAction->trigger();
    previewAction->trigger();
    EXPECT_EQ(window->windowTitle(), "Exporting DXF Complete");
    EXPECT_EQ(ReadWholeFile(temp.file("a.dxf")).substr(0, 8), "0\r\nSECTI");
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
