#include "boardservice.h"

#include "board.h"
#include "termination.h"

#include <QEventLoop>

#include <cstdio>

namespace evm::scpi {

BoardService::BoardService(Board& board, QObject* parent)
    : QObject(parent), instrument_(board), server_(instrument_)
{
}

void announce(const ListenAddress& where)
{
    const QByteArray line = "listening on " + listenAddressText(where).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
}

bool serve(Board& board, const ListenAddress& where, QString* error)
{
    Termination termination; // before the read-back: a signal during it is heard too
    board.operation([&] { board.readBack(); });
    BoardService service(board);
    if (!service.listen(where, error)) return false;
    announce(service.address());
    QEventLoop loop;
    QObject::connect(&termination, &Termination::received, &loop, &QEventLoop::quit);
    if (Termination::caught() == 0) loop.exec();
    return true;
}

} // namespace evm::scpi
