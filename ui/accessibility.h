#pragma once
// What screen readers and UI-automation tools see of the controls that the
// program draws itself: the tab rows with one page tab per page, the image
// buttons as buttons, and pictures whose look carries a state.

#include <QVariant>

#include <functional>

class QWidget;

namespace accessibility {

// Gives TTabRows and TImageButton their accessible interfaces (once per run).
void install();

// Keeps `picture`'s accessible name in step with the dynamic property
// `property` that records what it shows: the name is describe(value), now and
// after every change of the property.
void nameFromProperty(QWidget* picture, const char* property,
                      std::function<QString(const QVariant&)> describe);

} // namespace accessibility
