// The eight DAC attenuators: a track bar over the register code and an edit in
// dB per channel. Writing goes only through the bar: the edit moves the bar and
// the bar's change event writes the register.

#include "TForm1.h"

#include "apperror.h"
#include "attenuationmath.h"
#include "widgets.h"

#include <QLocale>

namespace {

// Formatting and parsing share the user's decimal separator.
QString userDecimalPoint()
{
    return QLocale().decimalPoint();
}

void showText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text) edit->setText(text);
}

// Restores TrackReady however TrackChange ends.
struct TrackBusy {
    explicit TrackBusy(bool& ready) : ready_(ready) { ready_ = false; }
    ~TrackBusy() { ready_ = true; }
    bool& ready_;
};

} // namespace

void TForm1::FillAttenuation()
{
    AttenuationChannels.fill({});
    for (const bind::AttenuationDef& d : bind::kAttenuationDefs) {
        AttenuationChannels[d.tag] = {d.reg, d.zeroDbValue,
                                      qobject_cast<TTrackBar*>(control(QLatin1String(d.track))),
                                      qobject_cast<TEdit*>(control(QLatin1String(d.edit)))};
    }
}

QString TForm1::dbText(int value) const
{
    // The scale follows DAMS as the image holds it, not the radio group.
    return atten::dbText(value, atten::kZeroDb, atten::isWide(board_.image().at(0x46)), userDecimalPoint());
}

void TForm1::TrackChange(TTrackBar* sender)
{
    if (!TrackReady) return;
    const int tag = tagOf(sender);
    if (!sender || tag < 1 || tag > bind::kChannelCount || AttenuationChannels[tag].TrackBar != sender)
        return;
    TrackBusy busy(TrackReady);
    const AttenuationChannel& ch = AttenuationChannels[tag];
    const int p = sender->value();
    if (ch.Edit)
        showText(ch.Edit,
                 atten::dbText(p, ch.ZeroDbValue, atten::isWide(board_.image().at(0x46)), userDecimalPoint()));
    board_.WriteRegister(ch.Register, p);
}

void TForm1::TrackEditKeyUp(TEdit* sender, int key)
{
    // The step follows the radio group here, not the board_.image.
    const int step = rgDACAttMode && rgDACAttMode->itemIndex() == 0 ? 2 : 1;
    if (!TrackReady || !isEnterKey(key)) return; // typing alone never commits
    const int tag = tagOf(sender);
    if (!sender || tag < 1 || tag > bind::kChannelCount || AttenuationChannels[tag].Edit != sender) return;
    const AttenuationChannel& ch = AttenuationChannels[tag];
    if (!ch.TrackBar) return;
    const QString text = sender->text();
    const std::optional<float> d = atten::parseDb(text, userDecimalPoint());
    if (!d) throw AppError(apperr::notAFloat(text));
    // Out-of-range values are clamped, never an error. When the position does
    // not change, nothing is written and the typed text stays.
    ch.TrackBar->setValue(
        atten::editPosition(*d, step, ch.TrackBar->minimum(), ch.TrackBar->maximum(), ch.ZeroDbValue));
}

void TForm1::AttenuationRangeUpdate()
{
    const int m = rgDACAttMode && rgDACAttMode->itemIndex() == 0 ? atten::kFineMinimum : atten::kWideMinimum;
    for (int tag = 1; tag <= bind::kChannelCount; ++tag) {
        const AttenuationChannel& ch = AttenuationChannels[tag];
        if (!ch.TrackBar) continue;
        // A position below m is raised by the bar, whose change event writes m.
        ch.TrackBar->setMinimum(m);
        // Without a board that write is not mirrored; the image still has to
        // follow the new range, or the next refresh would show a code the
        // bar cannot hold.
        if (board_.image().at(ch.Register) < m) {
            board_.raiseImage(ch.Register, std::uint8_t(m));
            ch.TrackBar->setValue(m);
        }
        if (ch.Edit) showText(ch.Edit, dbText(board_.image().at(ch.Register)));
    }
}
