// Direct register access: one register read or written by its address.

#include "TForm1.h"

#include "integertext.h"
#include "linktext.h"
#include "widgets.h"

namespace {

// The text of an edit field as a script number; a text that is none ends the
// handler through the general error report, which names the text.
std::int32_t fieldNumber(const TEdit* edit)
{
    const QString text = edit->text();
    const auto value = evm::parseInteger(text, evm::IntegerRange::Pattern32);
    if (!value) throw AppError(apperr::notAnInteger(text));
    return *value;
}

} // namespace

void TForm1::ReadClick()
{
    const std::int32_t address = fieldNumber(RDA_reg);
    // Without a board there is nothing to read: the Data field keeps its text.
    if (!board_.requireBoard()) return;
    RDA_data->setText(evmlink::hex2(board_.ReadRegister(address)));
}

void TForm1::WriteClick()
{
    const std::int32_t data = fieldNumber(RDA_data);
    const std::int32_t address = fieldNumber(RDA_reg);
    board_.WriteRegister(unsigned(address), data);
    RefreshControls();
}

void TForm1::RDA_regKeyUp(int key)
{
    if (isEnterKey(key)) ReadClick();
}

void TForm1::RDA_dataKeyUp(int key)
{
    if (isEnterKey(key)) WriteClick();
}

// Enter acts on its release (the KeyUp handlers); dropped here, the carriage
// return neither reaches the field nor triggers anything else on the press.
void TForm1::KeyPressStopBeep(QChar ch, bool* swallow)
{
    if (ch == QLatin1Char('\r')) *swallow = true;
}
