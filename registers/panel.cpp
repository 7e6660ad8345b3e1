// Check boxes, combo boxes and radio groups bound to register bit fields.

#include "app/TForm1.h"

void TForm1::FillBindings() {}
void TForm1::RefreshControls() {}
void TForm1::CheckBoxChecked(QCheckBox*) {}
void TForm1::ComboBoxChange(QComboBox*) {}
void TForm1::RadioGroupClick(TRadioGroup*) {}
