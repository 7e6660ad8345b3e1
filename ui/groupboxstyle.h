#pragma once
// Group boxes whose frame line runs through the middle of the caption.
//
// The window's coordinates place controls just below a caption, as on the
// desktop the layout was made for, where the frame's top line runs through
// the caption. Styles such as Fusion put the caption above the frame and start
// the frame a whole line lower, so it would cut through those controls.

class QGroupBox;

// Draws `box` (a titled, not checkable group box) with its frame's top line
// through the middle of the caption, whatever the application's style.
void frameThroughCaption(QGroupBox* box);
