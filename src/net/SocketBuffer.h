// The send queue of a socket: fixed-size byte blocks in order.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <span>

namespace vesk {

// The block size of a TBuffer asked for a size of 0 or less.
inline constexpr int kDefaultSocketBufSize = 1514;
// The block size a socket's send queue starts with. One send call per block:
// 16 KiB blocks take about a third of the processor time per byte that
// 1514-byte blocks take on loopback (bench_socket), and a sender that queues
// one small block at a time still fills a single block that is reused.
inline constexpr int kSocketSendBlockSize = 16384;

// A fixed-size byte block with a write count and a read count. Write appends
// what fits, Peek shows the unread part, Remove advances the read count and,
// once everything written has been read, empties the block for reuse.
class TBuffer {
public:
    // A size of 0 or less means kDefaultSocketBufSize.
    explicit TBuffer(int size);

    int Size() const { return size_; }
    // Appends up to `length` bytes (negative counts as 0); returns how many fit.
    int Write(const char* data, int length);
    // The unread bytes.
    std::span<const char> Peek() const { return {data_.get() + rd_, std::size_t(wr_ - rd_)}; }
    // Marks `length` unread bytes as read (clamped to what is unread); when
    // nothing unread remains both counts return to 0.
    void Remove(int length);
    int FreeSpace() const { return size_ - wr_; }

private:
    std::unique_ptr<char[]> data_;
    int size_;
    int wr_ = 0;
    int rd_ = 0;
};

// The queue: bytes are appended into the free part of the last block and then
// into as many new blocks as needed. No upper limit: Send never refuses data.
class TSendQueue {
public:
    explicit TSendQueue(int blockSize = kSocketSendBlockSize) : blockSize_(blockSize) {}

    void Append(const char* data, int length);
    // The unread bytes of the first block that holds any (empty when none).
    // Drained blocks before it are dropped on the way.
    std::span<const char> Front();
    // Marks `length` bytes of Front() as sent.
    void Consume(int length);
    // No byte waits to be sent.
    bool Empty() const { return bytes_ == 0; }
    void Clear();
    // Bytes waiting to be sent.
    std::size_t Bytes() const { return bytes_; }
    int BlockSize() const { return blockSize_; }
    // Takes effect for blocks created afterwards.
    void SetBlockSize(int size) { blockSize_ = size; }

private:
    std::deque<TBuffer> blocks_;
    int blockSize_;
    std::size_t bytes_ = 0;
};

} // namespace vesk
