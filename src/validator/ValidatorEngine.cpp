// The validation engine: scanner, tag checks, content rules, reporting.
#include "validator/ValidatorEngine.h"

#include "validator/ValidatorChecks.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace vesk {

struct TValidator::ElementRules {
    std::string section;  // the element's section name (UTF-8)
    bool elemLoaded = false;
    TNameList elemUpper;  // `elem`, reference followed, upper-cased
    bool contentLoaded = false;
    bool hasContent = false;  // `elem` or `chars` not empty: the element is pushed
    bool reqAttrLoaded = false;
    std::vector<std::u32string> reqAttr, reqAttrLower;
    bool reqElemLoaded = false;
    std::vector<std::u32string> reqElem;  // as written in the file
    // Attribute types by the attribute name as the scanner collected it.
    std::unordered_map<std::u32string, std::string, TNameHash, std::equal_to<>> attrTypes;
};

namespace {

constexpr char32_t kBlank = U' ';
constexpr char32_t kCR = U'\r';
constexpr char32_t kLF = U'\n';

// Characters scanned without a check between two looks at the clock.
constexpr int kCharsPerClockLook = 4096;
// Shortest time between two looks for changes of the rules file.
constexpr std::int64_t kRulesLookNs = 1000000;

// The characters with a meaning of their own to the scanner; every other
// character is appended, upper-cased, to Name or Rest.
bool IsScannerSpecial(char32_t c)
{
    return c == U'<' || c == U'>' || c == U' ' || c == U'\r' || c == U'\n' || c == U'"';
}

std::int64_t CoarseNowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

TValidator::TValidator(std::string rulesPath)
    : rules_(std::move(rulesPath)),
      elements_(std::make_unique<std::unordered_map<std::u32string, ElementRules, TNameHash, std::equal_to<>>>())
{
}

TValidator::~TValidator() = default;

// ---- a run ------------------------------------------------------------------

bool TValidator::Validator(TValidatorDocument& document, TValidatorResults& results)
{
    if (running_)
        return false;
    running_ = true;
    struct RunEnd {
        TValidator& v;
        ~RunEnd()
        {
            v.running_ = false;
            v.document_ = nullptr;
            v.results_ = nullptr;
            v.text_ = std::u32string();
            v.name_.clear();
            v.rest_.clear();
            v.openTags_.Clear();
            v.lastEndTag_.clear();
        }
    } runEnd{*this};

    document_ = &document;
    results_ = &results;
    errorCount_ = 0;
    name_.clear();
    rest_.clear();
    inName_ = inQuote_ = false;
    tagStart_ = 0;
    openTags_.Clear();
    lastEndTag_.clear();

    results.Clear();
    results.SetStatus(QStringLiteral("Validating ") + document.FileName());
    const std::int32_t length = document.Length();
    results.SetProgressMax(length);
    results.SetProgress(0);
    results.ShowResults();

    text_ = Utf8To32Upper(document.TextPart(0, length));
    // Whatever happened to the rules file since the last run counts now.
    RefreshRules(true);
    const std::int32_t n = std::int32_t(std::min<std::size_t>(text_.size(), std::size_t(std::max(length, 0))));

    // The clock is read after every check and every few thousand characters
    // without one; the coarse clock costs a few nanoseconds (a check takes a
    // fraction of a microsecond) and is exact to a few milliseconds.
    const std::int64_t eventsNs = std::int64_t(eventIntervalMs_) * 1000000;
    std::int64_t nextEvents = CoarseNowNs() + eventsNs;
    int charsLeft = kCharsPerClockLook;
    for (std::int32_t i = 0; i < n;) {
        // Characters the scanner only appends (most of a text) go to Name or
        // Rest as one piece.
        std::int32_t j = i;
        while (j < n && !IsScannerSpecial(text_[std::size_t(j)]))
            ++j;
        if (j > i) {
            (inName_ ? name_ : rest_).append(text_, std::size_t(i), std::size_t(j - i));
            charsLeft -= j - i;
            i = j;
            if (i == n)
                break;
        }
        const bool checked = Scan(text_[std::size_t(i)], i);
        ++i;
        if (!checked && --charsLeft > 0)
            continue;
        charsLeft = kCharsPerClockLook;
        const std::int64_t now = CoarseNowNs();
        if (now >= nextRulesLookNs_)
            RefreshRules(true);  // the rules as they are for the checks that follow
        if (now < nextEvents)
            continue;
        results.ProcessEvents();
        if (!results.Visible())
            break;
        results.SetProgress(i);
        nextEvents = CoarseNowNs() + eventsNs;
    }

    EndOfDocument();

    if (results.Visible()) {
        if (results.Count() >= 1)
            results.ShowFirstError();
        else
            results.Add(QString::fromLatin1(kNoErrorsFound));
    }
    results.SetStatus(QStringLiteral("Validating Finished"));
    results.SetProgress(0);
    return true;
}

bool TValidator::Scan(char32_t c, std::int32_t i)
{
    bool checked = false;
    if (c == U'<') {
        if (!rest_.empty()) {
            CheckHTMLElement(name_, rest_, i);
            checked = true;
        }
        inName_ = true;
        inQuote_ = false;
        rest_.clear();
        tagStart_ = i;
        // Name is kept: an unclosed tag's name runs on into the next one.
    }
    if ((c == kBlank || c == kCR || c == kLF) && !inQuote_)
        inName_ = false;
    if (c == U'"')
        inQuote_ = !inQuote_;
    if (c == kCR || c == kLF)
        (inName_ ? name_ : rest_).push_back(kBlank);
    else if (c != U'<' && c != U'>')
        (inName_ ? name_ : rest_).push_back(c);  // the copy is already upper-cased
    if (c == U'>') {
        inName_ = inQuote_ = false;
        const std::size_t first = rest_.find_first_not_of(kBlank);
        rest_.erase(0, first == std::u32string::npos ? rest_.size() : first);
        CheckHTMLElement(name_, rest_, i);
        checked = true;
        name_.clear();
        rest_.clear();
    }
    return checked;
}

void TValidator::EndOfDocument()
{
    while (!openTags_.Empty()) {
        RefreshRules();
        const std::u32string name = openTags_.Top().name;
        const std::int32_t index = openTags_.Top().index;
        if (!List(kNoEndTagKey0).Contains(name) && !List(kOptEndTagKey0).Contains(name))
            HTMLError(16, name, name, index);
        openTags_.Pop();
    }
}

// ---- checks ---------------------------------------------------------------

void TValidator::CheckHTMLElement(const std::u32string& name, const std::u32string& rest, std::int32_t p)
{
    const std::int32_t restStart = p - std::int32_t(rest.size());
    if (name.empty()) {
        // A run of text between tags.
        if (!textTypeLoaded_) {
            textType_ = rules_.TextRunType();
            textTypeLoaded_ = true;
        }
        if (!textType_.empty())
            CheckAttrType(std::u32string_view(), rest, textType_, false, restStart);
        return;
    }
    if (name.front() == U'!')
        return;  // comments and the document type declaration
    const bool endTag = name.front() == U'/';
    const std::u32string tag = endTag ? name.substr(1) : name;

    // An unknown tag is reported and then checked on with no current
    // element: it walks nothing, and an end tag applies the rules of the
    // section with the empty name.
    std::u32string cur;
    std::int32_t curPos = 0;
    const bool known = List(kStartTag).Contains(tag);
    if (!known) {
        HTMLError(1, tag, std::u32string_view(), restStart);
    } else if (!openTags_.Empty()) {
        cur = openTags_.Top().name;
        curPos = openTags_.Top().index;
    }
    if (endTag)
        EndTag(tag, rest, p, std::move(cur), curPos);
    else
        StartTag(tag, rest, p, known);
}

void TValidator::StartTag(const std::u32string& tag, const std::u32string& rest, std::int32_t p, bool known)
{
    const std::int32_t restStart = p - std::int32_t(rest.size());
    // Nesting: walk down from the innermost open element until one allows
    // the tag. Only a known tag walks (an unknown one has no current element).
    if (known) {
        // Entries of one name give one answer within a walk, so a name that
        // counted as implicitly closed is skipped wherever it recurs; runs of
        // one name are jumped over whole (`below`).
        std::vector<const std::u32string*> closed;
        std::int32_t i = openTags_.TopIndex();
        while (i >= 0) {
            const TOpenTagStack::Entry& e = openTags_.At(std::size_t(i));
            const std::u32string& cur = e.name;
            if (std::any_of(closed.begin(), closed.end(), [&](const std::u32string* s) { return *s == cur; })) {
                i = e.below;
                continue;
            }
            if (ElemUpper(Element(cur)).Contains(tag))
                break;
            if (!List(kOptEndTag).Contains(cur) && !List(kNoEndTag).Contains(cur)) {
                HTMLError(3, tag, cur, restStart);
                break;
            }
            if (InList(U",HTML,HEAD,BODY,", cur) && EndTagFollows(cur, p)) {
                HTMLError(3, tag, cur, restStart);
                break;
            }
            closed.push_back(&cur);
            i = e.below;
        }
    }

    ElementRules& element = Element(tag);
    if (!element.reqAttrLoaded) {
        for (const std::string& r : rules_.Numbered(element.section, "ReqAttr")) {
            element.reqAttr.push_back(Utf8To32(r));
            element.reqAttrLower.push_back(LowerAscii(element.reqAttr.back()));
        }
        element.reqAttrLoaded = true;
    }
    if (!element.reqAttr.empty()) {
        const std::u32string lowerRest = LowerAscii(rest);
        for (std::size_t n = 0; n < element.reqAttr.size(); ++n) {
            if (lowerRest.find(element.reqAttrLower[n]) == std::u32string::npos)
                HTMLError(6, element.reqAttr[n], tag, restStart);
        }
    }

    if (!rest.empty())
        Attributes(tag, element, rest, p);

    if (HasContent(element))
        openTags_.Push(tag, p);
}

void TValidator::Attributes(const std::u32string& tag, ElementRules& element, const std::u32string& rest,
                            std::int32_t p)
{
    const std::int32_t length = std::int32_t(rest.size());
    bool inValue = false, inQuote = false, hadEquals = false;
    std::u32string a, v;
    for (std::int32_t j = 1; j <= length; ++j) {
        const char32_t c = rest[std::size_t(j - 1)];
        const bool blankOutside = c == kBlank && !inQuote;
        if (c == U'=')
            inValue = hadEquals = true;
        else if (c == U'"')
            inQuote = !inQuote;
        else if (blankOutside)
            inValue = false;
        else
            (inValue ? v : a).push_back(c);
        if (!blankOutside && j != length)
            continue;
        // Attributes without a value, empty quoted values and names written
        // with blanks around "=" reach here with A or V empty: not examined.
        if (!a.empty() && !v.empty()) {
            const std::int32_t q = p - (length - j);
            if (inQuote)
                HTMLError(15, a, tag, q);
            auto it = element.attrTypes.find(a);
            if (it == element.attrTypes.end())
                it = element.attrTypes.emplace(a, rules_.AttrType(element.section, Utf32To8(LowerAscii(a)))).first;
            const std::string type = it->second;
            if (type.empty())
                HTMLError(7, a, tag, q);
            else
                CheckAttrType(a, v, type, hadEquals, q);
        }
        inValue = inQuote = hadEquals = false;
        a.clear();
        v.clear();
    }
}

void TValidator::CheckAttrType(std::u32string_view attrName, std::u32string_view value, const std::string& type,
                               bool hadEquals, std::int32_t position)
{
    (void)hadEquals;  // passed along by the attribute parser; no type rule depends on it
    if (!value.empty() && value.front() == U'"')
        value.remove_prefix(1);
    if (!value.empty() && value.back() == U'"')
        value.remove_suffix(1);
    bool valid;
    if (attrName.empty()) {
        // A text run: only an enumeration can accept it.
        if (type.empty() || value.empty())
            return;
        valid = type.front() == '(' && ValueFitsType(type, value);
    } else {
        valid = ValueFitsType(type, value);
    }
    if (!valid)
        HTMLError(8, value, attrName, position);
}

void TValidator::EndTag(const std::u32string& tag, const std::u32string& rest, std::int32_t p, std::u32string cur,
                        std::int32_t curPos)
{
    if (List(kNoEndTag).Contains(tag)) {
        HTMLError(2, tag, std::u32string_view(), p - std::int32_t(rest.size()));
        return;
    }
    const std::int32_t keyLength = std::int32_t(tag.size()) + 2;
    ContentRules(cur, curPos, p, keyLength);

    // Closing.
    if (cur == tag) {
        openTags_.Pop();
        return;
    }
    if (!openTags_.TextContains(tag))
        return;  // nothing of that name is open: ignored
    // Elements whose end tag may be left out close implicitly. The walk
    // also ends when the stack runs empty: a list holding ",," would
    // otherwise count the empty name as optional for ever.
    while (cur != tag && (List(kOptEndTag).Contains(cur) || List(kNoEndTag).Contains(cur))) {
        if (openTags_.Empty())
            break;
        openTags_.Pop();
        cur = openTags_.Empty() ? std::u32string() : openTags_.Top().name;
    }
    if (cur != tag)
        HTMLError(4, tag, cur, p - keyLength);
    else
        openTags_.Pop();
}

void TValidator::ContentRules(const std::u32string& cur, std::int32_t curPos, std::int32_t p, std::int32_t keyLength)
{
    ElementRules& element = Element(cur);
    if (!element.reqElemLoaded) {
        for (const std::string& v : rules_.Numbered(element.section, "ReqElem"))
            element.reqElem.push_back(Utf8To32(v));
        element.reqElemLoaded = true;
    }
    if (element.reqElem.empty())
        return;
    const std::int32_t size = std::int32_t(text_.size());
    const std::int32_t from = std::clamp(curPos, 0, size);
    const std::int32_t to = std::clamp(p, from, size);
    const std::u32string_view content(text_.data() + from, std::size_t(to - from));
    const std::int32_t at = p - keyLength;
    std::int32_t prev = 1;
    for (const std::u32string& v : element.reqElem) {
        const char32_t marker = v.size() >= 2 ? v[1] : 0;
        const std::u32string_view label = v.size() > 2 ? std::u32string_view(v).substr(2) : std::u32string_view();
        const std::u32string s = UpperAscii(label);
        std::int32_t f = 0;
        if (!s.empty()) {
            const std::size_t found = content.find(s);
            f = found == std::u32string_view::npos ? 0 : std::int32_t(found) + 1;
        }
        // What follows the first character of the first occurrence.
        const auto after = [&]() { return content.substr(std::size_t(std::min<std::int32_t>(f, to - from))); };
        switch (marker) {
        case U' ':
            if (f == 0) {
                HTMLError(5, label, cur, at);
            } else {
                std::u32string tagOpen = U"<";
                tagOpen += s;
                if (after().find(tagOpen) != std::u32string_view::npos)
                    HTMLError(11, label, cur, at);
            }
            break;
        case U'+':
            if (f == 0)
                HTMLError(5, label, cur, at);
            break;
        case U'?':
            if (f != 0 && after().find(s) != std::u32string_view::npos)
                HTMLError(11, label, cur, at);
            break;
        case U'*':
            if (f == 0)
                f = 1;
            break;
        case U'-':
            if (f != 0)
                HTMLError(12, label, cur, at);
            break;
        case U'o':
            if (tagStart_ == curPos + 1)
                HTMLError(13, std::u32string_view(), cur, at);
            break;
        default:
            break;
        }
        if (!v.empty() && v.front() == U',' && f < prev)
            HTMLError(10, label, cur, at);
        prev = f;
    }
}

void TValidator::HTMLError(int code, std::u32string_view name, std::u32string_view context, std::int32_t position)
{
    const QString message = ValidatorMessage(code, name, context);
    document_->SetSelStart(std::max(position, 0));
    const std::int32_t line = document_->CurrentLine();
    results_->Add(QString::number(line + 1) + QStringLiteral(": ") + message);
    ++errorCount_;
}

// ---- rules derived from the file ---------------------------------------------

void TValidator::RefreshRules(bool atOnce)
{
    // Looking for changes costs a system call: at most once a millisecond.
    const std::int64_t now = CoarseNowNs();
    if (!atOnce && now < nextRulesLookNs_)
        return;
    nextRulesLookNs_ = now + kRulesLookNs;
    if (rules_.Refresh())
        DropDerivedRules();
}

void TValidator::DropDerivedRules()
{
    elements_->clear();
    for (CachedList& l : lists_)
        l = CachedList();
    textTypeLoaded_ = false;
    textType_.clear();
}

TValidator::ElementRules& TValidator::Element(const std::u32string& name)
{
    auto it = elements_->find(name);
    if (it == elements_->end()) {
        it = elements_->emplace(name, ElementRules()).first;
        it->second.section = Utf32To8(name);
    }
    return it->second;
}

const TNameList& TValidator::ElemUpper(ElementRules& e)
{
    if (!e.elemLoaded) {
        e.elemUpper = TNameList(Utf8To32Upper(rules_.Referenced(e.section, "elem")));
        e.elemLoaded = true;
    }
    return e.elemUpper;
}

bool TValidator::HasContent(ElementRules& e)
{
    if (!e.contentLoaded) {
        e.hasContent = !ElemUpper(e).Empty() || !rules_.Value(e.section, "chars").empty();
        e.contentLoaded = true;
    }
    return e.hasContent;
}

const TNameList& TValidator::List(ListId id)
{
    CachedList& l = lists_[id];
    if (!l.loaded) {
        std::string text;
        switch (id) {
        case kStartTag: text = rules_.List("StartTag"); break;
        case kNoEndTag: text = rules_.List("NoEndTag"); break;
        case kOptEndTag: text = rules_.List("OptEndTag"); break;
        case kNoEndTagKey0: text = rules_.ListFirstKey("NoEndTag"); break;
        case kOptEndTagKey0: text = rules_.ListFirstKey("OptEndTag"); break;
        case kListCount: break;
        }
        l.names = TNameList(Utf8To32(text));
        l.loaded = true;
    }
    return l.names;
}

bool TValidator::EndTagFollows(const std::u32string& name, std::int32_t p)
{
    auto it = lastEndTag_.find(name);
    if (it == lastEndTag_.end()) {
        std::u32string needle = U"</";
        needle += name;
        const std::size_t last = text_.rfind(needle);
        it = lastEndTag_.emplace(name, last == std::u32string::npos ? -1 : std::int64_t(last)).first;
    }
    return it->second >= p;
}

} // namespace vesk
