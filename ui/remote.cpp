#include "remote.h"

#include "TForm1.h"
#include "boardinstrument.h"

#include <QPointer>

void followRemoteClients(TForm1& form, evm::scpi::BoardInstrument& instrument)
{
    QObject::connect(&instrument, &evm::scpi::BoardInstrument::registersWritten, &form,
                     &TForm1::RefreshControls);
    form.reportsElsewhere = [i = QPointer<evm::scpi::BoardInstrument>(&instrument)] {
        return i && i->inCommand();
    };
}
