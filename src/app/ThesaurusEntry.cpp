// The thesaurus's entry point.
#include "app/ThesaurusEntry.h"

#include "editor/VeskMemo.h"

#include <QPointer>

namespace vesk {

TThesaurusEntry::TThesaurusEntry(TToolHost& host) : host_(host)
{
    host.SetCommand("Thesaurus1", [this](TVeskMemoFile& e) { ThesBtnClick(e); });
}

void TThesaurusEntry::ThesBtnClick(TVeskMemoFile& editor)
{
    const std::string word = editor.SelText();
    const std::int32_t from = std::min(editor.SelStart(), editor.SelStart() + editor.SelLength());
    const std::int32_t to = std::max(editor.SelStart(), editor.SelStart() + editor.SelLength());
    QPointer<TVeskMemoFile> alive(&editor);
    const QString result = thesaurus_.Execute(QString::fromStdString(word), host_.MainWindow());
    if (result.isEmpty() || !alive)
        return;
    // The dialog is not modal: the user may have edited or clicked
    // meanwhile. The word goes where the looked-up text still stands, and
    // nowhere else.
    if (editor.GetTextPart(from, to) != word)
        return;
    editor.Select(from, to);
    editor.ReplaceSelection(result.toStdString());
}

} // namespace vesk
