#pragma once
#include <memory>
#include <optional>

#include <QList>
#include <QString>

#include "model/Colour.h"
#include "model/SolidSettings.h"

class QWidget;

// One entry of a file dialog's filter list: the text shown and the patterns it lists.
struct FileFilter {
    QString label;    // e.g. "All files (*)"
    QString pattern;  // e.g. "*"
};

// The settings of a file dialog as the window stores them. Title empty means the
// platform's default title.
struct FileDialogSettings {
    QString title;
    QString filterLabel;    // e.g. "Data Exchange Format(*.DXF)"
    QString filterPattern;  // e.g. "*.DXF"
    QString defaultExtension;
    QString fileName;
    bool overwritePrompt = false;
    // Entries after the first, in order; mostly none. A save dialog with more filters adds
    // the chosen filter's first extension to a name typed without one, so the name says
    // which was chosen.
    QList<FileFilter> moreFilters = {};
};

// The progress of long work as the user sees it: a modal dialog with a bar and a Cancel
// button, shown only once the work has taken half a second. It goes when destroyed.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // fraction: 0 to 1. Returns false once the user has pressed Cancel.
    virtual bool update(double fraction) = 0;
};

// Every modal dialog the windows open goes through here, so tests can answer them.
class Dialogs {
public:
    enum class Icon { None, Critical };

    virtual ~Dialogs() = default;
    // The chosen file name, or nothing when cancelled.
    virtual std::optional<QString> openFileName(QWidget* parent, const FileDialogSettings& settings) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const FileDialogSettings& settings) = 0;
    // The chosen plain colour, or nothing when cancelled.
    virtual std::optional<ColourValue> chooseColour(QWidget* parent, ColourValue initial) = 0;
    // Options > Mesh Settings: the values chosen, or nothing when cancelled.
    virtual std::optional<SolidSettings> meshSettings(QWidget* parent, const SolidSettings& current) = 0;
    // A message box with one OK button.
    virtual void message(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;
    // The progress of work about to start, titled title, saying label.
    virtual std::unique_ptr<ProgressDisplay> progress(QWidget* parent, const QString& title, const QString& label) = 0;
};

// The real dialogs, used unless a test installs its own with SetDialogs.
Dialogs& CurrentDialogs();
void SetDialogs(Dialogs* dialogs);  // nullptr restores the real ones
