// The quick-code builder: templates filled from "quickcod.ini", and their insertion into an editor.
#include "tools/QuickCodes.h"

#include "editor/VeskMemoCore.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "tools/DateUpdater.h"

#include <QtGlobal>

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

namespace vesk {

namespace {

using K = TQuickCodeKeyKind;

// The builder's defaults. Page16's type choices use the names of the header
// constants (see there why not "I", "A", "1", "a", "i").
constexpr TQuickCodeKey kKeys[] = {
    {"Page0", "HTML4", K::YesNo, "1"},
    {"Page0", "HTML4T", K::YesNo, "1"},
    {"Page0", "HTML4F", K::YesNo, "1"},
    {"Page0", "HTML3", K::YesNo, "0"},
    {"Page0", "HTML2", K::YesNo, "0"},
    {"Page0", "Title", K::Text, "The Page's Title"},
    {"Page0", "generator", K::YesNo, "1"},

    {"Page1", "author", K::YesNo, "1"},
    {"Page1", "authortext", K::Text, "Your Name"},
    {"Page1", "keywords", K::YesNo, "1"},
    {"Page1", "keywordstext", K::Text, "keyword, keyword, keyword"},
    {"Page1", "description", K::YesNo, "1"},
    {"Page1", "descriptiontext", K::Text, "Description"},

    {"Page2", "made", K::YesNo, "0"},
    {"Page2", "madetext", K::Text, kQuickCodePlaceholderEmail},
    {"Page2", "stylesheet", K::YesNo, "0"},
    {"Page2", "stylesheettext", K::Text, "yourstylesheet.css"},
    {"Page2", "home", K::YesNo, "0"},
    {"Page2", "hometext", K::Text, "homepage.htm"},

    {"Page3", "toc", K::YesNo, "0"},
    {"Page3", "toctext", K::Text, "tableofcontents.htm"},
    {"Page3", "index", K::YesNo, "0"},
    {"Page3", "indextext", K::Text, "index.htm"},
    {"Page3", "glossary", K::YesNo, "0"},
    {"Page3", "glossarytext", K::Text, "glossary.htm"},
    {"Page3", "copyright", K::YesNo, "0"},
    {"Page3", "copyrighttext", K::Text, "copyright.htm"},

    {"Page4", "up", K::YesNo, "0"},
    {"Page4", "uptext", K::Text, "up.htm"},
    {"Page4", "next", K::YesNo, "0"},
    {"Page4", "nexttext", K::Text, "next.htm"},
    {"Page4", "previous", K::YesNo, "0"},
    {"Page4", "previoustext", K::Text, "previous.htm"},
    {"Page4", "help", K::YesNo, "0"},
    {"Page4", "helptext", K::Text, "help.htm"},

    {"Page5", "bkgrdimage", K::YesNo, "0"},
    {"Page5", "bkgrdimagetext", K::Text, "background.gif"},
    {"Page5", "bodycolors", K::YesNo, "0"},
    {"Page5", "bkground", K::Text, "FFFFFF"},
    {"Page5", "text", K::Text, "000000"},
    {"Page5", "link", K::Text, "FF0000"},
    {"Page5", "alink", K::Text, "800080"},
    {"Page5", "vlink", K::Text, "800080"},

    {"Page6", "picture", K::Text, "picture.gif"},
    {"Page6", "alt", K::YesNo, "1"},
    {"Page6", "alttext", K::Text, "This is a Picture"},
    {"Page6", "width", K::YesNo, "0"},
    {"Page6", "widthnum", K::Number, "50"},
    {"Page6", "height", K::YesNo, "0"},
    {"Page6", "heightnum", K::Number, "50"},

    {"Page7", "align", K::YesNo, "0"},
    {"Page7", "right", K::YesNo, "1"},
    {"Page7", "left", K::YesNo, "0"},
    {"Page7", "top", K::YesNo, "0"},
    {"Page7", "middle", K::YesNo, "0"},
    {"Page7", "bottom", K::YesNo, "0"},

    {"Page8", "vspace", K::YesNo, "0"},
    {"Page8", "vspacenum", K::Number, "5"},
    {"Page8", "hspace", K::YesNo, "0"},
    {"Page8", "hspacenum", K::Number, "5"},
    {"Page8", "border", K::YesNo, "0"},
    {"Page8", "bordernum", K::Number, "0"},

    {"Page9", "link", K::YesNo, "1"},
    {"Page9", "linktext", K::Text, kQuickCodePlaceholderUrl},
    {"Page9", "jump", K::YesNo, "0"},
    {"Page9", "jumptext", K::Text, "jump"},
    {"Page9", "title", K::YesNo, "1"},
    {"Page9", "titletext", K::Text, "Link Title"},

    {"Page10", "nametext", K::Text, "Jump Name"},

    {"Page11", "width", K::YesNo, "1"},
    {"Page11", "widthtext", K::Text, "90%"},
    {"Page11", "align", K::YesNo, "1"},
    {"Page11", "left", K::YesNo, "0"},
    {"Page11", "center", K::YesNo, "0"},
    {"Page11", "right", K::YesNo, "0"},
    {"Page11", "size", K::YesNo, "0"},
    {"Page11", "sizenum", K::Number, "2"},
    {"Page11", "noshade", K::YesNo, "0"},

    {"Page12", "dateline", K::YesNo, "1"},
    {"Page12", "beforedatetext", K::Text, "Last Updated - "},
    {"Page12", "afterdatetext", K::Text, ""},
    {"Page12", "emailline", K::YesNo, "1"},
    {"Page12", "beforeemailtext", K::Text, ""},
    {"Page12", "emailtext", K::Text, kQuickCodePlaceholderEmail},
    {"Page12", "linktext", K::Text, kQuickCodePlaceholderEmail},
    {"Page12", "afteremailtext", K::Text, ""},

    {"Page13", "copyline", K::YesNo, "1"},
    {"Page13", "copysymbol", K::YesNo, "1"},
    {"Page13", "copytext", K::Text, "Copyright 1999 by Your Name - All Rights Reserved"},
    {"Page13", "miscline", K::YesNo, "0"},
    {"Page13", "misctext", K::Text, "Whatever You Want to Say"},

    {"Page14", "size", K::YesNo, "1"},
    {"Page14", "1", K::YesNo, "0"},
    {"Page14", "2", K::YesNo, "0"},
    {"Page14", "3", K::YesNo, "0"},
    {"Page14", "4", K::YesNo, "0"},
    {"Page14", "5", K::YesNo, "0"},
    {"Page14", "6", K::YesNo, "0"},
    {"Page14", "7", K::YesNo, "0"},
    {"Page14", "color", K::YesNo, "0"},
    {"Page14", "colortext", K::Text, "FFFFFF"},
    {"Page14", "face", K::YesNo, "1"},
    {"Page14", "facetext", K::Text, "Arial"},

    {"Page15", "type", K::YesNo, "0"},
    {"Page15", "disc", K::YesNo, "1"},
    {"Page15", "square", K::YesNo, "0"},
    {"Page15", "circle", K::YesNo, "0"},
    {"Page15", "compact", K::YesNo, "0"},
    {"Page15", "num", K::Number, "2"},

    {"Page16", "type", K::YesNo, "0"},
    {"Page16", kNumberedUpperRomanKey, K::YesNo, "0"},
    {"Page16", kNumberedUpperAlphaKey, K::YesNo, "0"},
    {"Page16", kNumberedArabicKey, K::YesNo, "1"},
    {"Page16", kNumberedLowerAlphaKey, K::YesNo, "0"},
    {"Page16", kNumberedLowerRomanKey, K::YesNo, "0"},
    {"Page16", "start", K::YesNo, "0"},
    {"Page16", "startnum", K::Number, "2"},
    {"Page16", "compact", K::YesNo, "0"},
    {"Page16", "num", K::Number, "2"},

    {"Page17", "compact", K::YesNo, "0"},
    {"Page17", "num", K::Number, "2"},

    {"Page18", "compact", K::YesNo, "0"},
    {"Page18", "num", K::Number, "2"},
};

bool SameAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

const QString kCrLf = QStringLiteral("\r\n");

// One build's view of the settings file: every read takes its default from
// kKeys, so the builder and the wizard cannot disagree about a default.
class TQuickCodeSettings {
public:
    explicit TQuickCodeSettings(const QString& path) : file_(path.toStdString()) {}

    bool Yes(std::string_view section, std::string_view key) const
    {
        return file_.ReadBool(section, key, Default(section, key) == std::string_view("1"));
    }

    // The reader strips one pair of enclosing quotes from the default as
    // well, so quoting it keeps a default's blanks ("Last Updated - ").
    QString Text(std::string_view section, std::string_view key) const
    {
        const QString quoted = u'"' + QString::fromUtf8(Default(section, key)) + u'"';
        return file_.ReadString(section, key, quoted);
    }

    int Number(std::string_view section, std::string_view key) const
    {
        return file_.ReadInt(section, key, int(std::strtol(Default(section, key), nullptr, 10)));
    }

    // A group of yes/no keys standing for one choice: the last one that
    // reads yes gives its value; empty when none does.
    QString Choice(std::string_view section,
                   std::initializer_list<std::pair<const char*, const char*>> keysAndValues) const
    {
        QString chosen;
        for (const auto& [key, value] : keysAndValues)
            if (Yes(section, key))
                chosen = QString::fromLatin1(value);
        return chosen;
    }

    // A group of yes/no alignment keys: every key that reads yes adds
    // " ALIGN=" and its value, in the order given.
    QString Alignments(std::string_view section, std::initializer_list<const char*> keys) const
    {
        QString attributes;
        for (const char* key : keys)
            if (Yes(section, key))
                attributes += QStringLiteral(" ALIGN=") + QString::fromLatin1(key);
        return attributes;
    }

private:
    static const char* Default(std::string_view section, std::string_view key)
    {
        const TQuickCodeKey* entry = FindQuickCodeKey(section, key);
        // Every key the builder reads is in kKeys; the tests read them all.
        Q_ASSERT(entry);
        return entry ? entry->defaultValue : "";
    }

    SettingsFile file_;
};

QString Quoted(const QString& text) { return u'"' + text + u'"'; }

// "#" in front of a colour or a jump target, unless the user already wrote it.
QString WithHash(const QString& text)
{
    return text.startsWith(u'#') ? text : u'#' + text;
}

// The document type declaration of the chosen HTML version, as published
// with it (the HTML 4.0 ones name their DTD on a second line).
QString DocumentType(const QString& version)
{
    const auto html40 = [](const char* publicId, const char* dtd) {
        return QStringLiteral("<!DOCTYPE HTML PUBLIC \"") + QString::fromLatin1(publicId) +
               QStringLiteral("\"\r\n\"http://www.w3.org/TR/REC-html40/") +
               QString::fromLatin1(dtd) + QStringLiteral("\">\r\n");
    };
    if (version == u"HTML4")
        return html40("-//W3C//DTD HTML 4.0//EN", "strict.dtd");
    if (version == u"HTML4T")
        return html40("-//W3C//DTD HTML 4.0 Transitional//EN", "loose.dtd");
    if (version == u"HTML4F")
        return html40("-//W3C//DTD HTML 4.0 Frameset//EN", "frameset.dtd");
    if (version == u"HTML3")
        return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n");
    if (version == u"HTML2")
        return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\r\n");
    return {};
}

QString WebSiteShellHead(const TQuickCodeSettings& s)
{
    QString head = DocumentType(s.Choice("Page0", {{"HTML4", "HTML4"},
                                                   {"HTML4T", "HTML4T"},
                                                   {"HTML4F", "HTML4F"},
                                                   {"HTML3", "HTML3"},
                                                   {"HTML2", "HTML2"}}));
    head += QStringLiteral("<HTML><HEAD><TITLE>") + s.Text("Page0", "Title") +
            QStringLiteral("</TITLE>") + kCrLf;
    if (s.Yes("Page0", "generator"))
        head += QStringLiteral("<META NAME=\"generator\" CONTENT=\"") +
                QString::fromLatin1(kQuickCodeGeneratorContent) + QStringLiteral("\">") + kCrLf;

    struct Line {
        const char* section;
        const char* key;
        const char* opening;
    };
    static constexpr Line kLines[] = {
        {"Page1", "author", "<META NAME=\"author\" CONTENT=\""},
        {"Page1", "keywords", "<META NAME=\"keywords\" CONTENT=\""},
        {"Page1", "description", "<META NAME=\"description\" CONTENT=\""},
        {"Page2", "made", "<LINK REV=\"made\" HREF=\""},
        {"Page2", "stylesheet", "<LINK REL=\"stylesheet\" HREF=\""},
        {"Page2", "home", "<LINK REL=\"home\" HREF=\""},
        {"Page3", "toc", "<LINK REL=\"toc\" HREF=\""},
        {"Page3", "index", "<LINK REL=\"index\" HREF=\""},
        {"Page3", "glossary", "<LINK REL=\"glossary\" HREF=\""},
        {"Page3", "copyright", "<LINK REL=\"copyright\" HREF=\""},
        {"Page4", "up", "<LINK REL=\"up\" HREF=\""},
        {"Page4", "next", "<LINK REL=\"next\" HREF=\""},
        {"Page4", "previous", "<LINK REL=\"previous\" HREF=\""},
        {"Page4", "help", "<LINK REL=\"help\" HREF=\""},
    };
    for (const Line& line : kLines)
        if (s.Yes(line.section, line.key))
            head += QString::fromLatin1(line.opening) +
                    s.Text(line.section, std::string(line.key) + "text") + QStringLiteral("\">") +
                    kCrLf;

    head += QStringLiteral("</HEAD><BODY");
    if (s.Yes("Page5", "bkgrdimage"))
        head += QStringLiteral(" BACKGROUND=") + Quoted(s.Text("Page5", "bkgrdimagetext"));
    if (s.Yes("Page5", "bodycolors")) {
        // The wizard stores bare digits; a colour typed with its "#" must not get a second one.
        head += QStringLiteral(" BGCOLOR=") + Quoted(WithHash(s.Text("Page5", "bkground"))) +
                QStringLiteral(" TEXT=") + Quoted(WithHash(s.Text("Page5", "text"))) +
                QStringLiteral(" LINK=") + Quoted(WithHash(s.Text("Page5", "link"))) +
                QStringLiteral(" ALINK=") + Quoted(WithHash(s.Text("Page5", "alink"))) +
                QStringLiteral(" VLINK=") + Quoted(WithHash(s.Text("Page5", "vlink")));
    }
    head += u'>' + kCrLf;
    return head;
}

QString Picture(const TQuickCodeSettings& s)
{
    QString img = QStringLiteral("<IMG SRC=") + Quoted(s.Text("Page6", "picture"));
    if (s.Yes("Page6", "alt"))
        img += QStringLiteral(" ALT=") + Quoted(s.Text("Page6", "alttext"));
    if (s.Yes("Page6", "width"))
        img += QStringLiteral(" WIDTH=") + QString::number(s.Number("Page6", "widthnum"));
    if (s.Yes("Page6", "height"))
        img += QStringLiteral(" HEIGHT=") + QString::number(s.Number("Page6", "heightnum"));
    if (s.Yes("Page7", "align"))
        img += s.Alignments("Page7", {"right", "left", "top", "middle", "bottom"});
    if (s.Yes("Page8", "vspace"))
        img += QStringLiteral(" VSPACE=") + QString::number(s.Number("Page8", "vspacenum"));
    if (s.Yes("Page8", "hspace"))
        img += QStringLiteral(" HSPACE=") + QString::number(s.Number("Page8", "hspacenum"));
    if (s.Yes("Page8", "border"))
        img += QStringLiteral(" BORDER=") + QString::number(s.Number("Page8", "bordernum"));
    return img + u'>';
}

QString LinkHref(const TQuickCodeSettings& s, const QString& sel)
{
    QString target;
    if (s.Yes("Page9", "link"))
        target += s.Text("Page9", "linktext");
    if (s.Yes("Page9", "jump"))
        target += WithHash(s.Text("Page9", "jumptext"));
    QString a = QStringLiteral("<A HREF=") + Quoted(target);
    if (s.Yes("Page9", "title"))
        a += QStringLiteral(" TITLE=") + Quoted(s.Text("Page9", "titletext"));
    return a + u'>' + sel + QStringLiteral("</A>");
}

QString LinkName(const TQuickCodeSettings& s, const QString& sel)
{
    return QStringLiteral("<A NAME=") + Quoted(s.Text("Page10", "nametext")) + u'>' + sel +
           QStringLiteral("</A>");
}

QString Line(const TQuickCodeSettings& s)
{
    QString hr = QStringLiteral("<HR");
    if (s.Yes("Page11", "width"))
        hr += QStringLiteral(" WIDTH=") + Quoted(s.Text("Page11", "widthtext"));
    if (s.Yes("Page11", "align"))
        hr += s.Alignments("Page11", {"left", "center", "right"});
    if (s.Yes("Page11", "size"))
        hr += QStringLiteral(" SIZE=") + Quoted(QString::number(s.Number("Page11", "sizenum")));
    if (s.Yes("Page11", "noshade"))
        hr += QStringLiteral(" NOSHADE");
    return hr + QStringLiteral("><BR>");
}

QString Copyright(const TQuickCodeSettings& s, const QDate& today)
{
    QString address = QStringLiteral("<ADDRESS>") + kCrLf;
    if (s.Yes("Page12", "dateline"))
        address += s.Text("Page12", "beforedatetext") + ShortDate(today) +
                   s.Text("Page12", "afterdatetext") + QStringLiteral("<BR>") + kCrLf;
    if (s.Yes("Page12", "emailline"))
        address += s.Text("Page12", "beforeemailtext") + QStringLiteral("<A HREF=\"mailto:") +
                   s.Text("Page12", "emailtext") + QStringLiteral("\">") +
                   s.Text("Page12", "linktext") + QStringLiteral("</A>") +
                   s.Text("Page12", "afteremailtext") + QStringLiteral("<BR>") + kCrLf;
    if (s.Yes("Page13", "copyline")) {
        // Five characters, no semicolon: the line has always been written so.
        if (s.Yes("Page13", "copysymbol"))
            address += QStringLiteral("&copy");
        address += s.Text("Page13", "copytext") + QStringLiteral("<BR>") + kCrLf;
    }
    if (s.Yes("Page13", "miscline"))
        address += s.Text("Page13", "misctext") + QStringLiteral("<BR>") + kCrLf;
    return address + QStringLiteral("</ADDRESS>");
}

QString Font(const TQuickCodeSettings& s, const QString& sel)
{
    QString font = QStringLiteral("<FONT");
    if (s.Yes("Page14", "size")) {
        const QString size = s.Choice(
            "Page14", {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "6"}, {"7", "7"}});
        // With no size chosen the attribute stays bare, as the template has it.
        font += QStringLiteral(" SIZE=") + (size.isEmpty() ? QString() : Quoted(size));
    }
    if (s.Yes("Page14", "color"))
        font += QStringLiteral(" COLOR=") + Quoted(WithHash(s.Text("Page14", "colortext")));
    if (s.Yes("Page14", "face"))
        font += QStringLiteral(" FACE=") + Quoted(s.Text("Page14", "facetext"));
    return font + u'>' + sel + QStringLiteral("</FONT>");
}

// opening + num × (itemStart + sel + itemEnd) + closing; nothing when the
// result would be longer than kQuickCodeMaxLength. A num of 0 or less gives
// the two tags alone.
bool AppendItems(QString& text, int num, const QString& itemStart, const QString& sel,
                 const QString& itemEnd)
{
    if (num <= 0)
        return true;
    const qint64 itemLength = qint64(itemStart.size()) + sel.size() + itemEnd.size();
    if (qint64(num) * itemLength > kQuickCodeMaxLength - text.size() - 16)
        return false;
    text.reserve(text.size() + qsizetype(num * itemLength) + 16);
    for (int i = 0; i < num; ++i)
        text += itemStart + sel + itemEnd;
    return true;
}

std::optional<QString> List(const TQuickCodeSettings& s, int code, const QString& sel, QString* notice)
{
    QString list;
    const char* section = nullptr;
    QString itemStart = QStringLiteral("<LI>");
    QString itemEnd = kCrLf;
    QString closing;
    switch (code) {
    case qcBullets:
        section = "Page15";
        list = QStringLiteral("<UL");
        if (s.Yes(section, "type"))
            list += QStringLiteral(" TYPE=") +
                    Quoted(s.Choice(section, {{"disc", "disc"}, {"square", "square"}, {"circle", "circle"}}));
        closing = QStringLiteral("</UL>");
        break;
    case qcNumbered:
        section = "Page16";
        list = QStringLiteral("<OL");
        if (s.Yes(section, "type"))
            list += QStringLiteral(" TYPE=") + Quoted(s.Choice(section, {{kNumberedUpperRomanKey, "I"},
                                                                         {kNumberedUpperAlphaKey, "A"},
                                                                         {kNumberedArabicKey, "1"},
                                                                         {kNumberedLowerAlphaKey, "a"},
                                                                         {kNumberedLowerRomanKey, "i"}}));
        if (s.Yes(section, "start"))
            list += QStringLiteral(" START=") + QString::number(s.Number(section, "startnum"));
        closing = QStringLiteral("</OL>");
        break;
    case qcDictionary:
        section = "Page17";
        list = QStringLiteral("<DL");
        itemStart = QStringLiteral("<DT>");
        itemEnd = QStringLiteral("<DD>") + kCrLf;
        closing = QStringLiteral("</DL>");
        break;
    default:
        section = "Page18";
        list = QStringLiteral("<MENU");
        closing = QStringLiteral("</MENU>");
        break;
    }
    if (s.Yes(section, "compact"))
        list += QStringLiteral(" COMPACT");
    list += u'>';
    int num = s.Number(section, "num");
    if (num > kQuickCodeMaxItems) {
        if (notice)
            *notice = QStringLiteral("The ") + QString::fromLatin1(kQuickCodeMenuItems[std::size_t(code)].caption) +
                      QStringLiteral(" list of ") + QString::fromLatin1(kQuickCodeFileName) +
                      QStringLiteral(" asks for ") + QString::number(num) +
                      QStringLiteral(" items; it is made with ") + QString::number(kQuickCodeMaxItems) +
                      QStringLiteral(", the most the Quick Code Setup Wizard offers.");
        num = kQuickCodeMaxItems;
    }
    if (!AppendItems(list, num, itemStart, sel, itemEnd))
        return std::nullopt;
    return list + closing;
}

} // namespace

std::span<const TQuickCodeKey> QuickCodeKeys() { return kKeys; }

const TQuickCodeKey* FindQuickCodeKey(std::string_view section, std::string_view key)
{
    for (const TQuickCodeKey& entry : kKeys)
        if (SameAsciiNoCase(entry.section, section) && SameAsciiNoCase(entry.key, key))
            return &entry;
    return nullptr;
}

QString QuickCodeFile() { return ProgramFile(QString::fromLatin1(kQuickCodeFileName)); }

std::vector<TQuickCodeInsertion> BuildQuickCode(int code, const QString& settingsPath,
                                                const QString& selection, const QDate& today, QString* notice)
{
    const TQuickCodeSettings s(settingsPath);
    using I = TQuickCodeInsertion;
    switch (code) {
    case qcWebSiteShell:
        return {I{I::AtStart, WebSiteShellHead(s)},
                I{I::AtEnd, QStringLiteral("</BODY></HTML>") + kCrLf}};
    case qcPicture:
        return {I{I::ReplaceSelection, Picture(s)}};
    case qcLinkHref:
        return {I{I::ReplaceSelection, LinkHref(s, selection)}};
    case qcLinkName:
        return {I{I::ReplaceSelection, LinkName(s, selection)}};
    case qcLine:
        return {I{I::ReplaceSelection, Line(s)}};
    case qcCopyright:
        return {I{I::ReplaceSelection, Copyright(s, today)}};
    case qcFont:
        return {I{I::ReplaceSelection, Font(s, selection)}};
    case qcBullets:
    case qcNumbered:
    case qcDictionary:
    case qcMenu:
        if (std::optional<QString> list = List(s, code, selection, notice))
            return {I{I::ReplaceSelection, std::move(*list)}};
        return {};
    default:
        return {};
    }
}

bool InsertQuickCode(TVeskMemoCore& editor, int code, const QString& settingsPath,
                     const QDate& today, QString* notice)
{
    const QString selection = QString::fromStdString(editor.SelText());
    const std::vector<TQuickCodeInsertion> insertions =
        BuildQuickCode(code, settingsPath, selection, today, notice);
    bool inserted = false;
    const std::int32_t undoMark = editor.UndoList().Position();
    for (const TQuickCodeInsertion& insertion : insertions) {
        switch (insertion.where) {
        case TQuickCodeInsertion::AtStart:
            editor.SetSelStart(0);
            editor.SetSelLength(0);
            break;
        case TQuickCodeInsertion::AtEnd:
            editor.SetSelStart(editor.CharCount());
            editor.SetSelLength(0);
            break;
        case TQuickCodeInsertion::ReplaceSelection:
            break;
        }
        if (editor.ReplaceSelection(insertion.text.toStdString()))
            inserted = true;
    }
    editor.JoinUndoSince(undoMark);  // the Web Site Shell's two insertions undo as one
    return inserted;
}

} // namespace vesk
