#include "ui/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/WindowFont.h"
#include "ui/PlainKeyButton.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowPlacement.h"

namespace {

constexpr QSize kOuterSize(463, 322);
// What the controls cover: up to the OK button's right and bottom edges.
constexpr QSize kContentSize(451, 293);

}  // namespace

QString HelpText()
{
    QFile file(QStringLiteral(":/ui/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Help for Relief_Foundry"));
    setWindowIcon(ProgramIcon());
    setWindowModality(Qt::ApplicationModal);
    setFont(WindowFont());

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // The controls keep their places; a window smaller than they need scrolls instead.
    // The scroll area is no stop of the tab chain: Tab goes memo, OK, memo.
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->setPalette(black);
    auto* content = new QWidget;
    content->setFixedSize(kContentSize);
    content->setPalette(black);
    content->setAutoFillBackground(true);

    memo_ = new QPlainTextEdit(content);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setGeometry(4, 12, 445, 249);
    memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setTabChangesFocus(true);
    memo_->setPalette(QPalette());  // the usual white box with black text, not the window's black
    memo_->setPlainText(HelpText());
    memo_->setTabStopDistance(8 * memo_->fontMetrics().horizontalAdvance(QLatin1Char(' ')));

    okButton_ = new PlainKeyButton(QStringLiteral("OK"), content);
    okButton_->setObjectName(QStringLiteral("Button1"));
    okButton_->setGeometry(420, 268, 31, 25);
    okButton_->setPalette(QPalette());
    // Enter clicks the button only while it has the focus; it is never the default.
    okButton_->setAutoDefault(true);
    okButton_->setDefault(false);
    connect(okButton_, &QPushButton::clicked, this, &QWidget::close);

    scrollArea_->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea_);
    setTabOrder(memo_, okButton_);
    memo_->setFocus();
    // Windows-like frame: the client area is what the outer size leaves.
    resize(kOuterSize.width() - 8, kOuterSize.height() - 27);
}

void HelpWindow::showModal()
{
    if (!shownBefore_) {
        shownBefore_ = true;
        CentreOnScreen(this, kOuterSize);
    }
    activeBefore_ = QApplication::activeWindow();
    show();
    raise();
    activateWindow();
}

// Window managers give the focus back by themselves; a bare X display would leave the
// keyboard with nobody.
void HelpWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (activeBefore_ && activeBefore_ != this && activeBefore_->isVisible())
        activeBefore_->activateWindow();
}
