// The clipper's item list and its file "clipper.txt": up to twelve texts,
// item i bound to function key F(i+1), kept across runs.
//
// File format: each item's lines, then the separator line "%$#@%!". Lines
// are read with LF or CR LF ends (so files written elsewhere load) and are
// written with LF; an item's lines are joined with CR LF in memory, the
// editor's paragraph break. A text of valid UTF-8 is read as UTF-8, anything
// else as Windows-1252, so no byte of an old file is lost.
#pragma once

#include <QString>
#include <QStringList>

namespace vesk {

inline constexpr int kClipperCapacity = 12;
inline constexpr char kClipperSeparator[] = "%$#@%!";
inline constexpr char kClipperFileName[] = "clipper.txt";

class TClipperList {
public:
    const QStringList& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Full() const { return Count() >= kClipperCapacity; }
    // The selected index: always valid while the list is not empty, else -1.
    int Selected() const { return selected_; }
    QString SelectedText() const { return selected_ >= 0 ? items_[selected_] : QString(); }
    // "<F3>" for the third item, "" for an empty list.
    QString Label() const;

    // Appends and selects the new item; false (nothing added) when full.
    bool Add(const QString& text);
    // Removes the selected item; the same index stays selected (the next
    // item moves into it) unless it is now past the end, then the new last.
    void DeleteSelected();
    // Selects item i; out-of-range indexes are ignored.
    void Select(int index);
    // Replaces the whole list (at most the first twelve are kept); item 0
    // is selected when there is one.
    void SetItems(const QStringList& items);

private:
    QStringList items_;
    int selected_ = -1;
};

// Reads the items of a clipper file. A missing file gives no items; an
// unreadable one throws std::runtime_error with the reason. A separator
// line inside an item's text splits it; a last item without separator is
// taken as read so far.
QStringList ReadClipperFile(const QString& path);
// The file's bytes for `items`.
QByteArray ClipperFileBytes(const QStringList& items);
// Writes the items (replacing the file safely); an empty list leaves the
// file as it is. Throws std::runtime_error when the file cannot be written.
void WriteClipperFile(const QString& path, const QStringList& items);

} // namespace vesk
