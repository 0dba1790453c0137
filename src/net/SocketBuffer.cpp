// The send queue of a socket: fixed-size byte blocks in order.
#include "net/SocketBuffer.h"

#include <algorithm>
#include <cstring>

namespace vesk {

TBuffer::TBuffer(int size) : size_(size > 0 ? size : kDefaultSocketBufSize)
{
    data_ = std::make_unique<char[]>(std::size_t(size_));
}

int TBuffer::Write(const char* data, int length)
{
    int n = std::clamp(length, 0, size_ - wr_);
    if (n > 0)
        std::memcpy(data_.get() + wr_, data, std::size_t(n));
    wr_ += n;
    return n;
}

void TBuffer::Remove(int length)
{
    rd_ += std::clamp(length, 0, wr_ - rd_);
    if (rd_ == wr_)
        rd_ = wr_ = 0;
}

void TSendQueue::Append(const char* data, int length)
{
    while (length > 0) {
        if (blocks_.empty() || blocks_.back().FreeSpace() == 0)
            blocks_.emplace_back(blockSize_);
        int n = blocks_.back().Write(data, length);
        data += n;
        length -= n;
        bytes_ += std::size_t(n);
    }
}

std::span<const char> TSendQueue::Front()
{
    // A drained block that more blocks follow is dropped; the last one stays
    // for reuse, so a socket that sends one block at a time allocates once.
    while (!blocks_.empty() && blocks_.front().Peek().empty() && blocks_.size() > 1)
        blocks_.pop_front();
    if (blocks_.empty())
        return {};
    return blocks_.front().Peek();
}

void TSendQueue::Consume(int length)
{
    if (blocks_.empty() || length <= 0)
        return;
    int n = std::min(length, int(blocks_.front().Peek().size()));
    blocks_.front().Remove(n);
    bytes_ -= std::size_t(n);
}

void TSendQueue::Clear()
{
    blocks_.clear();
    bytes_ = 0;
}

} // namespace vesk
