// The eight DAC attenuators.

#include "app/TForm1.h"

void TForm1::FillAttenuation() {}
void TForm1::TrackChange(TTrackBar*) {}
void TForm1::TrackEditKeyUp(TEdit*, int) {}
void TForm1::AttenuationRangeUpdate() {}
QString TForm1::dbText(int) const { return {}; }
