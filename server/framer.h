#pragma once
// Cuts a client's byte stream into program messages: each ends at a newline
// outside block data. A definite block (#<n><length><bytes>) may hold any
// byte; an indefinite one (#0) runs to the newline. A newline inside a quoted
// string still ends the message (the parser then finds the string open), so
// a lost quote cannot swallow the rest of the stream.
//
// A message above kMaxMessage bytes (block data included) is refused whole:
// its bytes are dropped as they arrive, up to its end, and no more than the
// limit is ever held.

#include <QByteArray>
#include <QByteArrayView>

namespace evm::scpi {

class MessageFramer {
public:
    static constexpr qsizetype kMaxMessage = qsizetype(1) << 20; // 1 MiB

    enum class Result { NeedMore, Message, TooLong };

    // Consumes bytes up to the end of the first message that ends in data
    // and stops there; *used says how many. Message: message() holds it
    // (without its newline) until the next feed. TooLong: the message that
    // just ended was refused.
    Result feed(QByteArrayView data, qsizetype* used);
    const QByteArray& message() const { return message_; }

private:
    enum class State { Text, Quoted, Hash, BlockLength, BlockData, Indefinite };
    void keep(QByteArrayView bytes);
    void refuse();

    State state_ = State::Text;
    char quote_ = 0;
    int lengthDigits_ = 0;    // BlockLength: digits still to come
    qsizetype blockLeft_ = 0; // BlockLength: the length so far; BlockData: bytes to come
    bool ended_ = false;      // the last feed ended a message
    bool tooLong_ = false;
    QByteArray message_;
};

} // namespace evm::scpi
