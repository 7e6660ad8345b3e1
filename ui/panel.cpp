// Check boxes, combo boxes and radio groups bound to register bit fields, and
// the refresh of every bound control from the register image.

#include "TForm1.h"

#include "globals.h"
#include "regviewform.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>

void TForm1::FillBindings()
{
    CheckBindings.fill({});
    ComboBindings.fill({});
    RadioBindings.fill({});
    for (const bind::CheckDef& d : bind::kCheckDefs)
        CheckBindings[d.tag] = {d.reg, d.bit, qobject_cast<QCheckBox*>(control(QLatin1String(d.control)))};
    for (const bind::ComboDef& d : bind::kComboDefs)
        ComboBindings[d.tag] = {d.reg, d.shift, d.width,
                                qobject_cast<QComboBox*>(control(QLatin1String(d.control)))};
    for (const bind::RadioDef& d : bind::kRadioDefs)
        RadioBindings[d.tag] = {d.reg, d.bit, qobject_cast<TRadioGroup*>(control(QLatin1String(d.control)))};
}

void TForm1::CheckBoxChecked(QCheckBox* sender)
{
    const int tag = tagOf(sender);
    // A box without a binding (cHPCC) or not the bound one does nothing.
    if (!sender || tag < 0 || tag >= bind::kCheckTagCount || CheckBindings[tag].Control != sender) return;
    const BitBinding& b = CheckBindings[tag];
    board_.WriteRegister(b.Register,
                         bind::withBit(board_.image().at(b.Register), b.Bit, sender->isChecked() ? 1 : 0));
}

void TForm1::ComboBoxChange(QComboBox* sender)
{
    const int tag = tagOf(sender);
    if (!sender || tag < 0 || tag >= bind::kComboCount || ComboBindings[tag].Control != sender) return;
    const int index = sender->currentIndex();
    if (index < 0) return; // no item chosen: there is no field value to write
    const FieldBinding& f = ComboBindings[tag];
    // The item index is the field's value (the board routes its clocks after
    // a master/slave field).
    board_.writeField(f.Register, f.Shift, f.Width, unsigned(index));
}

evm::Role TForm1::roleShown(const QComboBox* box)
{
    return box->currentIndex() == 0 ? evm::Role::Slave : evm::Role::Master;
}

void TForm1::RadioGroupClick(TRadioGroup* sender)
{
    const int tag = tagOf(sender);
    if (!sender || tag < 0 || tag >= bind::kRadioCount || RadioBindings[tag].Control != sender) return;
    const int index = sender->itemIndex();
    if (index < 0) return;
    const BitBinding& b = RadioBindings[tag];
    board_.WriteRegister(b.Register, bind::withBit(board_.image().at(b.Register), b.Bit, index));
    if (tag == 1) AttenuationRangeUpdate();
}

// Setting a check box, radio group or track bar here raises its change event
// when its state flips, so the handlers above rewrite fields the controls did
// not show yet; the caller steers that traffic with SuppressWrites and
// LogHistory. Combo boxes are connected to `activated` only and raise nothing.
void TForm1::RefreshControls()
{
    if (MainTab) MainTab->setFocus();

    for (int tag = 1; tag <= bind::kChannelCount; ++tag) {
        const AttenuationChannel& ch = AttenuationChannels[tag];
        if (!ch.TrackBar) continue;
        ch.TrackBar->setValue(board_.image().at(ch.Register)); // clamped by the bar; a move runs TrackChange
        if (ch.Edit) {
            const QString text = dbText(board_.image().at(ch.Register));
            if (ch.Edit->text() != text) ch.Edit->setText(text);
        }
    }

    for (const BitBinding& b : CheckBindings) {
        if (auto* box = static_cast<QCheckBox*>(b.Control)) {
            const bool on = (board_.image().at(b.Register) & (1u << b.Bit)) != 0;
            if (box->isChecked() != on) box->setChecked(on);
        }
    }

    for (const FieldBinding& f : ComboBindings) {
        if (!f.Control) continue;
        int index = bind::fieldValue(board_.image().at(f.Register), f.Shift, f.Width);
        if (index >= f.Control->count()) index = -1; // a code without an item shows no item
        if (f.Control->currentIndex() != index) f.Control->setCurrentIndex(index);
    }

    for (const BitBinding& b : RadioBindings) {
        if (auto* group = static_cast<TRadioGroup*>(b.Control))
            group->setItemIndex((board_.image().at(b.Register) >> b.Bit) & 1);
    }

    board_.showAllRegisters();
}
