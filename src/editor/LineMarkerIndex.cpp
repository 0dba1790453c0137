// Finding "<!>" in the text store, and keeping the first markers up to date.
#include "editor/LineMarkerIndex.h"

#include "editor/StoreText.h"

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

constexpr std::int32_t kMarkerChars = std::int32_t(kLineMarker.size());

// Calls found(offset after the marker) for each marker lying wholly in
// characters [from, to) of the text, in order, while it returns true.
template <typename F>
void ScanMarkers(const TVeskMemoStore& store, std::int32_t from, std::int32_t to, F&& found)
{
    from = std::max(from, 0);
    to = std::min(to, store.CharCount());
    if (from >= to)
        return;
    for (std::int32_t p = store.ParagraphOfOffset(from); p < store.ParagraphCount(); ++p) {
        const std::int32_t start = store.ParagraphStart(p);
        if (start >= to)
            return;
        const TParRecord& par = store.Paragraph(p);
        const std::int32_t first = std::max(from - start, 0);
        const std::int32_t last = std::min(to - start, par.length);
        if (last - first < kMarkerChars)
            continue;
        // No "!" in the stretch, no marker: most paragraphs are passed over
        // by one memchr.
        const char* data = par.Data();
        const std::int32_t firstByte = store.ByteOfPosition(par, first);
        const std::int32_t lastByte = store.ByteOfPosition(par, last);
        if (!std::memchr(data + firstByte, '!', std::size_t(lastByte - firstByte)))
            continue;
        char before[2] = {0, 0};  // the two characters before the current one
        std::int32_t chars = first;
        for (std::int32_t bi = firstByte; chars < last && bi < par.bytes;) {
            const char c = data[bi];
            if (c == kMarkByte) {
                bi += MarkSize(data + bi);
                continue;
            }
            bi += Utf8SequenceLength(static_cast<unsigned char>(c));
            ++chars;
            if (c == kLineMarker[2] && before[1] == kLineMarker[1] && before[0] == kLineMarker[0]
                && chars - kMarkerChars >= first && !found(start + chars))
                return;
            before[0] = before[1];
            before[1] = c;
        }
    }
}

} // namespace

std::vector<std::int32_t> FindLineMarkers(const TVeskMemoStore& store, int limit)
{
    std::vector<std::int32_t> out;
    if (limit <= 0)
        return out;
    ScanMarkers(store, 0, store.CharCount(), [&](std::int32_t after) {
        out.push_back(after);
        return int(out.size()) < limit;
    });
    return out;
}

TLineMarkerIndex::TLineMarkerIndex(TVeskMemoStore& store, int limit) : store_(&store), limit_(limit)
{
    store_->AddListener(this);
}

TLineMarkerIndex::~TLineMarkerIndex()
{
    if (store_)
        store_->RemoveListener(this);
}

void TLineMarkerIndex::StoreDestroyed()
{
    store_ = nullptr;
    markers_.clear();
}

const std::vector<std::int32_t>& TLineMarkerIndex::Markers()
{
    if (store_ && !known_) {
        markers_ = FindLineMarkers(*store_, limit_);
        knownTo_ = int(markers_.size()) < limit_ ? store_->CharCount() : markers_.back();
        known_ = true;
        ++scans_;
    }
    return markers_;
}

void TLineMarkerIndex::Collect(std::int32_t from, std::int32_t to, std::int32_t after)
{
    ScanMarkers(*store_, from, to, [&](std::int32_t end) {
        if (end <= after)
            return true;
        markers_.insert(std::upper_bound(markers_.begin(), markers_.end(), end), end);
        return int(markers_.size()) < limit_;
    });
}

void TLineMarkerIndex::TextReplaced(const TTextChange& change)
{
    if (!known_ || !store_)
        return;
    const std::int32_t from = change.start;
    const std::int32_t to = from + change.oldLength;
    const std::int32_t delta = change.newLength - change.oldLength;
    // A marker the edit reached into (a character of it replaced, or text
    // put between its characters) is gone; those after the edit move.
    std::vector<std::int32_t> kept;
    for (std::int32_t end : markers_) {
        const std::int32_t begin = end - kMarkerChars;
        const bool touched = from < end && (from == to ? begin < from : begin < to);
        if (touched)
            continue;
        kept.push_back(end <= from ? end : end + delta);
    }
    markers_ = std::move(kept);
    // What is still known: everything, shifted, when the edit lies inside
    // the known part; otherwise the part before the edit.
    const std::int32_t knownTo = knownTo_ >= to ? knownTo_ + delta : std::min(knownTo_, from);
    // New markers can only form around the new text.
    const std::int32_t newEnd = from + change.newLength;
    std::vector<std::int32_t> around;
    ScanMarkers(*store_, from - (kMarkerChars - 1), newEnd + (kMarkerChars - 1), [&](std::int32_t end) {
        if (end <= knownTo && !std::binary_search(markers_.begin(), markers_.end(), end))
            around.push_back(end);
        return true;
    });
    for (std::int32_t end : around)
        markers_.insert(std::upper_bound(markers_.begin(), markers_.end(), end), end);
    knownTo_ = knownTo;
    if (int(markers_.size()) > limit_)
        markers_.resize(std::size_t(limit_));
    // Fewer than the limit: read on from where knowledge ends.
    if (int(markers_.size()) < limit_ && knownTo_ < store_->CharCount())
        Collect(knownTo_ - (kMarkerChars - 1), store_->CharCount(), knownTo_);
    knownTo_ = int(markers_.size()) < limit_ ? store_->CharCount() : markers_.back();
}

} // namespace vesk
