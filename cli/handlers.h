#pragma once
// The commands of evm2280, each on the open board. Each returns the status
// it asks for (0, or 1 for differences found); trouble goes through the
// session, which makes the status 2.

#include "options.h"
#include "snapshotcompare.h"

#include <QFile>

#include <cstdint>
#include <memory>
#include <optional>

namespace evm::cli {

class Session;

// What a command reads from files before anything reaches the board.
struct Inputs {
    std::unique_ptr<QFile> script; // run: open for reading
    compare::Values a{};           // compare
    compare::Values b{};           // compare of two files
};

// Opens or reads the command's files; false when one cannot be had (reported).
bool prepare(Session& s, const Invocation& inv, Inputs* in);

int info(Session& s, const Invocation& inv);
int read(Session& s, const Invocation& inv);
int write(Session& s, const Invocation& inv);
int reset(Session& s, const Invocation& inv);
int get(Session& s, const Invocation& inv);
int set(Session& s, const Invocation& inv);
int listFields(Session& s, const Invocation& inv);
int run(Session& s, const Invocation& inv, Inputs& in);
int dump(Session& s, const Invocation& inv);
// Against the chip, or file A against file B when B is given.
int compareWith(Session& s, const Invocation& inv, const Inputs& in, bool chip);
int watch(Session& s, const Invocation& inv);

// Chip registers read once each for one command; nothing once a read has failed.
class ChipBytes {
public:
    explicit ChipBytes(Session& s) : s_(s) {}
    std::optional<std::uint8_t> at(int address);
    // The attenuation mode that DAMS selects on the chip now.
    std::optional<bool> wide();

private:
    Session& s_;
    std::optional<std::uint8_t> bytes_[256];
    bool failed_ = false;
};

} // namespace evm::cli
