#pragma once
#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QScrollArea;

// The help window: a fixed quick-help text in an editable memo above an OK button.
// Created once, hidden; closing it only hides it, so typed text, place and size last
// for the whole run.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;

    void Button1Click();

    // Shows the window over the others, which take no input until it is closed. It
    // returns at once: the event loop that runs anyway serves the window.
    void ShowModal();

    QScrollArea* scrollArea() const { return scrollArea_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QScrollArea* scrollArea_ = nullptr;
    QPointer<QWidget> activeBefore_;  // activated again when the window closes
    bool shownBefore_ = false;
};

extern TForm2* Form2;

// The 47 lines of the quick help, as shipped.
QString HelpText();
