// Line records of many paragraphs in shared blocks: slices keep their
// records through other slices' comings and goings, and blocks go back once
// nothing of their size is left.
#include "editor/LinePool.h"

#include <gtest/gtest.h>

#include <vector>

namespace vesk {
namespace {

struct Slice {
    TLinePool::THandle handle;
    std::int32_t count;
    std::int32_t tag;
};

void Fill(TLinePool& pool, const Slice& s)
{
    TStoredLine* lines = pool.Lines(s.handle);
    for (std::int32_t k = 0; k < s.count; ++k)
        lines[k].start = s.tag * 1000 + k;
}

bool Intact(const TLinePool& pool, const Slice& s)
{
    const TStoredLine* lines = pool.Lines(s.handle);
    for (std::int32_t k = 0; k < s.count; ++k) {
        if (lines[k].start != s.tag * 1000 + k)
            return false;
    }
    return true;
}

TEST(LinePool, SlicesOfEveryLengthKeepTheirRecords)
{
    TLinePool pool;
    std::vector<Slice> slices;
    // Lengths shared in blocks and longer ones with buffers of their own,
    // enough of each to need several blocks.
    for (std::int32_t tag = 0; tag < 6000; ++tag) {
        const std::int32_t count = 1 + tag % 40;
        slices.push_back({pool.Allocate(count), count, tag});
        Fill(pool, slices.back());
    }
    // Every third goes, every fifth is resized; new ones take freed places.
    for (std::size_t i = 0; i < slices.size(); i += 3)
        pool.Free(slices[i].handle, slices[i].count);
    for (std::size_t i = 1; i < slices.size(); i += 5) {
        if (i % 3 == 0)
            continue;  // freed above
        Slice& s = slices[i];
        const std::int32_t grown = s.count + 7;
        s.handle = pool.Resize(s.handle, s.count, grown);
        EXPECT_EQ(pool.Lines(s.handle)[grown - 1].start, 0) << "new records start empty";
        s.count = grown;
        Fill(pool, s);
    }
    for (std::size_t i = 0; i < slices.size(); i += 3) {
        slices[i] = {pool.Allocate(slices[i].count), slices[i].count, slices[i].tag + 100000};
        Fill(pool, slices[i]);
    }
    for (const Slice& s : slices)
        ASSERT_TRUE(Intact(pool, s)) << "slice " << s.tag << " of " << s.count;

    for (const Slice& s : slices)
        pool.Free(s.handle, s.count);
    EXPECT_EQ(pool.BytesHeld(), 0u);
}

} // namespace
} // namespace vesk
