// The wizard's pages and keys, its defaults, and reading and writing a page of "quickcod.ini".
#include "tools/QuickCodeWizard.h"

#include "platform/ProfileFile.h"
#include "settings/Settings.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vesk {
namespace {

using K = TWizardControlKind;

TWizardControl Check(const char* key, const char* caption, const char* governedBy = nullptr)
{
    return {K::Check, key, caption, governedBy};
}
TWizardControl Text(const char* key, const char* caption, const char* governedBy = nullptr,
                    bool fileButton = false)
{
    return {K::Text, key, caption, governedBy, 0, 0, fileButton};
}
TWizardControl Number(const char* key, const char* caption, const char* governedBy, int minimum, int maximum)
{
    return {K::Number, key, caption, governedBy, minimum, maximum};
}
TWizardControl Choice(const char* key, const char* caption, const char* governedBy = nullptr)
{
    return {K::Choice, key, caption, governedBy};
}
TWizardControl ColorButton(const char* caption, const char* governedBy)
{
    return {K::ColorButton, "", caption, governedBy};
}

// A check box with the edit box beside it that it enables.
#define CHECK_TEXT(key, caption) Check(key, caption), Text(key "text", "", key)

const TWizardControl kPage0[] = {
    Choice("HTML4", "HTML 4.0 (strict)"),
    Choice("HTML4T", "HTML 4.0 (transitional)"),
    Choice("HTML4F", "HTML 4.0 (frameset)"),
    Choice("HTML3", "HTML 3.2"),
    Choice("HTML2", "HTML 2.0"),
    Text("Title", "TITLE - the page's name in the browser's title bar:"),
    Check("generator", "generator - lists HTML Vesk as the web site editor."),
};
const TWizardControl kPage1[] = {
    CHECK_TEXT("author", "AUTHOR - who wrote the page:"),
    CHECK_TEXT("keywords", "KEYWORDS - words search engines file it under:"),
    CHECK_TEXT("description", "DESCRIPTION - what search engines say of it:"),
};
const TWizardControl kPage2[] = {
    CHECK_TEXT("made", "MADE - the author's page or address:"),
    CHECK_TEXT("stylesheet", "STYLESHEET - the style sheet of the page:"),
    CHECK_TEXT("home", "HOME - the site's home page:"),
};
const TWizardControl kPage3[] = {
    CHECK_TEXT("toc", "TOC - the table of contents:"),
    CHECK_TEXT("index", "INDEX - the site's index:"),
    CHECK_TEXT("glossary", "GLOSSARY - the glossary:"),
    CHECK_TEXT("copyright", "COPYRIGHT - the copyright notice:"),
};
const TWizardControl kPage4[] = {
    CHECK_TEXT("up", "UP - the page one level up:"),
    CHECK_TEXT("next", "NEXT - the next page in order:"),
    CHECK_TEXT("previous", "PREVIOUS - the page before:"),
    CHECK_TEXT("help", "HELP - the page that helps:"),
};
const TWizardControl kPage5[] = {
    Check("bkgrdimage", "Background Image:"),
    Text("bkgrdimagetext", "", "bkgrdimage", true),
    Check("bodycolors", "Set Default Page Colors"),
    Text("bkground", "&Background:", "bodycolors"),
    Text("text", "&Text:", "bodycolors"),
    Text("link", "&Link:", "bodycolors"),
    Text("vlink", "&Visited Link:", "bodycolors"),
    Text("alink", "&Activated Link:", "bodycolors"),
    ColorButton("&Color Producer", "bodycolors"),
};
const TWizardControl kPage6[] = {
    Text("picture", "SRC - the picture's file:", nullptr, true),
    CHECK_TEXT("alt", "ALT - text shown in its place:"),
    Check("width", "WIDTH:"),
    Number("widthnum", "", "width", 1, 10000),
    Check("height", "HEIGHT:"),
    Number("heightnum", "", "height", 1, 10000),
};
const TWizardControl kPage7[] = {
    Check("align", "ALIGN - where the picture sits beside the text."),
    Choice("right", "RIGHT", "align"),
    Choice("left", "LEFT", "align"),
    Choice("top", "TOP", "align"),
    Choice("middle", "MIDDLE", "align"),
    Choice("bottom", "BOTTOM", "align"),
};
const TWizardControl kPage8[] = {
    Check("vspace", "VSPACE - blank pixels above and below:"),
    Number("vspacenum", "", "vspace", 1, 1000),
    Check("hspace", "HSPACE - blank pixels left and right:"),
    Number("hspacenum", "", "hspace", 1, 1000),
    Check("border", "BORDER - width of the frame in pixels:"),
    Number("bordernum", "", "border", 0, INT_MAX),
};
const TWizardControl kPage9[] = {
    CHECK_TEXT("link", "Link to Another Site:"),
    CHECK_TEXT("jump", "Jump to NAME tag:"),
    CHECK_TEXT("title", "TITLE - a tip shown over the link:"),
};
const TWizardControl kPage10[] = {
    Text("nametext", "NAME - what links to this place jump to:"),
};
const TWizardControl kPage11[] = {
    CHECK_TEXT("width", "WIDTH - length of line in pixels or percentage."),
    Check("align", "ALIGN - where a shorter line sits."),
    Choice("left", "LEFT", "align"),
    Choice("center", "CENTER", "align"),
    Choice("right", "RIGHT", "align"),
    Check("size", "SIZE - thickness of the line in pixels:"),
    Number("sizenum", "", "size", 1, 1000),
    Check("noshade", "NOSHADE - a solid line without shading."),
};
const TWizardControl kPage12[] = {
    Check("dateline", "Date Line - the day the page last changed."),
    Text("beforedatetext", "Text before date:", "dateline"),
    Text("afterdatetext", "Text after date:", "dateline"),
    Check("emailline", "E-mail Line - a link that writes to you."),
    Text("beforeemailtext", "Text before link:", "emailline"),
    Text("linktext", "Linked Text (e.g. - Click Here) :", "emailline"),
    Text("emailtext", "E-mail Address:", "emailline"),
    Text("afteremailtext", "Text after link:", "emailline"),
};
const TWizardControl kPage13[] = {
    Check("copyline", "Copyright Line:"),
    Text("copytext", "", "copyline"),
    Check("copysymbol", "Place Copyright symbol at the beginning of the line."),
    Check("miscline", "Another Line:"),
    Text("misctext", "", "miscline"),
};
const TWizardControl kPage14[] = {
    Check("size", "SIZE - how large the text is."),
    Choice("1", "1 (smallest)", "size"),
    Choice("2", "2", "size"),
    Choice("3", "3", "size"),
    Choice("4", "4", "size"),
    Choice("5", "5", "size"),
    Choice("6", "6", "size"),
    Choice("7", "7 (largest)", "size"),
    Check("color", "COLOR - the colour of the text:"),
    Text("colortext", "", "color"),
    ColorButton("Color Producer", "color"),
    CHECK_TEXT("face", "FACE - fonts to use, the first found wins:"),
};
const TWizardControl kPage15[] = {
    Number("num", "Number of Items:", nullptr, 1, kQuickCodeMaxItems),
    Check("type", "TYPE - the shape of the bullets."),
    Choice("disc", "Disc", "type"),
    Choice("square", "Square", "type"),
    Choice("circle", "Circle", "type"),
    Check("compact", "COMPACT - items drawn closer together."),
};
const TWizardControl kPage16[] = {
    Number("num", "Number of Items:", nullptr, 1, kQuickCodeMaxItems),
    Check("type", "TYPE - how the items are numbered."),
    Choice(kNumberedUpperRomanKey, "I, II, III", "type"),
    Choice(kNumberedUpperAlphaKey, "A, B, C", "type"),
    Choice(kNumberedArabicKey, "1, 2, 3", "type"),
    Choice(kNumberedLowerAlphaKey, "a, b, c", "type"),
    Choice(kNumberedLowerRomanKey, "i, ii, iii", "type"),
    Check("start", "START - if first item is not 1, specify it here:"),
    Number("startnum", "", "start", 1, 1000),
    Check("compact", "COMPACT - items drawn closer together."),
};
const TWizardControl kPage17[] = {
    Number("num", "Number of Items:", nullptr, 1, kQuickCodeMaxItems),
    Check("compact", "COMPACT - terms and definitions closer together."),
};
const TWizardControl kPage18[] = {
    Number("num", "Number of Items:", nullptr, 1, kQuickCodeMaxItems),
    Check("compact", "COMPACT - items drawn closer together."),
};

#undef CHECK_TEXT

const TWizardPage kPages[kWizardPageCount] = {
    {qcWebSiteShell, "Web Site Shell: Document",
     "The shell puts the head of a page before your text and closes the page after it. Choose the "
     "document type and the title.",
     "Document Type", kPage0},
    {qcWebSiteShell, "Web Site Shell: META Lines",
     "META lines tell search engines who wrote the page and what it is about.", nullptr, kPage1},
    {qcWebSiteShell, "Web Site Shell: LINK Lines",
     "LINK lines name pages and files that belong with this one.", nullptr, kPage2},
    {qcWebSiteShell, "Web Site Shell: More LINK Lines",
     "Pages that help a reader find the way around the site.", nullptr, kPage3},
    {qcWebSiteShell, "Web Site Shell: Pages Around This One",
     "Pages before, after and above this one in the site.", nullptr, kPage4},
    {qcWebSiteShell, "Web Site Shell: BODY",
     "The background picture and the page's colours. Colours are six hexadecimal digits: red, green "
     "and blue.",
     nullptr, kPage5},
    {qcPicture, "Picture or Image: Source and Size",
     "The picture's file, the text shown in its place and, if you like, its size in pixels.", nullptr,
     kPage6},
    {qcPicture, "Picture or Image: Alignment",
     "Where the picture sits beside the text that follows it.", "Alignment", kPage7},
    {qcPicture, "Picture or Image: Space and Border",
     "Blank space around the picture and a frame.", nullptr, kPage8},
    {qcLinkHref, "Link - HREF",
     "The link goes around the selected text: to another page, to a NAME tag, or to a NAME tag on "
     "another page.",
     nullptr, kPage9},
    {qcLinkName, "Link - NAME",
     "A NAME tag around the selected text marks a place that links can jump to.", nullptr, kPage10},
    {qcLine, "Line", "A horizontal rule across the page.", "Alignment", kPage11},
    {qcCopyright, "Copyright: Date and E-mail",
     "The ADDRESS block at the foot of a page: when it was updated and how to write to you.", nullptr,
     kPage12},
    {qcCopyright, "Copyright: Notice",
     "The copyright notice and a line of your own.", nullptr, kPage13},
    {qcFont, "Font", "The FONT tag goes around the selected text.", "Size", kPage14},
    {qcBullets, "Bullets", "A bulleted list; each item holds the selected text.", "Bullet", kPage15},
    {qcNumbered, "Numbered", "A numbered list; each item holds the selected text.", "Numbering", kPage16},
    {qcDictionary, "Dictionary",
     "A list of terms and definitions; each term holds the selected text.", nullptr, kPage17},
    {qcMenu, "Menu", "A menu list; each item holds the selected text.", nullptr, kPage18},
};

constexpr TWizardGroup kGroups[] = {{0, 5}, {6, 8}, {9, 9}, {10, 10}, {11, 11}, {12, 13},
                                    {14, 14}, {15, 15}, {16, 16}, {17, 17}, {18, 18}};

// The keys the wizard shows differently from the builder's defaults; nullptr
// means "as the builder".
struct TWizardOwnDefault {
    int page;
    const char* key;
    const char* opening;
    const char* afterDefault;
};
const TWizardOwnDefault kOwnDefaults[] = {
    {0, "HTML4T", "0", "0"},
    {0, "HTML4F", "0", "0"},
    {0, "Title", "Page Title", "Page Title"},
    {1, "keywordstext", "keyword,keyword,keyword", nullptr},
    {2, "madetext", nullptr, "author.htm"},
    {2, "stylesheettext", nullptr, "style.css"},
    {2, "hometext", nullptr, "home.htm"},
    {3, "toctext", "toc.htm", "toc.htm"},
    {4, "previoustext", nullptr, "back.htm"},
    {5, "bkgrdimagetext", nullptr, "bkgnd.gif"},
    {6, "alttext", nullptr, "Picture"},
    {9, "jumptext", nullptr, "#target"},
    {11, "center", "1", "1"},
    {12, "beforeemailtext", "", "Email Address: "},
    {14, "3", "1", "1"},
    {14, "colortext", nullptr, ""},
};

std::string Section(int page) { return "Page" + std::to_string(page); }

bool IsYesNo(TWizardControlKind kind) { return kind == K::Check || kind == K::Choice; }

// The number a value reads as, the way the builder reads it.
std::optional<long long> ReadNumber(const QString& value)
{
    int n = 0;
    if (!ParseProfileInt(value.toStdString(), n))
        return std::nullopt;
    return n;
}

QString CutText(const QString& text)
{
    // Counted in code points, as the reader cuts.
    qsizetype units = 0;
    std::size_t points = 0;
    while (units < text.size() && points < kProfileValueMax) {
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
        ++points;
    }
    return text.left(units);
}

} // namespace

const TWizardPage& WizardPage(int page)
{
    if (page < 0 || page >= kWizardPageCount)
        throw std::out_of_range("Quick code wizard page " + std::to_string(page) + " does not exist");
    return kPages[page];
}

TWizardGroup WizardGroupOf(int page)
{
    for (const TWizardGroup& group : kGroups)
        if (page >= group.first && page <= group.last)
            return group;
    throw std::out_of_range("Quick code wizard page " + std::to_string(page) + " does not exist");
}

QString WizardDefault(int page, const char* key, TWizardDefaults which)
{
    for (const TWizardOwnDefault& own : kOwnDefaults) {
        if (own.page != page || std::strcmp(own.key, key) != 0)
            continue;
        const char* value = which == TWizardDefaults::Opening ? own.opening : own.afterDefault;
        if (value)
            return QString::fromUtf8(value);
    }
    const TQuickCodeKey* entry = FindQuickCodeKey(Section(page), key);
    return entry ? QString::fromUtf8(entry->defaultValue) : QString();
}

TWizardValues SaneWizardValues(int page, TWizardValues values)
{
    const TWizardPage& p = WizardPage(page);
    values.resize(p.controls.size());
    int lastChoice = -1;
    for (std::size_t i = 0; i < p.controls.size(); ++i) {
        const TWizardControl& c = p.controls[i];
        QString& v = values[i];
        const std::optional<long long> number = ReadNumber(v);
        switch (c.kind) {
        case K::Check:
        case K::Choice: {
            const long long yes = number.value_or(WizardDefault(page, c.key, TWizardDefaults::Opening).toInt());
            v = yes != 0 ? QStringLiteral("1") : QStringLiteral("0");
            if (c.kind == K::Choice && yes != 0)
                lastChoice = int(i);
            break;
        }
        case K::Number: {
            const long long n = number.value_or(WizardDefault(page, c.key, TWizardDefaults::Opening).toLongLong());
            v = QString::number(std::clamp<long long>(n, c.minimum, c.maximum));
            break;
        }
        case K::Text:
            v = CutText(v);
            break;
        case K::ColorButton:
            v.clear();
            break;
        }
    }
    // One choice per page: only the last radio button that reads yes stays on.
    for (std::size_t i = 0; i < p.controls.size(); ++i)
        if (p.controls[i].kind == K::Choice && int(i) != lastChoice)
            values[i] = QStringLiteral("0");
    return values;
}

TWizardValues ReadWizardPage(const QString& path, int page, TWizardDefaults which)
{
    const TWizardPage& p = WizardPage(page);
    const SettingsFile file(path.toStdString());
    const std::string section = Section(page);
    TWizardValues values;
    values.reserve(p.controls.size());
    for (const TWizardControl& c : p.controls) {
        if (c.kind == K::ColorButton) {
            values.emplace_back();
            continue;
        }
        // Quoted, so a default's blanks survive the reader ("Email Address: ").
        const QString fallback = u'"' + WizardDefault(page, c.key, which) + u'"';
        QString value = file.ReadString(section, c.key, fallback);
        // A yes/no or number that is not a number shows its default.
        if ((IsYesNo(c.kind) || c.kind == K::Number) && !ReadNumber(value))
            value = WizardDefault(page, c.key, which);
        values.push_back(value);
    }
    return SaneWizardValues(page, std::move(values));
}

void WriteWizardPage(const QString& path, int page, const TWizardValues& values)
{
    const TWizardPage& p = WizardPage(page);
    const TWizardValues sane = SaneWizardValues(page, values);
    const std::string file = path.toStdString();
    const std::string section = Section(page);
    ProfileWriteBatch batch(file);
    for (std::size_t i = 0; i < p.controls.size(); ++i) {
        const TWizardControl& c = p.controls[i];
        if (c.kind == K::ColorButton)
            continue;
        const std::string value = sane[i].toStdString();
        WritePrivateProfileString(section, c.key, c.kind == K::Text ? '"' + value + '"' : value, file);
    }
    batch.Commit();
}

void EraseWizardPage(const QString& path, int page)
{
    WizardPage(page);  // range check
    WritePrivateProfileString(Section(page), std::nullopt, std::nullopt, path.toStdString());
}

QString WizardChosenFile(const QString& chosen, const QString& programFolder)
{
    const auto relative = [](const QString& path, QString folder) -> std::optional<QString> {
        if (folder.isEmpty())
            return std::nullopt;
        if (!folder.endsWith(u'/'))
            folder += u'/';
        if (path.size() > folder.size() && path.startsWith(folder, Qt::CaseInsensitive))
            return path.mid(folder.size());
        return std::nullopt;
    };
    if (const auto r = relative(chosen, programFolder))
        return *r;
    // The same folder reached through a symbolic link.
    const QString canonicalFile = QFileInfo(chosen).canonicalFilePath();
    const QString canonicalFolder = QFileInfo(programFolder).canonicalFilePath();
    if (const auto r = relative(canonicalFile, canonicalFolder))
        return *r;
    return QFileInfo(chosen).fileName();
}

} // namespace vesk
