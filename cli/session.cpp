#include "cli/session.h"

#include "core/linktext.h"
#include "core/settingstext.h"

#include <cstdio>

namespace evm::cli {
namespace {

// The board library, by its bare name: the ordinary library search finds the
// simulator beside the program, or the library of a real board.
const QString kLibrary = QStringLiteral("HxBus");
const QLatin1String kCommError("Communication error: ");

bool deviceAddressFits(int interfaceIndex, std::int32_t address)
{
    return evmlink::clampDeviceAddress(interfaceIndex, address) == address;
}

} // namespace

void printError(const QString& text)
{
    const QByteArray line = "evmctl: " + text.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
}

Session::Session()
{
    // Nothing waits for an answer: an existing file is replaced, as shell tools do.
    board.Question = [](const QString&, const QString&) { return true; };
    connect(&board, &Board::report, this,
            [this](ReportKind, const QString& text, const QString&) { onReport(text); });
    connect(&board, &Board::transferFailed, this, &Session::onTransferFailed);
}

Session::~Session()
{
    close();
}

bool Session::configure(const Invocation& inv)
{
    // With both given the file has nothing to say for this run.
    if (!inv.interfaceIndex || !inv.deviceAddress) {
        settingsPhase_ = true;
        // The address box shows its first item before the file is read.
        board.LoadSettings(0);
        settingsPhase_ = false;
    }
    if (inv.interfaceIndex && *inv.interfaceIndex != board.interfaceIndex) {
        // As when the user picks the other interface in the window.
        board.interfaceIndex = *inv.interfaceIndex;
        board.DeviceAddress = board.interfaceIndex == evmlink::kIicIndex ? evmlink::kFirstIicAddress : 0;
    }
    if (inv.deviceAddress) {
        const bool iic = board.interfaceIndex == evmlink::kIicIndex;
        if (!deviceAddressFits(board.interfaceIndex, *inv.deviceAddress)) {
            fail(QStringLiteral("Invalid device address %1 for %2 (%3)")
                     .arg(evmlink::hex2(unsigned(*inv.deviceAddress)),
                          iic ? QStringLiteral("IIC") : QStringLiteral("SPI"),
                          iic ? QStringLiteral("0x4C..0x4F") : QStringLiteral("0..3")));
            return false;
        }
        board.DeviceAddress = *inv.deviceAddress;
    }
    board.ApplyInterface();
    return true;
}

bool Session::open()
{
    switch (board.loadLibrary(kLibrary)) {
    case HxBusLibrary::LoadResult::NotFound:
        fail(QStringLiteral("Cannot load DLL"));
        return false;
    case HxBusLibrary::LoadResult::Invalid:
        fail(QStringLiteral("Invalid DLL"));
        return false;
    case HxBusLibrary::LoadResult::Loaded:
        break;
    }
    if (board.open() == 0) {
        fail(QStringLiteral("No EVM was found"));
        return false;
    }
    // The window's start-up selections: both master/slave boxes show their first item.
    board.WriteBoardSetup(0, 0);
    return true;
}

void Session::close()
{
    if (board.bus.isLoaded()) board.close();
}

void Session::fail(const QString& text)
{
    troubled_ = true;
    printError(text);
}

void Session::finish()
{
    const int more = transferFailures_ - 1;
    if (more > 0)
        printError(more == 1 ? QStringLiteral("1 more communication error")
                             : QStringLiteral("%1 more communication errors").arg(more));
}

void Session::onReport(const QString& text)
{
    // Every failed transfer is counted through transferFailed, reported or not.
    if (text.startsWith(kCommError)) return;
    if (settingsPhase_) {
        printError(text); // the window, too, goes on with its defaults
        return;
    }
    fail(text);
}

void Session::onTransferFailed(const QString& text)
{
    countFailure(text);
}

void Session::countFailure(const QString& text)
{
    troubled_ = true;
    if (transferFailures_++ == 0) printError(text);
}

} // namespace evm::cli
