#pragma once
#include <QOpenGLBuffer>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLVertexArrayObject>
#include <QOpenGLWidget>
#include <QString>
#include <memory>

#include "export/MeshVertices.h"
#include "model/EditorState.h"
#include "model/MeshHeights.h"
#include "preview/PreviewCamera.h"

class ImageSurface;

// The 3D view of the mesh the next DXF export would write. It samples the picture into
// heights of its own, afresh each time, so the editor's heights are never touched and the
// heights an earlier export left beyond the grid show as the export would write them. Changes only mark the mesh stale; it is sampled again when
// the next frame is drawn, so any number of changes between two frames cost one
// sampling. A picture that cannot be sampled shows one line saying so instead.
//
// Left drag orbits, right or middle drag pans, the wheel zooms towards the pointer, a
// double click goes back to the three-quarter view.
class MeshView : public QOpenGLWidget, protected QOpenGLFunctions {
    Q_OBJECT
public:
    // state and surface belong to the main window and outlive the view.
    MeshView(const EditorState& state, const ImageSurface& surface, QWidget* parent = nullptr);
    ~MeshView() override;

    // Why a MeshView cannot be shown here, or empty when it can. Qt's offscreen and other
    // windowless platforms cannot put OpenGL in a window at all (showing one there
    // crashes inside Qt), and elsewhere an OpenGL context must be possible.
    static QString openGlUnavailableReason();

    // Something the mesh depends on changed: sample again before the next frame.
    void meshInputsChanged();

    // View only: heights drawn this many times as high (1 to 10); the export is unchanged.
    void setExaggeration(int times);
    int exaggeration() const { return exaggeration_; }
    void setWireframe(bool on);
    bool wireframe() const { return wireframe_; }
    // The three-quarter view of the whole mesh, fitted to the view's present size.
    void resetView();

    PreviewCamera& camera() { return camera_; }
    const PreviewCamera& camera() const { return camera_; }
    MeshBox box() const;

    // The line shown instead of the mesh (the picture cannot be sampled, or OpenGL could
    // not be set up); empty while the mesh shows.
    QString statusLine() const;
    // What the last sampling gave: the faces' arrays, how many of them are drawn (none
    // before the first frame or without OpenGL), and how many samplings there have been.
    const MeshVertices& mesh() const { return mesh_; }
    std::size_t faceCount() const { return drawnFaces_; }
    int samplings() const { return samplings_; }

    // Samples and uploads the mesh at once. The view's context must be current (paintGL
    // runs it; a benchmark calls it between makeCurrent and doneCurrent).
    void refreshMesh();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool buildPrograms();
    void upload();
    void fillCornerBuffer(std::size_t vertices);
    void drawMesh();
    void drawStatusLine(const QString& line);
    void releaseOpenGl();

    const EditorState* state_;
    const ImageSurface* surface_;
    MeshHeights heights_;  // the view's own sampling
    MeshVertices mesh_;
    bool meshDirty_ = true;
    int samplings_ = 0;
    QString unsampledLine_;
    QString openGlFailure_;

    PreviewCamera camera_;
    int exaggeration_ = 1;
    bool wireframe_ = false;
    QPointF lastPointer_;

    std::unique_ptr<QOpenGLShaderProgram> shadedProgram_;
    std::unique_ptr<QOpenGLShaderProgram> wireProgram_;
    QOpenGLVertexArrayObject vertexArray_;
    QOpenGLBuffer vertexBuffer_{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer cornerBuffer_{QOpenGLBuffer::VertexBuffer};  // which corner each vertex is
    std::size_t cornerVertices_ = 0;
    std::size_t drawnFaces_ = 0;
};
