#pragma once
#include <memory>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "ui/TForm1.h"
#include "ui/TForm2.h"

// A fresh pair of windows per test, built as the program builds them, with every
// dialog answered by the script. The main window is shown and active, so keys and
// focus behave as on the desktop.
class Form1Fixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm1;
        help = new TForm2;
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form);
        // A test that ended with a mouse button held would hand it on to this one.
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            if (QApplication::mouseButtons() & button)
                QTest::mouseRelease(form->centralWidget(), button, Qt::NoModifier, QPoint(402, 250));
        }
    }

    void TearDown() override
    {
        delete help;
        delete form;
    }

    ScriptedDialogs dialogs;
    TForm1* form = nullptr;
    TForm2* help = nullptr;
};
