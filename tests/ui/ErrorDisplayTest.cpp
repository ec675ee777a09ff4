#include <QAction>
#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "model/EditorError.h"
#include "ui/ErrorDisplay.h"

namespace {

struct TitleRow {
    const char* path;
    const char* title;
};

class AppTitleRows : public ::testing::TestWithParam<TitleRow> {};

TEST_P(AppTitleRows, NameWithoutFolderCutAtTheFirstFullStop)
{
    EXPECT_EQ(AppTitleFromPath(QString::fromLatin1(GetParam().path)), QString::fromLatin1(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(Paths, AppTitleRows,
                         ::testing::Values(TitleRow{"/usr/bin/relief_foundry", "relief_foundry"},
                                           TitleRow{"/opt/EDITOR.EXE", "Editor"},
                                           TitleRow{"/home/u/my.prog.v2", "my"},
                                           TitleRow{"Relief_FOUNDRY", "Relief_foundry"},
                                           TitleRow{"/srv/.hidden", ""}));

TEST(ErrorDisplayTest, TheApplicationTitleComesFromThisProgramsFile)
{
    EXPECT_EQ(AppTitle(), "test_ui");
}

TEST(ErrorDisplayTest, AGuardedHandlerShowsItsFailureAndTheProgramGoesOn)
{
    ScriptedDialogs dialogs;
    QWidget window;
    QAction item(&window);
    int runs = 0;
    QObject::connect(&item, &QAction::triggered, &window, Guarded(&window, [&] {
                         ++runs;
                         throw EditorError(Failure::BitmapNotValid);
                     }));
    item.trigger();
    item.trigger();
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, AppTitle());
    EXPECT_EQ(dialogs.messages[0].text, "Bitmap image is not valid.");
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Critical);
}

TEST(ErrorDisplayTest, TheFullStopIsAlwaysAppended)
{
    ScriptedDialogs dialogs;
    ShowError(nullptr, QStringLiteral("I/O error 28."));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "I/O error 28..");
}

// Throws out of its own event handling, where no handler guard stands.
class Throwing : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw EditorError(Failure::AccessDenied);
        return QObject::event(event);
    }
};

TEST(ErrorDisplayTest, TheApplicationCatchesWhatEscapesAnEvent)
{
    ScriptedDialogs dialogs;
    Throwing target;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&target, &event);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "File access denied.");
    EXPECT_EQ(dialogs.messages[0].title, AppTitle());
}

}  // namespace
