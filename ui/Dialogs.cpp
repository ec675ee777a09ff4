#include "ui/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

#include "ui/MeshSettingsDialog.h"

namespace {

// The window that was active before a modal dialog is active again after it (or, when
// none was, because a dialog just closed, the dialog's own window). Window managers do
// this themselves; on a bare X display the keyboard would go nowhere.
class ReactivateAfter {
public:
    explicit ReactivateAfter(QWidget* parent)
        : window_(QApplication::activeWindow() ? QApplication::activeWindow()
                                               : parent ? parent->window() : nullptr)
    {
    }
    ~ReactivateAfter()
    {
        if (window_ && window_->isVisible())
            window_->activateWindow();
    }

private:
    QPointer<QWidget> window_;
};

// Runs a modal dialog with the keyboard in it. Window managers focus a new dialog; on a
// bare X display the keys would stay with the blocked window behind it.
int RunModal(QDialog& dialog)
{
    dialog.show();
    dialog.activateWindow();
    return dialog.exec();
}

// Qt shows only the part before the last parenthesised pattern when details are
// hidden, so the label keeps its own "(*.DXF)" and the pattern goes after it.
QString NameFilter(const QString& label, const QString& pattern)
{
    return label + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

// "*.DXF" is stored as the default extension; the dialog wants the bare suffix.
QString Suffix(const QString& defaultExtension)
{
    QString suffix = defaultExtension;
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix;
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogSettings& settings, bool save)
{
    ReactivateAfter reactivate(parent);
    QFileDialog dialog(parent, settings.title);
    // Qt's own dialog on every desktop, so the filter label and prompts look the same.
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
    if (!settings.overwritePrompt)
        options |= QFileDialog::DontConfirmOverwrite;
    dialog.setOptions(options);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open dialog makes no existence check: the load reports a missing file itself.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!settings.filterLabel.isEmpty() || !settings.filterPattern.isEmpty()) {
        QStringList filters{NameFilter(settings.filterLabel, settings.filterPattern)};
        for (const FileFilter& more : settings.moreFilters)
            filters << NameFilter(more.label, more.pattern);
        dialog.setNameFilters(filters);
    }
    dialog.setDefaultSuffix(Suffix(settings.defaultExtension));
    if (save && !settings.moreFilters.isEmpty()) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            // "16-bit RAW (*.r16 *.raw) (*.r16 *.raw)": the first pattern of the last group.
            const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
            const QString first = filter.mid(open + 1).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')'));
            dialog.setDefaultSuffix(Suffix(first));
        });
    }
    if (!settings.fileName.isEmpty())
        dialog.selectFile(settings.fileName);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// Qt's progress dialog: it shows itself once the work has taken half a second, and from
// then on keeps the program's windows drawn and its Cancel button alive at every update.
class QtProgress : public ProgressDisplay {
public:
    QtProgress(QWidget* parent, const QString& title, const QString& label)
        : dialog_(label, QStringLiteral("Cancel"), 0, kSteps, parent)
    {
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setValue(0);  // starts the half-second clock
    }

    bool update(double fraction) override
    {
        const int value = static_cast<int>(fraction * kSteps);
        if (value > dialog_.value())
            dialog_.setValue(std::min(value, kSteps));
        return !dialog_.wasCanceled();
    }

private:
    static constexpr int kSteps = 1000;
    QProgressDialog dialog_;
};

class QtDialogs : public Dialogs {
public:
    // Qt would offer the custom colours a previous run saved; every run starts afresh.
    QtDialogs()
    {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);
    }

    std::optional<QString> openFileName(QWidget* parent, const FileDialogSettings& settings) override
    {
        return RunFileDialog(parent, settings, false);
    }

    std::optional<QString> saveFileName(QWidget* parent, const FileDialogSettings& settings) override
    {
        return RunFileDialog(parent, settings, true);
    }

    // QColorDialog keeps its 16 custom colours for the rest of the run by itself.
    std::optional<ColourValue> chooseColour(QWidget* parent, ColourValue initial) override
    {
        const QColor start(RedOf(initial), GreenOf(initial), BlueOf(initial));
        ReactivateAfter reactivate(parent);
        QColorDialog dialog(start, parent);
        if (RunModal(dialog) != QDialog::Accepted)
            return std::nullopt;
        const QColor chosen = dialog.selectedColor();
        return MakeColour(chosen.red(), chosen.green(), chosen.blue());
    }

    std::optional<SolidSettings> meshSettings(QWidget* parent, const SolidSettings& current) override
    {
        ReactivateAfter reactivate(parent);
        MeshSettingsDialog dialog(current, parent);
        if (RunModal(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.settings();
    }

    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override
    {
        ReactivateAfter reactivate(parent);
        QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon, title, text,
                        QMessageBox::Ok, parent);
        box.setWindowModality(Qt::ApplicationModal);
        RunModal(box);
    }

    std::unique_ptr<ProgressDisplay> progress(QWidget* parent, const QString& title, const QString& label) override
    {
        return std::make_unique<QtProgress>(parent, title, label);
    }
};

QtDialogs& RealDialogs()
{
    static QtDialogs dialogs;
    return dialogs;
}

Dialogs* installed = nullptr;

}  // namespace

Dialogs& CurrentDialogs()
{
    return installed ? *installed : RealDialogs();
}

void SetDialogs(Dialogs* dialogs)
{
    installed = dialogs;
}
