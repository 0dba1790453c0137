// The quick codes' entry point.
#include "app/QuickCodesEntry.h"

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

void TQuickCodesEntry::QuickCodeInsert(TVeskMemoFile& editor, int code)
{
    if (editor.ReadOnly())
        return;
    InsertQuickCode(editor, code, ProgramFile(QStringLiteral("quickcod.ini")), host_.Today());
    editor.ScrollInView();
    editor.setFocus();
}

} // namespace vesk
