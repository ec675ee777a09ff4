#pragma once
#include <QApplication>
#include <QImage>

#include "tests/ui/MainWindowFixture.h"
#include "preview/MeshView.h"
#include "ui/PreviewWindow.h"

// The program's windows with the 3D preview opened through View > 3D Preview, and ways
// to draw it from a chosen camera and read its pixels.
class PreviewFixture : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        viewMenu = Find<QAction>(window, "View1");
        previewAction = Find<QAction>(window, "Preview1");
    }

    // Opens the preview; fails the test when the window or its view is missing.
    void OpenPreview()
    {
        previewAction->trigger();
        preview = PreviewWindowOf();
        ASSERT_NE(preview, nullptr);
        // The window system activates the new window in its own time; the keys of the
        // tests need it active now.
        QApplication::setActiveWindow(preview);
        view = preview->findChild<MeshView*>(QStringLiteral("MeshView"));
        ASSERT_NE(view, nullptr) << "no OpenGL: " << MeshView::openGlUnavailableReason().toStdString();
    }

    static PreviewWindow* PreviewWindowOf()
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("PreviewWindow"))
                return qobject_cast<PreviewWindow*>(top);
        return nullptr;
    }

    // Puts a picture in the way Load BMP does (with its grid reset), without a file.
    void LoadPicture(Picture picture)
    {
        surface().putPicture(std::move(picture));
        loadAction->trigger();  // the dialog is cancelled: only the grid reset runs
    }

    // The view drawn now, from the camera as it is.
    QImage Render() { return view->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }

    // Where a point of the mesh's space shows in the view's image.
    QPoint Projected(const QVector3D& point) const
    {
        return view->camera().project(point, view->box(), view->size()).toPoint();
    }

    QAction* viewMenu = nullptr;
    QAction* previewAction = nullptr;
    PreviewWindow* preview = nullptr;
    MeshView* view = nullptr;
};

// The view's background, and what the grey ramp draws.
constexpr QRgb kBackground = 0xFF546680;  // 84, 102, 128

inline bool IsGrey(QRgb pixel)
{
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
}
