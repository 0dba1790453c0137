// The designed code lists and the Code<n>/Check<n> storage of the code bars.
#include "settings/CodeLists.h"

#include "platform/ProfileFile.h"

#include <string>

namespace vesk {

namespace {

std::vector<CodeItem> AllChecked(std::initializer_list<const char*> codes)
{
    std::vector<CodeItem> items;
    items.reserve(codes.size());
    for (const char* code : codes)
        items.push_back({QString::fromLatin1(code), kCodeChecked});
    return items;
}

std::string CodeKey(int index) { return "Code" + std::to_string(index); }
std::string CheckKey(int index) { return "Check" + std::to_string(index); }

} // namespace

std::vector<CodeItem> DefaultSECodes()
{
    return AllChecked({
        "<A>", "<ABBR>", "<ACRONYM>", "<ADDRESS>", "<APPLET>", "<B>", "<BDO>", "<BIG>",
        "<BLOCKQUOTE>", "<BODY>", "<BUTTON>", "<CAPTION>", "<CENTER>", "<CITE>", "<CODE>",
        "<DD>", "<DEL>", "<DFN>", "<DIR>", "<DIV>", "<DL>", "<DT>", "<EM>", "<FIELDSET>",
        "<FONT>", "<FORM>", "<FRAMESET>", "<H1>", "<H2>", "<H3>", "<H4>", "<H5>", "<H6>",
        "<HEAD>", "<HTML>", "<I>", "<IFRAME>", "<INS>", "<KBD>", "<LABEL>", "<LEGEND>",
        "<LISTING>", "<MAP>", "<MENU>", "<NOFRAMES>", "<NOSCRIPT>", "<OBJECT>", "<OL>",
        "<OPTGROUP>", "<OPTION>", "<P>", "<PLAINTEXT>", "<PRE>", "<Q>", "<S>", "<SAMP>",
        "<SCRIPT>", "<SELECT>", "<SMALL>", "<SPAN>", "<STRIKE>", "<STRONG>", "<STYLE>",
        "<SUB>", "<SUP>", "<TABLE>", "<TBODY>", "<TD>", "<TEXTAREA>", "<TFOOT>", "<TH>",
        "<THEAD>", "<TITLE>", "<TR>", "<TT>", "<U>", "<UL>", "<VAR>"
    });
}

std::vector<CodeItem> DefaultSingleCodes()
{
    return AllChecked({
        "&amp", "&gt", "&lt", "&nbsp", "&quote", "<! >", "<AREA>", "<BASE>", "<BASEFONT>",
        "<BR>", "<COL>", "<DD>", "<DT>", "<FRAME>", "<HR>", "<IMG SRC=\"\">", "<ISINDEX>",
        "<LI>", "<LINK>", "<META>", "<NEXTID>", "<PARAM>"
    });
}

std::vector<CodeItem> DefaultCodeList(std::string_view section)
{
    // Section names are matched without regard to case, as the file does.
    const QString name = QString::fromUtf8(section.data(), qsizetype(section.size()));
    if (name.compare(QLatin1String(kSECodesSection), Qt::CaseInsensitive) == 0)
        return DefaultSECodes();
    if (name.compare(QLatin1String(kSingleCodesSection), Qt::CaseInsensitive) == 0)
        return DefaultSingleCodes();
    return {};
}

std::vector<CodeItem> ReadCodeList(std::string_view section, const SettingsFile& file)
{
    std::vector<CodeItem> items;
    for (int i = 0;; ++i) {
        QString code = file.ReadString(section, CodeKey(i));
        if (code.isEmpty())
            break;
        int check = file.ReadInt(section, CheckKey(i), kCodeChecked);
        if (check != kCodeUnchecked && check != kCodeGreyed)
            check = kCodeChecked;
        items.push_back({std::move(code), check});
    }
    if (items.empty())
        return DefaultCodeList(section);
    return items;
}

void WriteCodeList(std::string_view section, const std::vector<CodeItem>& items,
                   const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    file.EraseSection(section);
    int index = 0;
    for (const CodeItem& item : items) {
        if (item.code.isEmpty())
            continue;
        file.WriteString(section, CodeKey(index), item.code);
        file.WriteInt(section, CheckKey(index), item.check);
        ++index;
    }
    batch.Commit();
}

} // namespace vesk
