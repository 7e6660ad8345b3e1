#pragma once
// The window's pictures, drawn by the program.

#include <QPixmap>
#include <QVector>

#include <functional>

class QLabel;

namespace pictures {

constexpr int kButtonPlateHeight = 25; // one row more than the 24-pixel button, cut off at the bottom

QPixmap banner();                                    // 360 x 19, green title on transparent
QPixmap logo();                                      // 162 x 19
QPixmap buttonPlate(const QString& word, int width); // dark grey bevelled plate, white word
QVector<QPixmap> lamps();                            // 16 x 16: 0 unlit, 1 red, 2 green
QVector<QPixmap> connectionPlates();                 // 72 x 19: 0 "No EVM" (red), 1 "Connected" (green)

// Gives `label` the picture that `draw` makes, at the label's first paint.
// Text in a bold or large face loads a font of its own, which start-up need
// not wait for.
void setWhenFirstPainted(QLabel* label, std::function<QPixmap()> draw);

} // namespace pictures
