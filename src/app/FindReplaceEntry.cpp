// Find and Replace's entry point. Each press of a dialog's button is a
// search of its own in the document that is current at that moment.
#include "app/FindReplaceEntry.h"

#include "app/FindReplace.h"
#include "editor/VeskMemo.h"

namespace vesk {

TFindReplaceEntry::TFindReplaceEntry(TToolHost& host)
    : find_(new TFindDialog(false, host.MainWindow())), replace_(new TFindDialog(true, host.MainWindow()))
{
    host.SetCommand("Find1", [this](TVeskMemoFile& e) { FindClick(e); });
    host.SetCommand("Replace1", [this](TVeskMemoFile& e) { ReplaceClick(e); });
    auto onCurrent = [&host](auto action) {
        return [&host, action]() {
            if (TVeskMemoFile* editor = host.CurrentEditor())
                action(*editor);
        };
    };
    QObject::connect(find_, &TFindDialog::findNext, find_, onCurrent([this](TVeskMemoFile& e) {
        FindNext(e, find_->Options());
        e.ScrollInView();
        e.setFocus();
    }));
    QObject::connect(replace_, &TFindDialog::findNext, replace_, onCurrent([this](TVeskMemoFile& e) {
        FindNext(e, replace_->Options());
        e.ScrollInView();
    }));
    QObject::connect(replace_, &TFindDialog::replaceOne, replace_, onCurrent([this](TVeskMemoFile& e) {
        ReplaceOne(e, replace_->Options());
        e.ScrollInView();
        e.setFocus();
    }));
    QObject::connect(replace_, &TFindDialog::replaceAll, replace_, onCurrent([this](TVeskMemoFile& e) {
        ReplaceAll(e, replace_->Options());
        e.ScrollInView();
        e.setFocus();
    }));
}

void TFindReplaceEntry::FindClick(TVeskMemoFile& editor)
{
    find_->Open(QString::fromStdString(editor.SelText()));
}

void TFindReplaceEntry::ReplaceClick(TVeskMemoFile& editor)
{
    replace_->Open(QString::fromStdString(editor.SelText()));
}

} // namespace vesk
