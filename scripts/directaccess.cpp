// Direct register access and the history log.

#include "app/TForm1.h"

#include <QPlainTextEdit>

void TForm1::ReadClick() {}
void TForm1::WriteClick() {}
void TForm1::RDA_regKeyUp(int) {}
void TForm1::RDA_dataKeyUp(int) {}
void TForm1::KeyPressStopBeep(QChar, bool*) {}
void TForm1::bClearHistryClick() {}
void TForm1::bSaveHistryClick() {}
void TForm1::AppendHistory(const QString& line) { Memo1->appendPlainText(line); }
