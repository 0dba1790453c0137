// The quick codes' entry point.
#include "app/QuickCodesEntry.h"

#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "platform/ProgramFolder.h"
#include "tools/QuickCodes.h"

namespace vesk {
namespace {

// The menu commands of the quick codes, by code.
constexpr std::pair<TQuickCode, std::string_view> kQuickCodeCommands[] = {
    {qcWebSiteShell, "WebSiteShell1"}, {qcPicture, "PictureorImage1"}, {qcLinkHref, "LinkHREF1"},
    {qcLinkName, "LinkNAME1"},         {qcLine, "Line1"},              {qcCopyright, "Copyright1"},
    {qcFont, "Font1"},                 {qcBullets, "Bullets1"},        {qcNumbered, "Numbered1"},
    {qcDictionary, "Dictionary1"},     {qcMenu, "Menu1"},
};

} // namespace

TQuickCodesEntry::TQuickCodesEntry(TToolHost& host) : host_(host)
{
    for (const auto& [code, name] : kQuickCodeCommands)
        host.SetCommand(name, [this, code = code](TVeskMemoFile& e) { QuickCodeInsert(e, code); });
}

void InsertQuickCodeInto(TVeskMemoFile& editor, int code, const QDate& today)
{
    if (editor.ReadOnly())
        return;
    QString notice;
    InsertQuickCode(editor, code, ProgramFile(QStringLiteral("quickcod.ini")), today, &notice);
    if (!notice.isEmpty())
        MsgBox(notice, QString::fromLatin1(kQuickCodeNoticeCaption), kMbOk, kSoundInformation);
    editor.ScrollInView();
    editor.setFocus();
}

void TQuickCodesEntry::QuickCodeInsert(TVeskMemoFile& editor, int code)
{
    InsertQuickCodeInto(editor, code, host_.Today());
}

} // namespace vesk
