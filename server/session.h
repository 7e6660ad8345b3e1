#pragma once
// Runs parsed commands for one client against the instrument, with that
// client's status. Numeric responses are decimal (NR1).

#include "instrument.h"
#include "parser.h"
#include "status.h"

#include <QByteArrayList>

namespace evm::scpi {

class Session {
public:
    explicit Session(Instrument& instrument) : instrument_(instrument) {}

    // Runs one command: a query that answers appends its response; a failure
    // queues its error instead. Nothing the instrument throws leaves here.
    void run(const Command& command, QByteArrayList* responses);
    // A program message above the size limit was dropped.
    void refuseTooMuchData();

    Status& status() { return status_; }

private:
    bool succeeded(const Outcome& outcome);
    void execute(const Command& command, QByteArrayList* responses);

    Instrument& instrument_;
    Status status_;
};

// One program message's responses as they go out: joined with ';', ended by
// a newline; nothing when no query answered.
QByteArray responseLine(const QByteArrayList& responses);

} // namespace evm::scpi
