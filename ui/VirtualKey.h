#pragma once
#include <Qt>

// The key codes the window's key handler works with, the Windows virtual-key numbers:
// 107 keypad plus, 109 keypad minus, 191 the slash and question-mark key, 13 Enter, 16,
// 17 and 18 Shift, Ctrl and Alt; letters, digits and function keys by their own numbers
// (65 for A, 112 for F1). Every other key gives 0.
int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
