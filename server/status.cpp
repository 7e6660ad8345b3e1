#include "status.h"

#include "errors.h"

namespace evm::scpi {

const char* errorText(int code)
{
    switch (code) {
    case 0:
        return "No error";
    case kSyntaxError:
        return "Syntax error";
    case kDataTypeError:
        return "Data type error";
    case kParameterNotAllowed:
        return "Parameter not allowed";
    case kMissingParameter:
        return "Missing parameter";
    case kUndefinedHeader:
        return "Undefined header";
    case kInvalidBlockData:
        return "Invalid block data";
    case kExecutionError:
        return "Execution error";
    case kDataOutOfRange:
        return "Data out of range";
    case kTooMuchData:
        return "Too much data";
    case kIllegalParameterValue:
        return "Illegal parameter value";
    case kHardwareError:
        return "Hardware error";
    case kHardwareMissing:
        return "Hardware missing";
    case kQueueOverflow:
        return "Queue overflow";
    }
    return "Error";
}

namespace {

std::uint8_t eventBit(int code)
{
    if (code <= -100 && code > -200) return Status::kCommandError;
    if (code <= -200 && code > -300) return Status::kExecutionError;
    if (code <= -300 && code > -400) return Status::kDeviceError;
    if (code <= -400 && code > -500) return Status::kQueryError;
    return 0;
}

} // namespace

void Status::push(int code, const QString& detail)
{
    events_ |= eventBit(code);
    if (queue_.size() < kQueueSize) {
        queue_.append({code, detail});
    } else if (queue_.last().code != kQueueOverflow) {
        queue_.last() = {kQueueOverflow, {}};
        events_ |= eventBit(kQueueOverflow);
    }
}

QByteArray Status::takeError()
{
    const Entry e = queue_.isEmpty() ? Entry{0, {}} : queue_.takeFirst();
    QString description = QString::fromLatin1(errorText(e.code));
    if (!e.detail.isEmpty()) description += QLatin1String("; ") + e.detail;
    description.truncate(255); // SCPI's bound on an error's description
    QByteArray text = description.toUtf8();
    for (char& c : text) // a line break would end the response

        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    text.replace('"', "\"\"");
    return QByteArray::number(e.code) + ",\"" + text + '"';
}

std::uint8_t Status::takeEvents()
{
    const std::uint8_t e = events_;
    events_ = 0;
    return e;
}

std::uint8_t Status::statusByte() const
{
    std::uint8_t stb = 0;
    if (!queue_.isEmpty()) stb |= 0x04;
    if (events_ & enable_) stb |= 0x20;
    return stb;
}

void Status::clear()
{
    queue_.clear();
    events_ = 0;
}

} // namespace evm::scpi
