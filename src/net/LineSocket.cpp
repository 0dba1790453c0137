// Line mode: received data delivered one line at a time.
#include "net/LineSocket.h"

#include <algorithm>
#include <cstring>

namespace vesk {

namespace {

constexpr int kReadChunk = 16384;

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

void TCustomLineSocket::SetLineMode(bool on)
{
    if (on == lineMode_)
        return;
    lineMode_ = on;
    if (Held() > 0)
        PostMessage(kWmRedeliverData);
}

int TCustomLineSocket::Receive(void* buffer, int size)
{
    if (LinesActive()) {
        int n = std::min(size, lineEndPos_ - head_);
        if (n <= 0) {
            SetLastError(kWsaEWOULDBLOCK);
            return -1;
        }
        std::memcpy(buffer, buffer_.constData() + head_, std::size_t(n));
        head_ += n;
        return n;
    }
    if (Held() > 0 && size > 0) {
        NoteReadAttempt();
        int n = std::min(size, Held());
        std::memcpy(buffer, buffer_.constData() + head_, std::size_t(n));
        head_ += n;
        if (Held() == 0)
            Compact();
        return n;
    }
    return TCustomSocksSocket::Receive(buffer, size);
}

long TCustomLineSocket::RcvdCount()
{
    if (LinesActive())
        return std::max(0, lineEndPos_ - head_);
    long system = TCustomSocksSocket::RcvdCount();
    return Held() > 0 ? Held() + std::max(0L, system) : system;
}

bool TCustomLineSocket::TriggerDataAvailable(int error)
{
    if (!LinesActive())
        return TCustomSocksSocket::TriggerDataAvailable(error);
    ReadIntoBuffer();
    DeliverLines();
    return true;
}

void TCustomLineSocket::ReadIntoBuffer()
{
    char chunk[kReadChunk];
    while (Held() < lineLimit_) {
        int room = std::min<int>(kReadChunk, lineLimit_ - Held());
        int n = TCustomAsyncSocket::Receive(chunk, room);
        if (n <= 0) {
            if (n < 0 && LastError() == kWsaEWOULDBLOCK)
                SetLastError(0);
            return;
        }
        if (lineEcho_ && State() == wsConnected)
            Send(chunk, n);
        Append(chunk, n);
        if (n < room)
            return;
    }
}

void TCustomLineSocket::Append(const char* data, int length)
{
    for (int i = 0; i < length; ++i) {
        char c = data[i];
        if (lineEdit_ && c == '\b') {
            // Remove one character: its continuation bytes, then its lead byte.
            int floor = std::max(lineStart_, head_);
            if (column_ > 0 && buffer_.size() > floor) {
                while (buffer_.size() > floor && IsContinuationByte(buffer_.back()))
                    buffer_.chop(1);
                if (buffer_.size() > floor)
                    buffer_.chop(1);
                --column_;
            }
            continue;
        }
        if (lineEdit_ && c == '\t') {
            do {
                buffer_.append(' ');
                ++column_;
            } while (column_ % 8 != 0);
            continue;
        }
        buffer_.append(c);
        if (!IsContinuationByte(c))
            ++column_;
        if (!lineEnd_.isEmpty() && buffer_.endsWith(lineEnd_)) {
            lineStart_ = int(buffer_.size());
            column_ = 0;
        }
    }
}

void TCustomLineSocket::DeliverLines()
{
    while (LinesActive()) {
        int from = std::max(scan_, head_);
        int at = int(buffer_.indexOf(lineEnd_, from));
        if (at >= 0) {
            if (!DeliverLine(at + int(lineEnd_.size())))
                return;
            continue;
        }
        // Only the last bytes can start a line end that more data completes.
        scan_ = std::max(head_, int(buffer_.size()) - int(lineEnd_.size()) + 1);
        if (Held() < lineLimit_)
            break;
        quint64 generation = Generation();
        if (OnLineTooLong)
            OnLineTooLong(this);
        if (generation != Generation() || HSocket() < 0)
            return;
        if (LinesActive() && !DeliverLine(int(buffer_.size())))
            return;
    }
    Compact();
}

bool TCustomLineSocket::DeliverLine(int end)
{
    quint64 generation = Generation();
    lineEndPos_ = end;
    while (LinesActive() && head_ < lineEndPos_) {
        int before = head_;
        TCustomAsyncSocket::TriggerDataAvailable(0);
        if (generation != Generation() || HSocket() < 0)
            return false;
        if (head_ == before)
            break;
    }
    // A line the handler did not take is dropped, unless it left line mode
    // and takes the rest as plain data.
    if (LinesActive())
        head_ = std::max(head_, lineEndPos_);
    lineEndPos_ = head_;
    return true;
}

bool TCustomLineSocket::DeliverPlain()
{
    quint64 generation = Generation();
    while (!LinesActive() && Held() > 0) {
        int before = head_;
        TCustomAsyncSocket::TriggerDataAvailable(0);
        if (generation != Generation() || HSocket() < 0)
            return false;
        if (head_ == before)
            break;
    }
    return true;
}

void TCustomLineSocket::Compact()
{
    if (head_ == 0)
        return;
    buffer_.remove(0, head_);
    scan_ = std::max(0, scan_ - head_);
    lineStart_ = std::max(0, lineStart_ - head_);
    lineEndPos_ = std::max(0, lineEndPos_ - head_);
    head_ = 0;
    if (buffer_.isEmpty())
        buffer_.squeeze();
}

void TCustomLineSocket::HandleMessage(QEvent* event)
{
    if (event->type() != kWmRedeliverData || HSocket() < 0)
        return;
    if (LinesActive())
        DeliverLines();
    else if (DeliverPlain())
        Compact();
}

void TCustomLineSocket::TriggerSessionClosed(int error)
{
    // The peer's close (the handle is still open): what is buffered is the
    // last line. A close of our own drops it. The close is reported either
    // way, even when the handler closed the socket while reading.
    if (HSocket() >= 0 && Held() > 0) {
        if (LinesActive())
            DeliverLine(int(buffer_.size()));
        else
            DeliverPlain();
    }
    TCustomSocksSocket::TriggerSessionClosed(error);
}

void TCustomLineSocket::ResetAfterClose()
{
    buffer_.clear();
    buffer_.squeeze();
    head_ = lineEndPos_ = scan_ = lineStart_ = column_ = 0;
    TCustomSocksSocket::ResetAfterClose();
}

} // namespace vesk
