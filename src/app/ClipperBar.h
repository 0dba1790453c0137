// TClipperBar: the clipper's bar ("Panel2"): Cut, Copy and Paste buttons, the
// label naming the selected item's key, the drop-down list of items and the
// delete button at the right edge. It shows a TClipperList and carries out
// the clipper's commands on the editor it is given; its buttons report the
// user's requests to the main window, which runs them as commands.
#pragma once

#include "app/Clipper.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QMenu;

namespace vesk {

class TTransparentButton;
class TVeskMemoFile;

class TClipperBar : public QWidget {
    Q_OBJECT
public:
    explicit TClipperBar(QWidget* parent = nullptr);

    TClipperList& List() { return list_; }
    const TClipperList& List() const { return list_; }

    TTransparentButton* CutButton() const { return cut_; }
    TTransparentButton* CopyButton() const { return copy_; }
    TTransparentButton* PasteButton() const { return paste_; }
    TTransparentButton* DeleteButton() const { return delete_; }
    QLabel* KeyLabel() const { return label_; }
    QComboBox* Items() const { return combo_; }
    QMenu* LabelMenu() const { return labelMenu_; }

    // Shows the list again: the items, the selected one, the label, and the
    // Paste and delete buttons enabled exactly when there are items.
    void ComboBox1Change();
    // Sets the Display/Paste items of the label menu visible for the keys
    // that have an item, the separator only when there is one.
    void OnPopup3();

    // ---- the clipper's commands ------------------------------------------
    // Cut or copy the editor's selection into the clipper ("Clipper Full"
    // when it holds twelve items already).
    void ClipperCut(TVeskMemoFile& editor);
    void ClipperCopy(TVeskMemoFile& editor);
    // Replaces the editor's selection by the selected item.
    void ClipperPaste(TVeskMemoFile& editor);
    // The delete button: removes the selected item.
    void TransparentButton1Click();
    // F`key` (1 … 12): selects item key−1, or with Ctrl inserts it into
    // `editor`. False, doing nothing, when there is no such item.
    bool ClipperKey(int key, bool ctrl, TVeskMemoFile& editor);
    // The label menu's way of pressing a key: the key's press and release
    // (inside Ctrl's for Paste) are sent to the bar's window.
    void SendClipperKey(int key, bool ctrl);

    // The Cut, Copy and Paste buttons (the main window runs them as commands).
    std::function<void()> OnCut, OnCopy, OnPaste;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void PlaceControls();

    TClipperList list_;
    TTransparentButton* cut_ = nullptr;
    TTransparentButton* copy_ = nullptr;
    TTransparentButton* paste_ = nullptr;
    TTransparentButton* delete_ = nullptr;
    QLabel* label_ = nullptr;
    QComboBox* combo_ = nullptr;
    QMenu* labelMenu_ = nullptr;
    QAction* separator_ = nullptr;
};

// What an item looks like in the one-line drop-down list: line breaks shown as "¶ ".
QString ClipperItemCaption(const QString& item);

} // namespace vesk
