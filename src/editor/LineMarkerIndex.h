// Line markers as the text holds them: the three characters "<!>" (an empty
// markup declaration, which browsers ignore). Found without any widget, and
// kept up to date from the store's change reports.
#pragma once

#include "editor/VeskMemoStore.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vesk {

inline constexpr std::string_view kLineMarker = "<!>";
inline constexpr int kLineMarkerLimit = 9;

// The first `limit` markers of the text in document order, each as the
// offset just after its "<!>". A marker lies within one paragraph; marks
// between its characters do not count, style codes do (they are characters).
std::vector<std::int32_t> FindLineMarkers(const TVeskMemoStore& store, int limit = kLineMarkerLimit);

// The same list, brought up to date after each edit by looking at the text
// around the edit (and, when a marker went, on from the last one listed
// until the list is full again) instead of scanning the whole text. A load
// makes the next reading scan from the start.
class TLineMarkerIndex : public TStoreListener {
public:
    explicit TLineMarkerIndex(TVeskMemoStore& store, int limit = kLineMarkerLimit);
    ~TLineMarkerIndex() override;
    TLineMarkerIndex(const TLineMarkerIndex&) = delete;
    TLineMarkerIndex& operator=(const TLineMarkerIndex&) = delete;

    // The markers now (empty once the store is gone).
    const std::vector<std::int32_t>& Markers();
    // Whole-text scans made so far (tests and benchmarks).
    int Scans() const { return scans_; }

    void TextReplaced(const TTextChange& change) override;
    void TextReset() override { known_ = false; }
    void StoreDestroyed() override;

private:
    // Adds the markers that end after `after` and lie wholly in [from, to),
    // in order, until the list holds `limit_`.
    void Collect(std::int32_t from, std::int32_t to, std::int32_t after);

    TVeskMemoStore* store_;
    int limit_;
    // Every marker that ends at or before knownTo_, in order; when fewer
    // than limit_, knownTo_ is the end of the text.
    std::vector<std::int32_t> markers_;
    std::int32_t knownTo_ = 0;
    bool known_ = false;
    int scans_ = 0;
};

} // namespace vesk
