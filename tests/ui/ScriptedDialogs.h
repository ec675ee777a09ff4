#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "ui/Dialogs.h"

// Answers the windows' dialogs from queues and records every request. Installed for
// its lifetime. A request with no answer queued is answered with a cancel.
class ScriptedDialogs : public Dialogs {
public:
    struct FileRequest {
        FileDialogSettings settings;
        QString caption;  // the owner window's caption while the dialog was up
    };
    struct ColourRequest {
        ColourValue initial;
    };
    struct MeshSettingsRequest {
        SolidSettings current;
    };
    struct MessageRequest {
        QString title;
        QString text;
        Icon icon;
    };
    struct ProgressRequest {
        QString title;
        QString label;
        std::vector<double> updates;  // every fraction reported
        bool closed = false;          // the display has gone
    };

    ScriptedDialogs() { SetDialogs(this); }
    ~ScriptedDialogs() override { SetDialogs(nullptr); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Answers, taken front first; std::nullopt stands for Cancel.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<ColourValue>> colourAnswers;
    std::deque<std::optional<SolidSettings>> meshSettingsAnswers;

    // What was asked, in order.
    std::vector<FileRequest> openRequests;
    std::vector<FileRequest> saveRequests;
    std::vector<ColourRequest> colourRequests;
    std::vector<MeshSettingsRequest> meshSettingsRequests;
    std::vector<MessageRequest> messages;
    std::vector<ProgressRequest> progressRequests;
    // The update (counting from 1, over every progress display) at which the user
    // presses Cancel; 0 for never.
    int cancelProgressAt = 0;

    // Runs while a dialog "is open", e.g. to look at the window behind it.
    std::function<void()> whileOpen;

    std::optional<QString> openFileName(QWidget* parent, const FileDialogSettings& settings) override
    {
        openRequests.push_back({settings, CaptionOf(parent)});
        return Next(openAnswers);
    }

    std::optional<QString> saveFileName(QWidget* parent, const FileDialogSettings& settings) override
    {
        saveRequests.push_back({settings, CaptionOf(parent)});
        return Next(saveAnswers);
    }

    std::optional<ColourValue> chooseColour(QWidget*, ColourValue initial) override
    {
        colourRequests.push_back({initial});
        return Next(colourAnswers);
    }

    std::optional<SolidSettings> meshSettings(QWidget*, const SolidSettings& current) override
    {
        meshSettingsRequests.push_back({current});
        return Next(meshSettingsAnswers);
    }

    void message(QWidget*, const QString& title, const QString& text, Icon icon) override
    {
        messages.push_back({title, text, icon});
        if (whileOpen)
            whileOpen();
    }

    std::unique_ptr<ProgressDisplay> progress(QWidget*, const QString& title, const QString& label) override
    {
        progressRequests.push_back({title, label, {}, false});
        return std::make_unique<ScriptedProgress>(*this, progressRequests.size() - 1);
    }

private:
    class ScriptedProgress : public ProgressDisplay {
    public:
        ScriptedProgress(ScriptedDialogs& owner, std::size_t request) : owner_(owner), request_(request) {}
        ~ScriptedProgress() override { owner_.progressRequests[request_].closed = true; }
        bool update(double fraction) override
        {
            owner_.progressRequests[request_].updates.push_back(fraction);
            ++owner_.progressUpdates_;
            return owner_.cancelProgressAt == 0 || owner_.progressUpdates_ < owner_.cancelProgressAt;
        }

    private:
        ScriptedDialogs& owner_;
        std::size_t request_;
    };

    int progressUpdates_ = 0;

    static QString CaptionOf(QWidget* parent) { return parent ? parent->window()->windowTitle() : QString(); }

    template <class T>
    std::optional<T> Next(std::deque<std::optional<T>>& answers)
    {
        if (whileOpen)
            whileOpen();
        std::optional<T> answer;
        if (!answers.empty()) {
            answer.swap(answers.front());
            answers.pop_front();
        }
        return answer;
    }
};
