// TClipperBar: the clipper's bar ("Panel2"): Cut, Copy and Paste buttons, the
// label naming the selected item's key, the drop-down list of items and the
// delete button at the right edge. It shows a TClipperList and reports the
// user's requests; the main window carries them out on the editor.
#pragma once

#include "app/Clipper.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QMenu;

namespace vesk {

class TTransparentButton;

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

    // The buttons and the label menu; `key` is 1 … 12.
    std::function<void()> OnCut, OnCopy, OnPaste, OnDelete;
    std::function<void(int key, bool ctrl)> OnKeyMenu;

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
