#include "ui/TForm1.h"

void TForm1::SpeedButton1Click() {}
void TForm1::SpeedButton2Click() {}
void TForm1::SpeedButton3Click() {}
void TForm1::SpeedButton3DblClick() {}
void TForm1::ENibSizeChange() {}
void TForm1::Image1MouseDown(Qt::MouseButton, ShiftState, int, int) {}
void TForm1::Image1MouseUp(Qt::MouseButton, ShiftState, int, int) {}
void TForm1::Image1MouseMove(ShiftState, int, int) {}
void TForm1::Button1Click() {}
void TForm1::UpDown2Click(bool) {}
void TForm1::FormKeyDown(int, ShiftState) {}
