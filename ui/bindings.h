#pragma once
// Run-time binding records: a bit field plus the control that shows it.

#include <cstdint>

class QCheckBox;
class QComboBox;
class TRadioGroup;
class TTrackBar;
class TEdit;
class QWidget;

struct BitBinding {
    std::uint8_t Register = 0;
    std::int32_t Bit = 0;
    QWidget* Control = nullptr; // QCheckBox or TRadioGroup; null: no binding for this Tag
};

struct FieldBinding {
    std::uint8_t Register = 0;
    std::int32_t Shift = 0;
    std::int32_t Width = 0;
    QComboBox* Control = nullptr;
};

struct AttenuationChannel {
    std::uint8_t Register = 0;
    std::int32_t ZeroDbValue = 0;
    TTrackBar* TrackBar = nullptr;
    TEdit* Edit = nullptr;
};
