#pragma once
#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QScrollArea;

// The help window: a fixed quick-help text in an editable memo ("Memo1") above an OK
// button ("Button1"). Created once, hidden; closing it only hides it, so typed text,
// place and size last for the whole run.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the window over the others, which take no input until it is closed. It
    // returns at once: the event loop that runs anyway serves the window.
    void showModal();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QPointer<QWidget> activeBefore_;  // activated again when the window closes
    bool shownBefore_ = false;
};

// The 47 lines of the quick help, as shipped.
QString HelpText();
