#pragma once
#include <memory>

#include <QApplication>
#include <QLineEdit>
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
