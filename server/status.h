#pragma once
// The status of one client: its error queue and IEEE 488.2's standard event
// status register with its enable mask.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace evm::scpi {

class Status {
public:
    static constexpr int kQueueSize = 16;

    // Event register bits.
    static constexpr std::uint8_t kOperationComplete = 0x01;
    static constexpr std::uint8_t kQueryError = 0x04;
    static constexpr std::uint8_t kDeviceError = 0x08;
    static constexpr std::uint8_t kExecutionError = 0x10;
    static constexpr std::uint8_t kCommandError = 0x20;

    // Queues an error and sets its class's event bit. With the queue full,
    // the newest entry becomes -350 Queue overflow and the error is lost.
    void push(int code, const QString& detail = {});
    // Takes the oldest error as its response: -113,"Undefined header" or
    // -240,"Hardware error; WRERR0021"; 0,"No error" when there is none.
    QByteArray takeError();
    int errorCount() const { return int(queue_.size()); }
    int lastErrorCode() const { return queue_.isEmpty() ? 0 : queue_.last().code; }

    void setEvents(std::uint8_t bits) { events_ |= bits; }
    std::uint8_t takeEvents(); // *ESR?: reads and clears
    void setEventEnable(std::uint8_t mask) { enable_ = mask; }
    std::uint8_t eventEnable() const { return enable_; }
    // *STB?: bit 2 an error is queued, bit 5 an enabled event is set.
    std::uint8_t statusByte() const;
    // *CLS: the queue and the event register (not the enable mask).
    void clear();

private:
    struct Entry {
        int code;
        QString detail;
    };
    QList<Entry> queue_;
    std::uint8_t events_ = 0;
    std::uint8_t enable_ = 0;
};

} // namespace evm::scpi
