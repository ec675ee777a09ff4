#include "ui/PreviewWindow.h"

#include <QAction>
#include <QBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

#include "preview/MeshView.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowPlacement.h"

namespace {

constexpr QSize kFirstSize(800, 600);

QToolButton* ButtonFor(QAction* action, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setObjectName(action->objectName());
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

PreviewWindow::PreviewWindow(const EditorState& state, const ImageSurface& surface, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("3D Preview"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QWidget(this);
    layout->addWidget(bar);

    const QString unavailable = MeshView::openGlUnavailableReason();
    if (unavailable.isEmpty()) {
        view_ = new MeshView(state, surface, this);
        view_->setObjectName(QStringLiteral("MeshView"));
        layout->addWidget(view_, 1);
        setFocusProxy(view_);
    } else {
        // The rest of the program carries on without a preview.
        unavailable_ = new QLabel(unavailable, this);
        unavailable_->setObjectName(QStringLiteral("PreviewUnavailable"));
        unavailable_->setAlignment(Qt::AlignCenter);
        unavailable_->setWordWrap(true);
        layout->addWidget(unavailable_, 1);
    }
    buildControls(bar);
    resize(kFirstSize);
}

void PreviewWindow::buildControls(QWidget* bar)
{
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 4, 8, 4);
    auto* label = new QLabel(QStringLiteral("Vertical &exaggeration:"), bar);
    exaggeration_ = new QSpinBox(bar);
    exaggeration_->setObjectName(QStringLiteral("Exaggeration"));
    exaggeration_->setRange(1, 10);
    exaggeration_->setSuffix(QStringLiteral("x"));
    exaggeration_->setToolTip(QStringLiteral("Draws the heights higher; the DXF export is not changed"));
    label->setBuddy(exaggeration_);

    wireframeAction_ = new QAction(QStringLiteral("Wireframe"), this);
    wireframeAction_->setObjectName(QStringLiteral("Wireframe"));
    wireframeAction_->setCheckable(true);
    wireframeAction_->setShortcut(QKeySequence(Qt::Key_W));
    wireframeAction_->setToolTip(QStringLiteral("Draw the faces' edges only (W)"));
    resetViewAction_ = new QAction(QStringLiteral("Reset View"), this);
    resetViewAction_->setObjectName(QStringLiteral("ResetView"));
    resetViewAction_->setShortcut(QKeySequence(Qt::Key_Home));
    resetViewAction_->setToolTip(QStringLiteral("Three-quarter view of the whole mesh (Home, or double-click)"));
    // The keys work anywhere in this window, and only here.
    for (QAction* action : {wireframeAction_, resetViewAction_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    auto* hint = new QLabel(QStringLiteral("Left drag: orbit    Right drag: pan    Wheel: zoom"), bar);
    hint->setEnabled(false);
    row->addWidget(label);
    row->addWidget(exaggeration_);
    row->addSpacing(12);
    row->addWidget(ButtonFor(wireframeAction_, bar));
    row->addWidget(ButtonFor(resetViewAction_, bar));
    row->addStretch(1);
    row->addWidget(hint);

    if (!view_) {
        bar->setEnabled(false);
        return;
    }
    connect(exaggeration_, &QSpinBox::valueChanged, view_, &MeshView::setExaggeration);
    connect(wireframeAction_, &QAction::toggled, view_, &MeshView::setWireframe);
    connect(resetViewAction_, &QAction::triggered, view_, &MeshView::resetView);
}

void PreviewWindow::showOrRaise()
{
    if (!isVisible()) {
        const bool first = placement_.isEmpty();
        if (first)
            CentreOnScreen(this, size());
        else
            restoreGeometry(placement_);
        show();
        if (view_) {
            // Showing has laid the window out: the view has its size to fit the mesh to.
            if (first)
                view_->resetView();
            view_->setFocus();
        }
    }
    raise();
    activateWindow();
}

void PreviewWindow::meshInputsChanged()
{
    if (view_)
        view_->meshInputsChanged();
}

void PreviewWindow::hideEvent(QHideEvent* event)
{
    // Minimising hides spontaneously; only closing counts as leaving a place.
    if (!event->spontaneous())
        placement_ = saveGeometry();
    QWidget::hideEvent(event);
}
