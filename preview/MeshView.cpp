#include "preview/MeshView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QWheelEvent>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "export/MeshExport.h"
#include "model/EditorError.h"
#include "model/HeightScale.h"
#include "model/SampleHeights.h"

namespace {

// A muted blue, unlike any shade of the grey height ramp, so the mesh stands out
// against it at every height.
const QColor kBackground(84, 102, 128);
// The ramp starts here rather than at black, so black ground stays visible.
constexpr float kGroundShade = 0.2f;
constexpr float kLineGroundShade = 0.45f;
// From above the picture's upper left in the three-quarter view, fixed to the mesh.
const QVector3D kLightDirection = QVector3D(0.57f, -0.14f, 0.81f).normalized();

// Mesa's software renderer takes and frees blocks of a few hundred kilobytes to several
// megabytes on every frame. glibc gives blocks that size straight back to the system and
// maps them anew each time, and the page faults then cost the user-interface thread more
// than the drawing: some 40 ms instead of 13 ms a frame at grid 300. Keeping such blocks
// in the heap costs the program at most some tens of megabytes of idle memory.
void KeepFrameBlocksInTheHeap()
{
#ifdef __GLIBC__
    static const bool once = [] {
        mallopt(M_MMAP_THRESHOLD, 16 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    (void)once;
#endif
}

QSurfaceFormat ViewFormat()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(24);
    return format;
}

// One shader text for every context the program may get: OpenGL 3.3 core and later,
// the old OpenGL 2.1 language, and OpenGL ES 2 and 3. The heading picks the language
// and the macros bridge its words.
QByteArray ShaderHeading(const QOpenGLContext& context, bool fragment)
{
    const QSurfaceFormat format = context.format();
    const QPair<int, int> version = format.version();
    QByteArray heading;
    bool modern = true;
    if (context.isOpenGLES()) {
        if (version.first >= 3) {
            heading = "#version 300 es\n";
        } else {
            heading = "#version 100\n#extension GL_OES_standard_derivatives : enable\n";
            modern = false;
        }
        heading += "precision highp float;\n";
    } else if (version >= qMakePair(3, 3)) {
        heading = "#version 330 core\n";
    } else if (format.profile() == QSurfaceFormat::CoreProfile) {
        heading = "#version 150\n";
    } else {
        heading = "#version 120\n";
        modern = false;
    }
    if (fragment)
        heading += modern ? "#define VARYING in\nout vec4 fragColour;\n#define FRAG_COLOUR fragColour\n"
                          : "#define VARYING varying\n#define FRAG_COLOUR gl_FragColor\n";
    else
        heading += modern ? "#define ATTRIBUTE in\n#define VARYING out\n" : "#define ATTRIBUTE attribute\n#define VARYING varying\n";
    return heading;
}

// Two programs from one text: the shaded one carries nothing but the positions to the
// pixels (every value passed on costs the software renderer time per triangle), the
// wireframe one also each vertex's place in its face.
const char* const kVertexShader = R"(
ATTRIBUTE vec3 position;
uniform mat4 viewProjection;
uniform float exaggeration;
VARYING vec3 world;
#ifdef WIREFRAME
ATTRIBUTE vec2 corner;
VARYING vec2 across;
#endif
void main()
{
    world = vec3(position.xy, position.z * exaggeration);
#ifdef WIREFRAME
    across = corner;
#endif
    gl_Position = viewProjection * vec4(world, 1.0);
}
)";

const char* const kFragmentShader = R"(
VARYING vec3 world;
#ifdef WIREFRAME
VARYING vec2 across;
#endif
uniform float exaggeration;
uniform float highest;
uniform float groundShade;
uniform vec3 lightDirection;
void main()
{
    // Low ground dark, high ground light, as in the picture; the file's heights, not
    // the exaggerated ones, choose the shade.
    float shade = mix(groundShade, 1.0, clamp(world.z / (highest * exaggeration), 0.0, 1.0));
#ifdef WIREFRAME
    // Within half a pixel of one of the face's four sides (the diagonal is no side): the
    // face's corner coordinates run from 0 to 1 across it.
    vec2 toSide = min(across, 1.0 - across) / max(fwidth(across), vec2(1e-6));
    if (min(toSide.x, toSide.y) > 0.5)
        discard;
    FRAG_COLOUR = vec4(vec3(shade), 1.0);
#else
    // The face's own normal, from how its points change across the screen: every face
    // shows flat, as the file's faces are, and the normal faces the eye, so undersides
    // seen from below are lit as undersides.
    vec3 normal = cross(dFdx(world), dFdy(world));
    float size = length(normal);
    normal = size > 0.0 ? normal / size : vec3(0.0, 0.0, 1.0);
    FRAG_COLOUR = vec4(vec3(shade * (0.35 + 0.65 * max(dot(normal, lightDirection), 0.0))), 1.0);
#endif
}
)";

QString UnsampledLine(const EditorError& error)
{
    switch (error.failure()) {
    case Failure::NotABitmap:
        return QStringLiteral("No mesh to show: the picture is an icon or a metafile, not a bitmap.");
    case Failure::BitmapNotValid:
        return QStringLiteral("No mesh to show: the picture's bitmap is not valid.");
    default:
        return QStringLiteral("No mesh to show: %1.").arg(QString::fromStdString(error.what()));
    }
}

} // namespace

MeshView::MeshView(const EditorState& state, const ImageSurface& surface, QWidget* parent)
    : QOpenGLWidget(parent), state_(&state), surface_(&surface)
{
    KeepFrameBlocksInTheHeap();
    setFormat(ViewFormat());
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(120, 90);
}

MeshView::~MeshView()
{
    if (context()) {
        // The widget's own destruction destroys the context next; it must not call back.
        disconnect(context(), &QOpenGLContext::aboutToBeDestroyed, this, nullptr);
        makeCurrent();
        releaseOpenGl();
        doneCurrent();
    }
}

QString MeshView::openGlUnavailableReason()
{
    // These platforms keep their windows in memory or on a bare frame buffer.
    const QString platform = QGuiApplication::platformName();
    for (const char* windowless : {"offscreen", "minimal", "vnc", "linuxfb"})
        if (platform == QLatin1String(windowless))
            return QStringLiteral("The 3D preview needs OpenGL, which the \"%1\" display platform does not offer.")
                .arg(platform);
    const QString noContext =
        QStringLiteral("The 3D preview needs OpenGL, and no OpenGL context could be made on this display.");
    QOpenGLContext context;
    context.setFormat(ViewFormat());
    if (!context.create())
        return noContext;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return noContext;
    context.doneCurrent();
    return {};
}

void MeshView::meshInputsChanged()
{
    if (meshDirty_)
        return;
    meshDirty_ = true;
    update();
}

void MeshView::setExaggeration(int times)
{
    exaggeration_ = std::clamp(times, 1, 10);
    update();
}

void MeshView::setWireframe(bool on)
{
    wireframe_ = on;
    update();
}

void MeshView::resetView()
{
    camera_.fit(box(), size());
    update();
}

MeshBox MeshView::box() const
{
    const int gridSize = std::max(MeshGridSize(*state_), 0);
    return {QVector3D(float(gridSize + 1), float(gridSize), float(kTopHeight * exaggeration_))};
}

QString MeshView::statusLine() const
{
    return openGlFailure_.isEmpty() ? unsampledLine_ : openGlFailure_;
}

void MeshView::initializeGL()
{
    initializeOpenGLFunctions();
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MeshView::releaseOpenGl, Qt::UniqueConnection);
    openGlFailure_.clear();
    if (!buildPrograms())
        return;
    // Needed by core contexts; elsewhere the attributes are set up on every draw anyway.
    vertexArray_.create();
    vertexBuffer_.create();
    vertexBuffer_.setUsagePattern(QOpenGLBuffer::DynamicDraw);
    cornerBuffer_.create();
    meshDirty_ = true;
}

bool MeshView::buildPrograms()
{
    for (const bool wire : {false, true}) {
        const QByteArray variant = wire ? "#define WIREFRAME\n" : "";
        auto program = std::make_unique<QOpenGLShaderProgram>();
        const bool built = program->addShaderFromSourceCode(QOpenGLShader::Vertex, ShaderHeading(*context(), false) +
                                                                                     variant + kVertexShader) &&
                           program->addShaderFromSourceCode(QOpenGLShader::Fragment, ShaderHeading(*context(), true) +
                                                                                       variant + kFragmentShader);
        program->bindAttributeLocation("position", 0);
        program->bindAttributeLocation("corner", 1);
        if (!built || !program->link()) {
            const QString log = program->log().trimmed().section(QLatin1Char('\n'), 0, 0);
            openGlFailure_ = QStringLiteral("The 3D preview could not set up OpenGL: %1").arg(log);
            return false;
        }
        (wire ? wireProgram_ : shadedProgram_).reset(program.release());
    }
    return true;
}

void MeshView::refreshMesh()
{
    meshDirty_ = false;
    ++samplings_;
    try {
        // Afresh each time, into heights of the view's own: heights beyond the grid are
        // the ones the last export left, as the next export will write them.
        SampleHeights(*state_, *surface_, heights_);
        BuildMeshVertices(heights_, OptionsOf(*state_), mesh_);
        unsampledLine_.clear();
    } catch (const EditorError& error) {
        unsampledLine_ = UnsampledLine(error);
        mesh_.positions.clear();
    } catch (const std::exception& error) {
        unsampledLine_ = QStringLiteral("No mesh to show: %1").arg(QString::fromLocal8Bit(error.what()));
        mesh_.positions.clear();
    }
    upload();
}

void MeshView::upload()
{
    drawnFaces_ = 0;
    if (!shadedProgram_)
        return;
    // A whole fresh store each time: the driver need not wait for a frame still reading
    // the old one.
    vertexBuffer_.bind();
    vertexBuffer_.allocate(mesh_.positions.data(), int(mesh_.positions.size() * sizeof(float)));
    if (cornerVertices_ < mesh_.vertexCount())
        fillCornerBuffer(mesh_.vertexCount());
    drawnFaces_ = mesh_.faceCount();
}

// The same for every face and every sampling, so it is filled only when it must grow.
void MeshView::fillCornerBuffer(std::size_t vertices)
{
    // Corners 1 to 4 at (0, 0), (1, 0), (1, 1), (0, 1) of the face, in bytes read as 0..1.
    static constexpr std::uint8_t kCornerAt[4][2] = {{0, 0}, {255, 0}, {255, 255}, {0, 255}};
    std::vector<std::uint8_t> corners(vertices * 4);
    for (std::size_t v = 0; v < vertices; ++v) {
        const int corner = kTriangleCorners[v % kTriangleCorners.size()];
        corners[v * 4] = kCornerAt[corner][0];
        corners[v * 4 + 1] = kCornerAt[corner][1];
    }
    cornerBuffer_.bind();
    cornerBuffer_.allocate(corners.data(), int(corners.size()));
    cornerVertices_ = vertices;
}

void MeshView::paintGL()
{
    if (meshDirty_)
        refreshMesh();
    glClearColor(kBackground.redF(), kBackground.greenF(), kBackground.blueF(), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const QString line = statusLine();
    if (line.isEmpty())
        drawMesh();
    else
        drawStatusLine(line);
}

void MeshView::drawMesh()
{
    QOpenGLShaderProgram* program = wireframe_ ? wireProgram_.get() : shadedProgram_.get();
    if (!program || drawnFaces_ == 0)
        return;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    program->bind();
    const MeshBox meshBox = box();
    program->setUniformValue("viewProjection", camera_.projection(meshBox, size()) * camera_.view(meshBox));
    program->setUniformValue("exaggeration", float(exaggeration_));
    program->setUniformValue("highest", float(kTopHeight));
    program->setUniformValue("groundShade", wireframe_ ? kLineGroundShade : kGroundShade);
    program->setUniformValue("lightDirection", kLightDirection);
    {
        QOpenGLVertexArrayObject::Binder bound(&vertexArray_);
        vertexBuffer_.bind();
        program->enableAttributeArray(0);
        program->setAttributeBuffer(0, GL_FLOAT, 0, 3);
        if (wireframe_) {
            cornerBuffer_.bind();
            program->enableAttributeArray(1);
            glVertexAttribPointer(1, 2, GL_UNSIGNED_BYTE, GL_TRUE, 4, nullptr);
        } else {
            program->disableAttributeArray(1);
        }
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(drawnFaces_ * kTriangleCorners.size()));
    }
    program->release();
    glDisable(GL_DEPTH_TEST);
}

void MeshView::drawStatusLine(const QString& line)
{
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(12, 0, -12, 0), Qt::AlignCenter | Qt::TextWordWrap, line);
}

void MeshView::releaseOpenGl()
{
    vertexArray_.destroy();
    vertexBuffer_.destroy();
    cornerBuffer_.destroy();
    shadedProgram_.reset();
    wireProgram_.reset();
    cornerVertices_ = drawnFaces_ = 0;
    // A new context starts with empty buffers.
    meshDirty_ = true;
}

void MeshView::mousePressEvent(QMouseEvent* event)
{
    lastPointer_ = event->position();
}

void MeshView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF moved = event->position() - lastPointer_;
    lastPointer_ = event->position();
    if (event->buttons() & Qt::LeftButton)
        camera_.orbit(moved);
    else if (event->buttons() & (Qt::RightButton | Qt::MiddleButton))
        camera_.pan(moved, size());
    else
        return;
    update();
}

void MeshView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        resetView();
}

void MeshView::wheelEvent(QWheelEvent* event)
{
    camera_.zoomAt(event->position(), event->angleDelta().y() / 120.0, size());
    update();
}
