#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "MainWindowFixture.h"
#include "ui/KeyRouter.h"
#include "ui/UpDown.h"

namespace {

class KeyRoutingTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        preview = window->findChild<KeyRouter*>();
        ASSERT_NE(preview, nullptr);
        previewed = std::make_unique<QSignalSpy>(preview, &KeyRouter::keyPressed);
        clicks = std::make_unique<QSignalSpy>(colourButton, &QPushButton::clicked);
    }

    void Press(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        focus->setFocus();
        QTest::keyClick(focus, key, modifiers);
    }

    // The keys previewed, leaving out Shift, Ctrl and Alt pressed on their own
    // (QTest presses them around a key with modifiers, as a user does).
    std::vector<std::pair<int, ShiftState>> Previewed() const
    {
        std::vector<std::pair<int, ShiftState>> keys;
        for (const QList<QVariant>& call : *previewed) {
            const int key = call[0].toInt();
            if (key < 16 || key > 18)
                keys.emplace_back(key, call[1].toUInt());
        }
        return keys;
    }

    KeyRouter* preview = nullptr;
    std::unique_ptr<QSignalSpy> previewed;
    std::unique_ptr<QSignalSpy> clicks;
};

TEST_F(KeyRoutingTest, EnterClicksTheColourButtonWhereverTheFocusIs)
{
    Press(gridSizeBox, Qt::Key_Return);
    Press(nibSizeBox, Qt::Key_Return);
    Press(colourButton, Qt::Key_Return);
    Press(gridSizeBox, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks->count(), 4);
    EXPECT_EQ(previewed->count(), 0);
}

// Enter with Shift, Ctrl or Alt goes to the window's key handler and nowhere else,
// whichever control has the focus: the Colour button itself does not take it as a click.
TEST_F(KeyRoutingTest, EnterWithShiftCtrlOrAltIsOnlyPreviewed)
{
    struct Modifier {
        Qt::KeyboardModifier qt;
        ShiftState shift;
    };
    const Modifier modifiers[] = {{Qt::ShiftModifier, kShiftKey}, {Qt::ControlModifier, kCtrlKey},
                                  {Qt::AltModifier, kAltKey}};
    for (QWidget* focus : std::initializer_list<QWidget*>{gridSizeBox, colourButton, nibSizeBox}) {
        for (const Modifier& modifier : modifiers) {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
                previewed->clear();
                const Qt::KeyboardModifiers held =
                    key == Qt::Key_Enter ? modifier.qt | Qt::KeypadModifier : Qt::KeyboardModifiers(modifier.qt);
                Press(focus, key, held);
                const std::vector<std::pair<int, ShiftState>> expected = {{13, modifier.shift}};
                EXPECT_EQ(Previewed(), expected) << focus->objectName().toStdString() << " " << modifier.shift;
                EXPECT_EQ(QApplication::focusWidget(), focus);
            }
        }
    }
    EXPECT_EQ(clicks->count(), 0);
    EXPECT_TRUE(dialogs.colourRequests.empty());
    EXPECT_EQ(gridSizeBox->text(), "50");
    EXPECT_EQ(nibSizeBox->text(), "10");
}

TEST_F(KeyRoutingTest, TabCyclesGridBoxColourButtonNibBox)
{
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->metaObject()->className();
    }
    EXPECT_EQ(visited, QStringList({"QPushButton", "NumberBox", "NumberBox", "QPushButton"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(nibSizeBox));
    EXPECT_EQ(previewed->count(), 0);
}

TEST_F(KeyRoutingTest, F1IsTakenByTheHelpMenuWithNoVisibleEffect)
{
    QSignalSpy helpPressed(helpMenu, &QAction::triggered);
    Press(gridSizeBox, Qt::Key_F1);
    EXPECT_EQ(helpPressed.count(), 1);
    EXPECT_EQ(previewed->count(), 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(help->isVisible());
}

struct KeyRow {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int virtualKey;
    ShiftState shift;
};

class PreviewedKeys : public KeyRoutingTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(PreviewedKeys, ReachTheWindowHandlerWithTheirKeyCode)
{
    const KeyRow& row = GetParam();
    Press(nibSizeBox, row.key, row.modifiers);
    const std::vector<std::pair<int, ShiftState>> expected = {{row.virtualKey, row.shift}};
    EXPECT_EQ(Previewed(), expected);
    EXPECT_EQ(nibSizeBox->text(), "10");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PreviewedKeys,
    ::testing::Values(KeyRow{"KeypadPlus", Qt::Key_Plus, Qt::KeypadModifier, 107, 0},
                      KeyRow{"KeypadMinus", Qt::Key_Minus, Qt::KeypadModifier, 109, 0},
                      KeyRow{"CtrlKeypadMinus", Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier, 109,
                             kCtrlKey},
                      KeyRow{"MainPlusIsNoKeypadPlus", Qt::Key_Plus, Qt::ShiftModifier, 0, kShiftKey},
                      KeyRow{"Slash", Qt::Key_Slash, Qt::NoModifier, 191, 0},
                      KeyRow{"QuestionMark", Qt::Key_Question, Qt::ShiftModifier, 191, kShiftKey},
                      KeyRow{"LetterA", Qt::Key_A, Qt::NoModifier, 65, 0},
                      KeyRow{"F2", Qt::Key_F2, Qt::NoModifier, 113, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyRoutingTest, APreviewedKeyGoesOnToTheFocusedControlAfterwards)
{
    QString textWhenPreviewed;
    QObject::connect(preview, &KeyRouter::keyPressed,
                     [&] { textWhenPreviewed = nibSizeBox->text(); });
    Press(nibSizeBox, Qt::Key_Up);
    ASSERT_EQ(previewed->count(), 1);
    EXPECT_EQ((*previewed)[0][0].toInt(), 0);  // a key the handler has no use for
    EXPECT_EQ(textWhenPreviewed, "10");
    EXPECT_EQ(nibSizeBox->text(), "11");
    EXPECT_EQ(nibSizeUpDown->position(), 11);
}

}  // namespace
