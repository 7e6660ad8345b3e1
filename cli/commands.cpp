#include "commands.h"

#include "apperror.h"
#include "attenuationmath.h"
#include "format.h"
#include "handlers.h"
#include "linktext.h"
#include "registermap.h"
#include "session.h"
#include "termination.h"

namespace evm::cli {
namespace {

// One case per command of the command table (options.cpp).
int dispatch(Session& s, const Invocation& inv, Inputs& in, const Server* server)
{
    switch (inv.command) {
    case Command::Info:
        return info(s, inv);
    case Command::Read:
        return read(s, inv);
    case Command::Write:
        return write(s, inv);
    case Command::Get:
        return get(s, inv);
    case Command::Set:
        return set(s, inv);
    case Command::Fields:
        return listFields(s, inv);
    case Command::Run:
        return run(s, inv, in);
    case Command::Dump:
        return dump(s, inv);
    case Command::Compare:
        return compareWith(s, inv, in, true);
    case Command::Reset:
        return reset(s, inv);
    case Command::Watch:
        return watch(s, inv);
    case Command::Serve:
        return server->serve(s, inv);
    }
    return 0;
}

} // namespace

std::optional<std::uint8_t> ChipBytes::at(int address)
{
    if (failed_) return std::nullopt;
    std::optional<std::uint8_t>& b = bytes_[address & 0xFF];
    if (!b) {
        const int before = s_.failures();
        const std::uint8_t v = s_.board.ReadRegister(address);
        // Only what the chip answered counts.
        if (s_.failures() != before) {
            failed_ = true;
            return std::nullopt;
        }
        b = v;
    }
    return b;
}

std::optional<bool> ChipBytes::wide()
{
    static const fields::Field& dams = *fields::find(u"DAMS");
    const std::optional<std::uint8_t> b = at(dams.reg);
    if (!b) return std::nullopt;
    return atten::isWide(*b);
}

int info(Session& s, const Invocation& inv)
{
    if (inv.json)
        s.out.json(infoJson(s.board));
    else
        for (const QString& line : infoLines(s.board)) s.out.line(line);
    return 0;
}

int read(Session& s, const Invocation& inv)
{
    QList<RegisterValue> values;
    for (const Target& t : inv.targets) {
        // A register each time it is named: a flag register may change between reads.
        ChipBytes chip(s);
        if (const auto v = chip.at(t.address)) values.append({t.address, *v});
    }
    if (inv.json) {
        s.out.json(registersJson(values));
        return 0;
    }
    for (const RegisterValue& r : values) s.out.line(evmlink::recordLine(unsigned(r.address), r.value));
    return 0;
}

int write(Session& s, const Invocation& inv)
{
    const int reg = inv.targets[0].address;
    std::uint8_t data = inv.data;
    if (inv.mask) {
        ChipBytes chip(s);
        const std::optional<std::uint8_t> old = chip.at(reg);
        if (!old) return 0; // nothing is written over bits that could not be read
        data = regs::merged(*old, inv.data, *inv.mask);
    }
    const int before = s.failures();
    s.board.WriteRegister(unsigned(reg), data);
    if (!inv.verify || s.failures() != before) return 0;
    ChipBytes chip(s);
    const std::optional<std::uint8_t> back = chip.at(reg);
    if (back && *back != data)
        s.fail(QStringLiteral("Verify failed at %1: wrote %2, read back %3")
                   .arg(evmlink::hex2(unsigned(reg)), evmlink::hex2(data), evmlink::hex2(*back)));
    return 0;
}

int reset(Session& s, const Invocation& inv)
{
    // The chip is written what the window writes after its start-up: the
    // image of 0x40 as the read-back (IIC) or the defaults (SPI) leave it.
    const int before = s.failures();
    s.board.readBack();
    if (s.failures() != before) return 0;
    if (inv.soft)
        s.board.softReset();
    else
        s.board.masterReset();
    return 0;
}

int execute(const Invocation& inv, const Server* server)
{
    if (inv.command == Command::Serve && !server) return serveFromModule();
    Session s;
    if (inv.verbose) s.traceTransfers();
    // Files first: a file that is no snapshot or script is found before
    // anything reaches the board.
    Inputs in;
    if (!prepare(s, inv, &in)) return 2;
    // A listening address that cannot be used is found before the board is opened.
    if (inv.command == Command::Serve && !server->checkListen(s, inv)) return 2;
    int status = 0;
    if (inv.command == Command::Compare && !inv.fileB.isEmpty()) {
        status = compareWith(s, inv, in, false);
        return s.out.flush() && !s.troubled() ? status : 2;
    }
    if (!s.configure(inv)) return 2;

    if (s.open()) {
        try {
            status = dispatch(s, inv, in, server);
        } catch (const AppError& e) {
            s.fail(e.text());
        } catch (const std::exception& e) {
            s.fail(QString::fromLocal8Bit(e.what()));
        }
    } else if (inv.command == Command::Info && s.board.isLibraryLoaded()) {
        info(s, inv); // what the About box shows without a board: the version, port 0
    }
    s.out.flush();
    s.finish();
    // A terminating signal ends a command as a shell expects: its name, and
    // the status 128 + its number, after the board is closed. It is how
    // watch and serve are meant to end: quietly, with success.
    const bool endsBySignal = inv.command == Command::Watch || inv.command == Command::Serve;
    const int signo = endsBySignal ? 0 : Termination::caught();
    if (signo != 0) printError(Termination::name(signo));
    s.close();
    if (signo != 0) return 128 + signo;
    return s.troubled() ? 2 : status;
}

} // namespace evm::cli
