#include "ui/TForm2.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/ErrorDisplay.h"
#include "ui/FormFont.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowPlacement.h"

TForm2* Form2 = nullptr;

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

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window)
{
    Form2 = this;
    setWindowTitle(QStringLiteral("Help for Relief_Foundry"));
    setWindowIcon(ProgramIcon());
    setWindowModality(Qt::ApplicationModal);
    setFont(FormFont());

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // The controls keep their places; a window smaller than they need scrolls instead.
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->setPalette(black);
    auto* content = new QWidget;
    content->setFixedSize(kContentSize);
    content->setPalette(black);
    content->setAutoFillBackground(true);

    Memo1 = new QPlainTextEdit(content);
    Memo1->setGeometry(4, 12, 445, 249);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->setPalette(QPalette());  // the usual white box with black text, not the window's black
    Memo1->setPlainText(HelpText());
    Memo1->setTabStopDistance(8 * Memo1->fontMetrics().horizontalAdvance(QLatin1Char(' ')));

    Button1 = new QPushButton(QStringLiteral("OK"), content);
    Button1->setGeometry(420, 268, 31, 25);
    Button1->setPalette(QPalette());
    // Enter clicks the button only while it has the focus; it is never the default.
    Button1->setAutoDefault(true);
    Button1->setDefault(false);
    connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { Button1Click(); }));

    scrollArea_->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea_);
    setTabOrder(Memo1, Button1);
    Memo1->setFocus();
    // Windows-like frame: the client area is what the outer size leaves.
    resize(kOuterSize.width() - 8, kOuterSize.height() - 27);
}

TForm2::~TForm2()
{
    if (Form2 == this)
        Form2 = nullptr;
}

void TForm2::Button1Click()
{
    close();
}

void TForm2::ShowModal()
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
void TForm2::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (activeBefore_ && activeBefore_ != this && activeBefore_->isVisible())
        activeBefore_->activateWindow();
}
