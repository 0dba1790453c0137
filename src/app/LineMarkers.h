// The main window's line markers: "<!>" in the text (an empty markup
// declaration browsers ignore, so markers travel with the document), the
// first nine numbered in the gutter and listed in the gutter's menu.
#pragma once

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>

class QMenu;
class QWidget;

namespace vesk {

class TVeskGutter;
class TVeskMemoFile;

class TLineMarkers : public QObject {
public:
    static constexpr int kMaxLineMarkers = 9;

    // The gutter menu is made a child of `parent`; choosing item k calls
    // `onGoto(k)`, which is expected to end in GotoTag for the current tab.
    TLineMarkers(QWidget* parent, std::function<void(int)> onGoto);

    // Rebuilds the marker table, the gutter marks and the gutter menu for
    // the current tab (nothing without one); runs after every change, tab
    // switch and load.
    void OnPopup5(TVeskMemoFile* current, TVeskGutter* currentGutter);
    // A press at height y (gutter coordinates): the left button places or
    // removes a marker at the start of the display line there.
    void GutterMouseDown(TVeskMemoFile& editor, TVeskGutter& gutter, Qt::MouseButton button, int y);
    // Menu item k (1 … 9): the caret goes just after marker k; out of range
    // or beyond the markers there are, nothing happens.
    void GotoTag(TVeskMemoFile* current, int k);

    int Count() const { return markerCount_; }
    // Offset just after marker k (0-based, below Count()).
    std::int32_t Offset(int k) const { return markerOffsets_[std::size_t(k)]; }
    QMenu* Menu() const { return gutterMenu_; }

private:
    QMenu* gutterMenu_ = nullptr;
    std::array<std::int32_t, kMaxLineMarkers> markerOffsets_{};
    int markerCount_ = 0;
};

} // namespace vesk
