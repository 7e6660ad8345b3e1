#include "framer.h"

#include <algorithm>

namespace evm::scpi {

void MessageFramer::keep(QByteArrayView bytes)
{
    if (tooLong_) return;
    if (message_.size() + bytes.size() > kMaxMessage)
        refuse();
    else
        message_.append(bytes);
}

void MessageFramer::refuse()
{
    tooLong_ = true;
    message_ = QByteArray(); // give the memory back now
}

MessageFramer::Result MessageFramer::feed(QByteArrayView data, qsizetype* used)
{
    if (ended_) {
        ended_ = false;
        tooLong_ = false;
        message_.clear();
    }
    qsizetype i = 0;
    while (i < data.size()) {
        if (state_ == State::BlockData) {
            const qsizetype n = std::min(blockLeft_, data.size() - i);
            keep(data.sliced(i, n));
            i += n;
            blockLeft_ -= n;
            if (blockLeft_ == 0) state_ = State::Text;
            continue;
        }
        const char c = data[i];
        switch (state_) {
        case State::Hash:
            if (c >= '1' && c <= '9') {
                state_ = State::BlockLength;
                lengthDigits_ = c - '0';
                blockLeft_ = 0;
                keep(data.sliced(i++, 1));
                continue;
            }
            if (c == '0') {
                state_ = State::Indefinite;
                keep(data.sliced(i++, 1));
                continue;
            }
            state_ = State::Text; // no block: the byte is read as text
            break;
        case State::BlockLength:
            if (c >= '0' && c <= '9') {
                blockLeft_ = blockLeft_ * 10 + (c - '0');
                keep(data.sliced(i++, 1));
                if (--lengthDigits_ == 0) {
                    state_ = blockLeft_ > 0 ? State::BlockData : State::Text;
                    // Known too long before its bytes come: refuse it now.
                    if (blockLeft_ > kMaxMessage) refuse();
                }
                continue;
            }
            state_ = State::Text; // a malformed header: the parser says so
            break;
        case State::Quoted:
            if (c != '\n') {
                qsizetype j = i;
                while (j < data.size() && data[j] != quote_ && data[j] != '\n') ++j;
                if (j < data.size() && data[j] == quote_) {
                    ++j;
                    state_ = State::Text;
                }
                keep(data.sliced(i, j - i));
                i = j;
                continue;
            }
            break;
        default:
            break;
        }
        // Text, an indefinite block, or a byte handed back by the states above.
        if (c == '\n') {
            state_ = State::Text;
            *used = i + 1;
            ended_ = true;
            return tooLong_ ? Result::TooLong : Result::Message;
        }
        if (state_ == State::Text) {
            if (c == '"' || c == '\'') {
                state_ = State::Quoted;
                quote_ = c;
            } else if (c == '#') {
                state_ = State::Hash;
            }
        }
        // Runs of plain bytes are kept at once.
        qsizetype j = i + 1;
        if (state_ == State::Text || state_ == State::Indefinite) {
            while (j < data.size() && data[j] != '\n' && data[j] != '"' && data[j] != '\'' && data[j] != '#')
                ++j;
            if (state_ == State::Indefinite)
                while (j < data.size() && data[j] != '\n') ++j;
        }
        keep(data.sliced(i, j - i));
        i = j;
    }
    *used = i;
    return Result::NeedMore;
}

} // namespace evm::scpi
