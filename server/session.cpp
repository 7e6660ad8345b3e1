#include "session.h"

#include "errors.h"

#include <exception>

namespace evm::scpi {
namespace {

// Text from the instrument on one response line.
QByteArray lineText(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return bytes;
}

// String response data: in double quotes, a quote inside doubled.
QByteArray quoted(const QString& text)
{
    return '"' + lineText(text).replace('"', "\"\"") + '"';
}

int errorCode(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return 0;
    case Fault::Hardware:
        return kHardwareError;
    case Fault::NoBoard:
        return kHardwareMissing;
    case Fault::BadValue:
        return kIllegalParameterValue;
    case Fault::OutOfRange:
        return kDataOutOfRange;
    case Fault::Failed:
        return kExecutionError;
    }
    return kExecutionError;
}

} // namespace

QByteArray responseLine(const QByteArrayList& responses)
{
    return responses.isEmpty() ? QByteArray() : responses.join(';') + '\n';
}

bool Session::succeeded(const Outcome& outcome)
{
    if (outcome.ok()) return true;
    status_.push(errorCode(outcome.fault), outcome.detail);
    return false;
}

void Session::refuseTooMuchData()
{
    status_.push(kTooMuchData);
}

void Session::run(const Command& command, QByteArrayList* responses)
{
    if (command.error) {
        status_.push(command.error);
        return;
    }
    // The board's operations may throw; a client sees an execution error
    // and the server goes on.
    try {
        execute(command, responses);
    } catch (const std::exception& e) {
        status_.push(kExecutionError, QString::fromUtf8(e.what()));
    } catch (...) {
        status_.push(kExecutionError);
    }
}

void Session::execute(const Command& c, QByteArrayList* responses)
{
    const auto number = [](int n) { return QByteArray::number(n); };
    const auto text = [](const QByteArray& bytes) { return QString::fromUtf8(bytes); };
    switch (c.id) {
    case CommandId::None:
        break;
    case CommandId::Idn: {
        const Identity id = instrument_.identity();
        responses->append("EVM Controller,ORV2280 EVM," + number(id.port) + ',' +
                          lineText(id.programVersion) + '/' + lineText(id.libraryVersion));
        break;
    }
    case CommandId::Rst:
        succeeded(instrument_.masterReset());
        break;
    case CommandId::Cls:
        status_.clear();
        break;
    case CommandId::Opc:
        // Commands run one after another, each to its end: by the time this
        // one runs, every earlier operation is complete.
        if (c.query)
            responses->append("1");
        else
            status_.setEvents(Status::kOperationComplete);
        break;
    case CommandId::Esr:
        responses->append(number(status_.takeEvents()));
        break;
    case CommandId::Ese:
        if (c.query)
            responses->append(number(status_.eventEnable()));
        else
            status_.setEventEnable(std::uint8_t(c.numbers[0]));
        break;
    case CommandId::Stb:
        responses->append(number(status_.statusByte()));
        break;
    case CommandId::SystemError:
        responses->append(status_.takeError());
        break;
    case CommandId::RegisterValue:
        if (c.query) {
            std::uint8_t v = 0;
            if (succeeded(instrument_.readRegister(c.numbers[0], &v))) responses->append(number(v));
        } else {
            succeeded(instrument_.writeRegister(c.numbers[0], std::uint8_t(c.numbers[1])));
        }
        break;
    case CommandId::RegisterDump: {
        RegisterValues values{};
        if (!succeeded(instrument_.readAll(&values))) break;
        QByteArray line;
        for (std::uint8_t v : values) line += number(v) + ',';
        line.chop(1);
        responses->append(line);
        break;
    }
    case CommandId::Field:
        if (c.query) {
            FieldValue value;
            if (succeeded(instrument_.field(text(c.texts[0]), &value)))
                responses->append(number(int(value.value)));
        } else {
            succeeded(instrument_.setField(text(c.texts[0]), text(c.texts[1])));
        }
        break;
    case CommandId::FieldText: {
        FieldValue value;
        if (succeeded(instrument_.field(text(c.texts[0]), &value))) responses->append(quoted(value.text));
        break;
    }
    case CommandId::ScriptRun:
        succeeded(instrument_.runScript(c.texts[0]));
        break;
    case CommandId::BoardSoftReset:
        succeeded(instrument_.softReset());
        break;
    case CommandId::BoardReconnect:
        succeeded(instrument_.reconnect());
        break;
    case CommandId::BoardInterface: {
        const Link link = instrument_.link();
        responses->append(link.iic ? "IIC," + number(link.address) : QByteArray("SPI"));
        break;
    }
    }
}

} // namespace evm::scpi
