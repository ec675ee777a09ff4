#pragma once
#include <Qt>

// The key codes the window's key handler works with (the Windows virtual-key numbers:
// 107 keypad plus, 109 keypad minus, 191 the slash and question-mark key, 112 F1 ...).
// Keys without such a number give 0.
int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
