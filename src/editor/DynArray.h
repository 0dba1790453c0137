// Growable arrays of records with checked indexing: TDynArray (one contiguous
// buffer) and TDynArray2 (fixed 32 KB blocks, so records never move while the
// array grows at its end).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

namespace vesk {

// Raised for an index outside 0 … count − 1.
class EListError : public std::out_of_range {
public:
    EListError() : std::out_of_range("List index out of bounds") {}
};

// Largest number of bytes one array may hold.
inline constexpr std::int64_t kDynArrayMaxBytes = 0x7fffffff;

// A contiguous array of trivially copyable records. SetCount and
// SetCapacity size the buffer exactly; Append grows it by half again, so a
// list built by appending costs linear time.
template <typename T>
class TDynArray {
    static_assert(std::is_trivially_copyable_v<T>, "records are moved as bytes");

public:
    TDynArray() = default;
    TDynArray(const TDynArray& o) { *this = o; }
    TDynArray(TDynArray&& o) noexcept { Swap(o); }
    TDynArray& operator=(const TDynArray& o)
    {
        if (this != &o) {
            SetCount(0);
            SetCapacity(o.count_);
            if (o.count_)
                std::memcpy(static_cast<void*>(data_), o.data_, sizeof(T) * std::size_t(o.count_));
            count_ = o.count_;
        }
        return *this;
    }
    TDynArray& operator=(TDynArray&& o) noexcept
    {
        TDynArray tmp(std::move(o));
        Swap(tmp);
        return *this;
    }
    ~TDynArray() { std::free(data_); }

    static constexpr int RecordSize() { return int(sizeof(T)); }
    static constexpr int Stride() { return int(sizeof(T)); }
    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }

    // Grows the buffer to exactly `count` records when needed; new records
    // are zero-filled.
    void SetCount(std::int32_t count)
    {
        if (count < 0)
            throw EListError();
        if (count > capacity_)
            SetCapacity(count);
        if (count > count_)
            std::memset(static_cast<void*>(data_ + count_), 0, sizeof(T) * std::size_t(count - count_));
        count_ = count;
    }

    // Capacity exactly `capacity` records (the count shrinks with it).
    // Throws std::bad_alloc beyond kDynArrayMaxBytes or when memory is out.
    void SetCapacity(std::int32_t capacity)
    {
        if (capacity < 0 || std::int64_t(capacity) > kDynArrayMaxBytes / Stride())
            throw std::bad_alloc();
        if (capacity == capacity_)
            return;
        if (capacity == 0) {
            std::free(data_);
            data_ = nullptr;
        } else {
            void* p = std::realloc(static_cast<void*>(data_), sizeof(T) * std::size_t(capacity));
            if (!p)
                throw std::bad_alloc();
            data_ = static_cast<T*>(p);
        }
        capacity_ = capacity;
        count_ = std::min(count_, capacity_);
    }

    std::int32_t Append(const T& record)
    {
        if (count_ == capacity_)
            SetCapacity(std::int32_t(std::min<std::int64_t>(
                kDynArrayMaxBytes / Stride(), std::int64_t(capacity_) + capacity_ / 2 + 2)));
        data_[count_] = record;
        return count_++;
    }

    T& operator[](std::int32_t i)
    {
        Check(i);
        return data_[i];
    }
    const T& operator[](std::int32_t i) const
    {
        Check(i);
        return data_[i];
    }
    void Read(std::int32_t i, T& out) const { out = (*this)[i]; }
    void Write(std::int32_t i, const T& in) { (*this)[i] = in; }

    // Inserts n copies of `record` before index i (0 ≤ i ≤ count).
    void Insert(std::int32_t i, std::int32_t n, const T& record)
    {
        if (i < 0 || i > count_ || n < 0)
            throw EListError();
        const std::int32_t old = count_;
        if (std::int64_t(old) + n > capacity_)
            SetCapacity(std::int32_t(std::min<std::int64_t>(kDynArrayMaxBytes / Stride(),
                                                            std::int64_t(old) + n + old / 2)));
        std::memmove(static_cast<void*>(data_ + i + n), data_ + i, sizeof(T) * std::size_t(old - i));
        std::fill(data_ + i, data_ + i + n, record);
        count_ = old + n;
    }
    // Removes records [i, i + n).
    void Delete(std::int32_t i, std::int32_t n)
    {
        if (i < 0 || n < 0 || std::int64_t(i) + n > count_)
            throw EListError();
        std::memmove(static_cast<void*>(data_ + i), data_ + i + n, sizeof(T) * std::size_t(count_ - i - n));
        count_ -= n;
    }

    T* Data() { return data_; }
    const T* Data() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + count_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + count_; }

private:
    void Check(std::int32_t i) const
    {
        if (i < 0 || i >= count_)
            throw EListError();
    }
    void Swap(TDynArray& o) noexcept
    {
        std::swap(data_, o.data_);
        std::swap(count_, o.count_);
        std::swap(capacity_, o.capacity_);
    }

    T* data_ = nullptr;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

// Records kept in blocks of exactly 32768 bytes. Growing at the end never
// moves a record; inserting or deleting in the middle shifts the records
// after the place, as in any array.
template <typename T>
class TDynArray2 {
public:
    static constexpr std::int32_t kBlockBytes = 32768;
    static constexpr std::int32_t RecordsPerBlock()
    {
        return std::max<std::int32_t>(1, kBlockBytes / std::int32_t(sizeof(T)));
    }

    TDynArray2() = default;
    TDynArray2(const TDynArray2&) = delete;
    TDynArray2& operator=(const TDynArray2&) = delete;
    ~TDynArray2() { SetCount(0); }

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return std::int32_t(blocks_.size()) * RecordsPerBlock(); }

    T& operator[](std::int32_t i)
    {
        Check(i);
        return At(i);
    }
    const T& operator[](std::int32_t i) const
    {
        Check(i);
        return const_cast<TDynArray2*>(this)->At(i);
    }

    // New records are value-initialised; removed ones destroyed. Capacity
    // follows in whole blocks.
    void SetCount(std::int32_t count)
    {
        if (count < 0)
            throw EListError();
        while (count_ > count)
            At(--count_).~T();
        if (count > Capacity())
            SetCapacity(count);
        while (count_ < count) {
            new (&At(count_)) T();
            ++count_;
        }
        if (count == 0)
            SetCapacity(0);
    }

    // Rounds up to whole blocks; never below the count.
    void SetCapacity(std::int32_t capacity)
    {
        if (capacity < 0 || std::int64_t(capacity) > kDynArrayMaxBytes / std::int64_t(sizeof(T)))
            throw std::bad_alloc();
        capacity = std::max(capacity, count_);
        const std::size_t blocks = std::size_t((std::int64_t(capacity) + RecordsPerBlock() - 1) / RecordsPerBlock());
        while (blocks_.size() > blocks)
            blocks_.pop_back();
        while (blocks_.size() < blocks)
            blocks_.emplace_back(static_cast<Block*>(::operator new(sizeof(Block))));
    }

    std::int32_t Append(T record)
    {
        if (count_ == Capacity())
            SetCapacity(count_ + 1);
        new (&At(count_)) T(std::move(record));
        return count_++;
    }

    // Inserts n value-initialised records before index i (0 ≤ i ≤ count).
    void Insert(std::int32_t i, std::int32_t n)
    {
        if (i < 0 || i > count_ || n < 0)
            throw EListError();
        const std::int32_t old = count_;
        SetCount(old + n);
        std::move_backward(Iter(this, i), Iter(this, old), Iter(this, old + n));
        for (std::int32_t k = i; k < i + n; ++k)
            At(k) = T();
    }

    // Removes records [i, i + n).
    void Delete(std::int32_t i, std::int32_t n)
    {
        if (i < 0 || n < 0 || std::int64_t(i) + n > count_)
            throw EListError();
        std::move(Iter(this, i + n), Iter(this, count_), Iter(this, i));
        SetCount(count_ - n);
    }

private:
    struct Block {
        alignas(T) unsigned char bytes[sizeof(T) * std::size_t(RecordsPerBlock())];
    };
    struct BlockDeleter {
        void operator()(Block* b) const { ::operator delete(b); }
    };

    // A position that walks block by block without dividing at every step.
    class Iter {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;
        Iter() = default;
        Iter(TDynArray2* a, std::int32_t i) : a_(a), block_(i / RecordsPerBlock()), slot_(i % RecordsPerBlock()) {}
        T& operator*() const { return *reinterpret_cast<T*>(a_->blocks_[block_]->bytes + sizeof(T) * std::size_t(slot_)); }
        Iter& operator++()
        {
            if (++slot_ == RecordsPerBlock()) {
                slot_ = 0;
                ++block_;
            }
            return *this;
        }
        Iter& operator--()
        {
            if (slot_-- == 0) {
                slot_ = RecordsPerBlock() - 1;
                --block_;
            }
            return *this;
        }
        Iter operator++(int) { Iter t = *this; ++*this; return t; }
        Iter operator--(int) { Iter t = *this; --*this; return t; }
        bool operator==(const Iter& o) const { return block_ == o.block_ && slot_ == o.slot_; }

    private:
        TDynArray2* a_ = nullptr;
        std::int32_t block_ = 0, slot_ = 0;
    };

    T& At(std::int32_t i)
    {
        return *reinterpret_cast<T*>(blocks_[std::size_t(i / RecordsPerBlock())]->bytes
                                     + sizeof(T) * std::size_t(i % RecordsPerBlock()));
    }
    void Check(std::int32_t i) const
    {
        if (i < 0 || i >= count_)
            throw EListError();
    }

    std::vector<std::unique_ptr<Block, BlockDeleter>> blocks_;
    std::int32_t count_ = 0;
};

} // namespace vesk
