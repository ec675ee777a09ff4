#pragma once
#include <QByteArray>
#include <QWidget>

struct EditorState;
class ImageSurface;
class MeshView;
class QAction;
class QLabel;
class QSpinBox;

// "3D Preview" (object name "PreviewWindow"): a separate, sizeable window beside the main
// one that shows the mesh the next DXF export would write, live. Along its top a
// view-only height exaggeration ("Exaggeration", 1x to 10x), the wireframe toggle
// ("Wireframe", key W) and the view reset ("ResetView", key Home); under them the view
// ("MeshView"), or, where OpenGL cannot be had, one line saying why
// ("PreviewUnavailable"). Closing it only hides it: its place and size stay for the run.
class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // state and surface belong to the main window and outlive this window.
    PreviewWindow(const EditorState& state, const ImageSurface& surface, QWidget* parent = nullptr);

    // Shows the window where it was last (centred on the screen at first), or brings it
    // to the front when it is already up.
    void showOrRaise();

    // Something the mesh depends on changed; the view catches up at its next frame.
    void meshInputsChanged();

    // The view, or none where OpenGL cannot be had.
    MeshView* view() const { return view_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls(QWidget* bar);

    MeshView* view_ = nullptr;
    QLabel* unavailable_ = nullptr;
    QSpinBox* exaggeration_ = nullptr;
    QAction* wireframeAction_ = nullptr;
    QAction* resetViewAction_ = nullptr;
    QByteArray placement_;  // where the window was when it was last hidden
};
