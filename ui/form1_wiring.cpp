// Connections of every control to its handler. Each handler runs through
// guarded(), so an error it raises ends the event in the general error report.

#include "TForm1.h"

#include "widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

void TForm1::connectHandlers()
{
    // Panel families on the tab pages: one handler each, the Tag picks the binding.
    // Combo boxes answer only the user (activated); setting them from code must stay silent.
    for (QComboBox* cb : MainTab->findChildren<QComboBox*>())
        connect(cb, &QComboBox::activated, this, [this, cb] { guarded([&] { ComboBoxChange(cb); }); });
    // Check boxes answer code as well (toggled): RefreshControls relies on it.
    for (QCheckBox* c : MainTab->findChildren<QCheckBox*>()) {
        if (c->objectName() == QLatin1String("cHPCC")) continue; // hidden, no binding, no effect
        connect(c, &QCheckBox::toggled, this, [this, c] { guarded([&] { CheckBoxChecked(c); }); });
    }
    for (TRadioGroup* rg : MainTab->findChildren<TRadioGroup*>())
        connect(rg, &TRadioGroup::click, this, [this, rg] { guarded([&] { RadioGroupClick(rg); }); });
    for (TTrackBar* tk : MainTab->findChildren<TTrackBar*>())
        connect(tk, &TTrackBar::change, this, [this, tk] { guarded([&] { TrackChange(tk); }); });

    auto keyPress = [this](TEdit* ed) {
        connect(ed, &TEdit::keyPress, this,
                [this](QChar ch, bool* swallow) { guarded([&] { KeyPressStopBeep(ch, swallow); }); });
    };
    for (TEdit* ed : MainTab->findChildren<TEdit*>()) {
        keyPress(ed);
        connect(ed, &TEdit::keyUp, this, [this, ed](int key) { guarded([&] { TrackEditKeyUp(ed, key); }); });
    }
    keyPress(RDA_reg);
    connect(RDA_reg, &TEdit::keyUp, this, [this](int key) { guarded([&] { RDA_regKeyUp(key); }); });
    keyPress(RDA_data);
    connect(RDA_data, &TEdit::keyUp, this, [this](int key) { guarded([&] { RDA_dataKeyUp(key); }); });

    // Image buttons: pressed look for any mouse button, the action for a left click.
    const std::pair<TImageButton*, void (TForm1::*)()> images[] = {
        {imgSave, &TForm1::bSaveHistryClick}, {imgClear, &TForm1::bClearHistryClick},
        {imgRead, &TForm1::ReadClick},        {imgWrite, &TForm1::WriteClick},
        {imgExit, &TForm1::ExitClick},
    };
    for (const auto& [b, handler] : images) {
        connect(b, &TImageButton::mouseDown, this, [this, b = b] { guarded([&] { imgMouseDown(b); }); });
        connect(b, &TImageButton::mouseUp, this, [this, b = b] { guarded([&] { imgMouseUp(b); }); });
        connect(b, &TImageButton::click, this, [this, h = handler] { guarded([&] { (this->*h)(); }); });
    }

    // Push buttons. The two of the hidden overflow group have no action.
    const std::pair<const char*, void (TForm1::*)()> buttons[] = {
        {"btnZeroClr", &TForm1::btnZeroClrClick}, {"btnZeroRead", &TForm1::btnZeroReadClick},
        {"btnMRST", &TForm1::btnMRSTClick},       {"btnSRST", &TForm1::btnSRSTClick},
        {"bBDRST", &TForm1::bBDRSTClick},
    };
    for (const auto& [name, handler] : buttons) {
        auto* b = qobject_cast<QPushButton*>(control(QLatin1String(name)));
        connect(b, &QPushButton::clicked, this, [this, h = handler] { guarded([&] { (this->*h)(); }); });
    }

    connect(rgInterface, &TRadioGroup::click, this, [this] { guarded([&] { rgInterfaceClick(); }); });
    connect(cbAddr, &QComboBox::activated, this, [this] { guarded([&] { cbAddrChange(); }); });

    const std::pair<const char*, void (TForm1::*)()> actions[] = {
        {"Open1", &TForm1::Open1Click},   {"SaveRegisterDump", &TForm1::SaveRegisterDumpClick},
        {"Exit1", &TForm1::ExitClick},    {"RegisterMap1", &TForm1::RegisterMap1Click},
        {"About2", &TForm1::About2Click},
    };
    for (const auto& [name, handler] : actions) {
        auto* a = findChild<QAction*>(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, h = handler] { guarded([&] { (this->*h)(); }); });
    }
}
