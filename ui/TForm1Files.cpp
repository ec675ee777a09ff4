#include "ui/TForm1.h"

void TForm1::NewBMP1Click() {}
void TForm1::LoadBMP1Click() {}
void TForm1::SaveBMP1Click() {}
