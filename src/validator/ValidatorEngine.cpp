// The validation engine: scanner, tag checks, content rules, reporting.
#include "validator/ValidatorEngine.h"

#include "validator/ValidatorChecks.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <ctime>

namespace vesk {

struct TValidator::ElementRules {
    std::u32string name;  // as the scanner collects it (upper-cased)
    std::string section;  // the element's section name (UTF-8)
    bool htmlHeadBody = false;  // one of HTML, HEAD, BODY
    int onStack = 0;  // entries of the stack of open elements that are this record
    // Its place in `allows` of the others, given when it first walks (only
    // tags the StartTag list names walk, so the places stay few).
    std::int32_t walkIndex = -1;

    // Derived from the rules file; valid while `derived` is the validator's.
    std::uint64_t derived = 0;
    signed char inList[kListCount];  // -1: not looked up yet
    bool elemLoaded = false;
    TNameList elemUpper;  // `elem`, reference followed, upper-cased
    std::vector<signed char> allows;  // by a tag's walkIndex: -1 unknown, 0, 1
    bool contentLoaded = false;
    bool hasContent = false;  // `elem` or `chars` not empty: the element is pushed
    bool reqAttrLoaded = false;
    std::vector<std::u32string> reqAttr, reqAttrLower;
    bool reqElemLoaded = false;
    TContentWatches::Rules content;  // ReqElem1, 2, …; null when none
    // Attribute types by the attribute name as the scanner collected it.
    std::unordered_map<std::u32string, std::string, TNameHash, std::equal_to<>> attrTypes;

    // Forgets every derived value.
    void Drop(std::uint64_t now)
    {
        derived = now;
        std::fill(std::begin(inList), std::end(inList), -1);
        elemLoaded = contentLoaded = reqAttrLoaded = reqElemLoaded = false;
        elemUpper = TNameList();
        allows.clear();
        reqAttr.clear();
        reqAttrLower.clear();
        content.reset();
        attrTypes.clear();
    }
};

struct TValidator::Clock {
    std::int64_t eventsNs = 0;
    std::int64_t nextEvents = 0;
    int charsLeft = 0;
};

namespace {

constexpr char32_t kBlank = U' ';

// Characters scanned without a check between two looks at the clock.
constexpr int kCharsPerClockLook = 4096;
// Shortest time between two looks for changes of the rules file.
constexpr std::int64_t kRulesLookNs = 1000000;

// The bytes with a meaning of their own to the scanner; every other
// character is appended, upper-cased, to Name or Rest. Outside a tag's name
// a blank and a double quote are appended like any other character: they
// only matter to the name (a quote lasts until the next "<" or ">" at the
// latest, and the name only starts again at a "<"). Tabs and line breaks
// are always special, since they are appended as blanks.
constexpr std::array<bool, 256> SpecialBytes(bool inName)
{
    std::array<bool, 256> s{};
    s['<'] = s['>'] = s['\t'] = s['\r'] = s['\n'] = true;
    if (inName)
        s[' '] = s['"'] = true;
    return s;
}
constexpr std::array<bool, 256> kSpecialInName = SpecialBytes(true);
constexpr std::array<bool, 256> kSpecialOutside = SpecialBytes(false);

// The first byte at or after `i` that `special` names.
std::size_t SkipPlain(const std::array<bool, 256>& special, const unsigned char* p, std::size_t i, std::size_t n)
{
    while (i < n && !special[p[i]])
        ++i;
    return i;
}

// The same for the bytes special outside a name, eight bytes at a time: a
// word goes by when none of its bytes is "<", ">", a tab or a line break.
std::size_t SkipOutside(const unsigned char* p, std::size_t i, std::size_t n)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHigh; };
    while (i + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (hasZero(w ^ (kOnes * '<')) | hasZero(w ^ (kOnes * '>')) | hasZero(w ^ (kOnes * '\t'))
            | hasZero(w ^ (kOnes * '\r')) | hasZero(w ^ (kOnes * '\n')))
            break;
        i += 8;
    }
    return SkipPlain(kSpecialOutside, p, i, n);
}

// Characters of UTF-8 text: every byte but the continuation bytes.
std::int32_t CountChars(std::string_view utf8)
{
    std::int32_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

// What ends a tag's name and separates its attributes.
bool IsBlank(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

std::int64_t CoarseNowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

// Element records kept between runs, at most; and how many a run makes
// before it forgets those of names no open element carries (a page of
// countless made-up names costs no lasting memory).
constexpr std::size_t kRecordsKeptBetweenRuns = 10000;
constexpr std::size_t kRecordsBeforeSweep = 50000;

TValidator::TValidator(std::string rulesPath) : rules_(std::move(rulesPath)), sweepAt_(kRecordsBeforeSweep) {}

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
            v.name_ = std::u32string();
            v.rest_ = std::u32string();
            v.piece_ = {};
            v.tail_.clear();
            v.openTags_.Clear();
            v.open_.clear();
            v.watches_.Clear();
            for (auto& [name, record] : v.elements_)
                record.onStack = 0;
            // A page of countless made-up names leaves no lasting cost.
            if (v.elements_.size() > kRecordsKeptBetweenRuns) {
                v.elements_.clear();
                v.recent_.fill(nullptr);
                v.walkers_ = 0;
            }
        }
    } runEnd{*this};

    document_ = &document;
    results_ = &results;
    errorCount_ = 0;
    edited_ = false;
    name_.clear();
    rest_.clear();
    inName_ = inQuote_ = false;
    tagStart_ = 0;
    index_ = 0;
    byteBase_ = 0;
    piece_ = {};
    pieceByte_ = 0;
    tail_.clear();
    restSkipped_ = false;
    openTags_.Clear();
    open_.clear();
    watches_.Clear();

    results.Clear();
    results.SetStatus(QStringLiteral("Validating ") + document.FileName());
    results.SetProgressMax(document.Length());
    results.SetProgress(0);
    results.ShowResults();

    // Whatever happened to the rules file since the last run counts now.
    RefreshRules(true);
    document.Rewind();
    // Text outside every element answers to the rules of the empty name.
    none_ = &Element(std::u32string_view());
    watches_.Open(ContentOf(*none_), 0, {});

    // The clock is read after every check and every few thousand characters
    // without one; the coarse clock costs a few nanoseconds (a check takes a
    // fraction of a microsecond) and is exact to a few milliseconds.
    Clock clock;
    clock.eventsNs = std::int64_t(eventIntervalMs_) * 1000000;
    clock.nextEvents = CoarseNowNs() + clock.eventsNs;
    clock.charsLeft = kCharsPerClockLook;
    std::string_view piece;
    while (document.NextPiece(piece)) {
        if (!ScanPiece(piece, clock))
            break;
    }
    edited_ = edited_ || document.Changed();

    if (!edited_) {
        EndOfDocument();
        if (results.Visible()) {
            if (results.Count() >= 1)
                results.ShowFirstError();
            else
                results.Add(QString::fromLatin1(kNoErrorsFound));
        }
    }
    results.SetStatus(edited_ ? QString::fromLatin1(kStoppedByEdit) : QStringLiteral("Validating Finished"));
    results.SetProgress(0);
    return true;
}

bool TValidator::ScanPiece(std::string_view piece, Clock& clock)
{
    piece_ = piece;
    fed_ = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t n = piece.size();
    std::size_t i = 0;
    bool go = true;
    while (i < n) {
        // Characters the scanner only appends (most of a text) go to Name or
        // Rest as one piece.
        const std::size_t j = inName_ ? SkipPlain(kSpecialInName, bytes, i, n) : SkipOutside(bytes, i, n);
        if (j > i) {
            const std::string_view run = piece.substr(i, j - i);
            std::int32_t chars;
            if (inName_)
                chars = AppendUtf8Upper(name_, run);
            else if (!SkipTextRun())
                chars = AppendUtf8Upper(rest_, run);
            else
                chars = CountChars(run);
            index_ += chars;
            clock.charsLeft -= chars;
            i = j;
            if (i == n)
                break;
        }
        pieceByte_ = i;
        const bool checked = Scan(char32_t(bytes[i]), index_);
        ++index_;
        ++i;
        if (!checked && --clock.charsLeft > 0)
            continue;
        clock.charsLeft = kCharsPerClockLook;
        const std::int64_t now = CoarseNowNs();
        if (now >= nextRulesLookNs_)
            RefreshRules(true);  // the rules as they are for the checks that follow
        if (now < clock.nextEvents)
            continue;
        results_->ProcessEvents();
        if (document_->Changed()) {
            edited_ = true;
            go = false;
            break;
        }
        if (!results_->Visible()) {
            go = false;
            break;
        }
        results_->SetProgress(index_);
        clock.nextEvents = CoarseNowNs() + clock.eventsNs;
    }
    if (go) {
        FeedUpTo(n);
        // What a search text that runs on into the next piece needs.
        const std::size_t keep = watches_.LongestPattern();
        if (keep > 0) {
            if (n >= keep) {
                tail_.assign(piece.substr(n - keep));
            } else {
                tail_.append(piece);
                if (tail_.size() > keep)
                    tail_.erase(0, tail_.size() - keep);
            }
        }
        byteBase_ += std::int64_t(n);
    }
    return go;
}

void TValidator::FeedUpTo(std::size_t end)
{
    if (end <= fed_)
        return;
    watches_.Feed(piece_.substr(fed_, end - fed_), byteBase_ + std::int64_t(fed_));
    fed_ = end;
}

bool TValidator::SkipTextRun()
{
    if (!name_.empty())
        return false;  // the attributes of a tag
    if (textTypeDerived_ != derived_) {
        textType_ = rules_.TextRunType();
        textTypeDerived_ = derived_;
    }
    return textType_.empty();
}

std::string TValidator::Recent() const
{
    // Bytes before the current one, as many as the longest search text known
    // before this rebuild needs.
    const std::size_t keep = watches_.LongestPattern();
    const std::size_t own = std::min(keep, pieceByte_);
    std::string recent = tail_.substr(tail_.size() - std::min(tail_.size(), keep - own));
    recent.append(piece_.substr(pieceByte_ - own, own));
    return recent;
}

bool TValidator::Scan(char32_t c, std::int32_t i)
{
    bool checked = false;
    if (c == U'<') {
        if (!rest_.empty() || restSkipped_) {
            CheckHTMLElement(name_, rest_, i);
            checked = true;
        }
        inName_ = true;
        inQuote_ = false;
        rest_.clear();
        restSkipped_ = false;
        tagStart_ = i;
        // Name is kept: an unclosed tag's name runs on into the next one.
    }
    if (IsBlank(c) && !inQuote_)
        inName_ = false;
    if (c == U'"')
        inQuote_ = !inQuote_;
    if (c != U'<' && c != U'>') {
        // Tabs and line breaks are appended as blanks; a blank or a quote
        // has nothing to upper-case.
        const char32_t appended = IsBlank(c) ? kBlank : c;
        if (inName_)
            name_.push_back(appended);
        else if (SkipTextRun())
            restSkipped_ = true;
        else
            rest_.push_back(appended);
    }
    if (c == U'>') {
        inName_ = inQuote_ = false;
        const std::size_t first = rest_.find_first_not_of(kBlank);
        rest_.erase(0, first == std::u32string::npos ? rest_.size() : first);
        CheckHTMLElement(name_, rest_, i);
        checked = true;
        name_.clear();
        rest_.clear();
        restSkipped_ = false;
    }
    return checked;
}

void TValidator::EndOfDocument()
{
    while (!openTags_.Empty()) {
        RefreshRules();
        ElementRules& e = Fresh(*TopOpen());
        const std::int32_t index = openTags_.Top().index;
        // Only key "0" of the two lists counts here: the rules file keeps
        // these lists whole in key "0" for this step, and an element listed
        // further on (under "1") is meant to be reported when left open.
        if (!InList(e, kNoEndTagKey0) && !InList(e, kOptEndTagKey0))
            HTMLError(16, e.name, e.name, index);
        PopOpen();
    }
}

void TValidator::PushOpen(ElementRules& tag, std::int32_t p)
{
    FeedUpTo(pieceByte_);
    openTags_.Push(tag.name, p);
    open_.push_back(&tag);
    ++tag.onStack;
    // The element's rules first: they may bring search texts the automaton
    // must be rebuilt for, from the bytes just read.
    const TContentWatches::Rules& rules = ContentOf(tag);
    watches_.Open(rules, byteBase_ + std::int64_t(pieceByte_), watches_.NeedsRecent() ? Recent() : std::string());
}

void TValidator::PopOpen()
{
    if (openTags_.Empty())
        return;
    openTags_.Pop();
    --open_.back()->onStack;
    open_.pop_back();
    watches_.Close();
}

// ---- checks ---------------------------------------------------------------

void TValidator::CheckHTMLElement(const std::u32string& name, const std::u32string& rest, std::int32_t p)
{
    const std::int32_t restStart = p - std::int32_t(rest.size());
    if (name.empty()) {
        // A run of text between tags. Its text was not kept when no type
        // applied as it went by; should the rules file have given one since,
        // the next run is the first to be checked against it.
        if (!SkipTextRun() && !restSkipped_)
            CheckAttrType(std::u32string_view(), rest, textType_, false, restStart);
        return;
    }
    if (name.front() == U'!')
        return;  // comments and the document type declaration
    const bool endTag = name.front() == U'/';
    ElementRules& tag = Element(endTag ? std::u32string_view(name).substr(1) : std::u32string_view(name));

    // An unknown tag is reported and then checked on with no current
    // element: it walks nothing, and an end tag applies the rules of the
    // section with the empty name.
    ElementRules* cur = nullptr;
    std::int32_t curPos = 0;
    const bool known = InList(tag, kStartTag);
    if (!known) {
        HTMLError(1, tag.name, std::u32string_view(), restStart);
    } else if (!openTags_.Empty()) {
        cur = &Fresh(*TopOpen());
        curPos = openTags_.Top().index;
    }
    if (endTag)
        EndTag(tag, rest, p, cur, curPos);
    else
        StartTag(tag, rest, p, known);
}

void TValidator::StartTag(ElementRules& tag, const std::u32string& rest, std::int32_t p, bool known)
{
    const std::int32_t restStart = p - std::int32_t(rest.size());
    // Nesting: walk down from the innermost open element until one allows
    // the tag. Only a known tag walks (an unknown one has no current element).
    if (known) {
        // Entries of one name give one answer within a walk, so a name that
        // counted as implicitly closed is skipped wherever it recurs; runs of
        // one name are jumped over whole (`below`).
        closed_.clear();
        std::int32_t i = openTags_.TopIndex();
        while (i >= 0) {
            ElementRules& cur = Fresh(*open_[std::size_t(i)]);
            const std::int32_t below = openTags_.At(std::size_t(i)).below;
            if (std::find(closed_.begin(), closed_.end(), &cur) != closed_.end()) {
                i = below;
                continue;
            }
            if (Allows(cur, tag))
                break;
            if (!InList(cur, kOptEndTag) && !InList(cur, kNoEndTag)) {
                HTMLError(3, tag.name, cur.name, restStart);
                break;
            }
            if (cur.htmlHeadBody && EndTagFollows(cur.name)) {
                HTMLError(3, tag.name, cur.name, restStart);
                break;
            }
            closed_.push_back(&cur);
            i = below;
        }
    }

    if (!tag.reqAttrLoaded) {
        for (const std::string& r : rules_.Numbered(tag.section, "ReqAttr")) {
            tag.reqAttr.push_back(Utf8To32(r));
            tag.reqAttrLower.push_back(LowerAscii(tag.reqAttr.back()));
        }
        tag.reqAttrLoaded = true;
    }
    if (!tag.reqAttr.empty()) {
        // A plain search in the attributes: "alt" is also found in
        // "alternate.gif". The rules file is written for this test (its
        // required names are whole attribute names), and pages that passed
        // it keep passing.
        const std::u32string lowerRest = LowerAscii(rest);
        for (std::size_t n = 0; n < tag.reqAttr.size(); ++n) {
            if (lowerRest.find(tag.reqAttrLower[n]) == std::u32string::npos)
                HTMLError(6, tag.reqAttr[n], tag.name, restStart);
        }
    }

    if (!rest.empty())
        Attributes(tag, rest, p);

    if (HasContent(tag))
        PushOpen(tag, p);
}

void TValidator::Attributes(ElementRules& tag, const std::u32string& rest, std::int32_t p)
{
    const std::int32_t length = std::int32_t(rest.size());
    bool inValue = false, inQuote = false, hadEquals = false;
    std::u32string& a = attrName_;
    std::u32string& v = attrValue_;
    a.clear();
    v.clear();
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
                HTMLError(15, a, tag.name, q);
            auto it = tag.attrTypes.find(a);
            if (it == tag.attrTypes.end())
                it = tag.attrTypes.emplace(a, rules_.AttrType(tag.section, Utf32To8(LowerAscii(a)))).first;
            const std::string& type = it->second;
            if (type.empty())
                HTMLError(7, a, tag.name, q);
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

void TValidator::EndTag(ElementRules& tag, const std::u32string& rest, std::int32_t p, ElementRules* cur,
                        std::int32_t curPos)
{
    if (InList(tag, kNoEndTag)) {
        HTMLError(2, tag.name, std::u32string_view(), p - std::int32_t(rest.size()));
        return;
    }
    const std::int32_t keyLength = std::int32_t(tag.name.size()) + 2;
    ElementRules& none = Fresh(*none_);
    ContentRules(cur ? *cur : none, curPos, p, keyLength);

    // Closing.
    if (cur == &tag) {
        PopOpen();
        return;
    }
    // Nothing of that name open: the end tag is ignored. The test looks for
    // the name anywhere in the stack's text, so "B" is found in "BODY:57,"
    // and closes what may close implicitly up to BODY (error 4 with an empty
    // expected name); pages validated before give the same list again.
    if (!openTags_.TextContains(tag.name))
        return;
    // Elements whose end tag may be left out close implicitly. The walk
    // also ends when the stack runs empty: a list holding ",," would
    // otherwise count the empty name as optional for ever.
    ElementRules* c = cur ? cur : &none;
    while (c != &tag && (InList(*c, kOptEndTag) || InList(*c, kNoEndTag))) {
        if (openTags_.Empty())
            break;
        PopOpen();
        c = openTags_.Empty() ? &none : &Fresh(*TopOpen());
    }
    if (c != &tag)
        HTMLError(4, tag.name, c->name, p - keyLength);
    else
        PopOpen();
}

void TValidator::ContentRules(const ElementRules& cur, std::int32_t curPos, std::int32_t p, std::int32_t keyLength)
{
    // The innermost open element is the innermost group; text outside every
    // element (an unknown tag, an empty stack) answers to the group opened
    // for the empty name at the start of the run.
    FeedUpTo(pieceByte_);
    if (cur.name.empty())
        watches_.Outermost(findings_);
    else
        watches_.Innermost(findings_);
    const std::int32_t at = p - keyLength;
    std::int64_t prev = 1;
    for (const TContentWatches::Finding& finding : findings_) {
        const TContentRule& rule = *finding.rule;
        // 1-based place of the first occurrence in the content, 0 for none
        // (counted in bytes: only found or not, and the order of finds, matter).
        std::int64_t f = finding.first < 0 ? 0 : finding.first + 1;
        const std::u32string& label = rule.label;
        switch (rule.marker) {
        case U' ':
            if (f == 0)
                HTMLError(5, label, cur.name, at);
            else if (finding.again)
                HTMLError(11, label, cur.name, at);
            break;
        case U'+':
            if (f == 0)
                HTMLError(5, label, cur.name, at);
            break;
        case U'?':
            if (f != 0 && finding.again)
                HTMLError(11, label, cur.name, at);
            break;
        case U'*':
            if (f == 0)
                f = 1;
            break;
        case U'-':
            if (f != 0)
                HTMLError(12, label, cur.name, at);
            break;
        case U'o':
            if (tagStart_ == curPos + 1)
                HTMLError(13, std::u32string_view(), cur.name, at);
            break;
        default:
            break;
        }
        if (rule.ordered && f < prev)
            HTMLError(10, label, cur.name, at);
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
        ++derived_;  // every derived value is looked up again when next used
}

TValidator::ElementRules& TValidator::Element(std::u32string_view name)
{
    // Most pages use a few dozen names: a small table in front of the map
    // answers most look-ups with one comparison.
    ElementRules*& cached = recent_[TNameHash{}(name) % recent_.size()];
    if (cached && cached->name == name)
        return Fresh(*cached);
    auto it = elements_.find(name);
    if (it == elements_.end()) {
        if (elements_.size() >= sweepAt_) {
            // Only open elements' records are referred to between checks.
            recent_.fill(nullptr);
            std::erase_if(elements_, [this](const auto& kv) { return kv.second.onStack == 0 && &kv.second != none_; });
            sweepAt_ = std::max(kRecordsBeforeSweep, 2 * elements_.size());
        }
        it = elements_.emplace(std::u32string(name), ElementRules()).first;
        ElementRules& e = it->second;
        e.name = it->first;
        e.section = Utf32To8(name);
        e.htmlHeadBody = name == U"HTML" || name == U"HEAD" || name == U"BODY";
    }
    cached = &it->second;
    return Fresh(it->second);
}

TValidator::ElementRules& TValidator::Fresh(ElementRules& e)
{
    if (e.derived != derived_)
        e.Drop(derived_);
    return e;
}

bool TValidator::InList(ElementRules& e, ListId id)
{
    signed char& known = e.inList[id];
    if (known < 0)
        known = List(id).Contains(e.name) ? 1 : 0;
    return known != 0;
}

bool TValidator::Allows(ElementRules& cur, ElementRules& tag)
{
    if (tag.walkIndex < 0)
        tag.walkIndex = walkers_++;
    const auto at = std::size_t(tag.walkIndex);
    if (cur.allows.size() <= at)
        cur.allows.resize(at + 1, -1);
    signed char& known = cur.allows[at];
    if (known < 0) {
        if (!cur.elemLoaded) {
            cur.elemUpper = TNameList(Utf8To32Upper(rules_.Referenced(cur.section, "elem")));
            cur.elemLoaded = true;
        }
        known = cur.elemUpper.Contains(tag.name) ? 1 : 0;
    }
    return known != 0;
}

bool TValidator::HasContent(ElementRules& e)
{
    if (!e.contentLoaded) {
        if (!e.elemLoaded) {
            e.elemUpper = TNameList(Utf8To32Upper(rules_.Referenced(e.section, "elem")));
            e.elemLoaded = true;
        }
        e.hasContent = !e.elemUpper.Empty() || !rules_.Value(e.section, "chars").empty();
        e.contentLoaded = true;
    }
    return e.hasContent;
}

const TNameList& TValidator::List(ListId id)
{
    CachedList& l = lists_[id];
    if (l.derived != derived_) {
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
        l.derived = derived_;
    }
    return l.names;
}

bool TValidator::EndTagFollows(std::u32string_view name)
{
    return document_->Follows("</" + Utf32To8(name), pieceByte_);
}

const TContentWatches::Rules& TValidator::ContentOf(ElementRules& e)
{
    if (!e.reqElemLoaded) {
        std::vector<TContentRule> rules;
        for (const std::string& v : rules_.Numbered(e.section, "ReqElem"))
            rules.push_back(watches_.MakeRule(Utf8To32(v)));
        if (!rules.empty())
            e.content = std::make_shared<const std::vector<TContentRule>>(std::move(rules));
        e.reqElemLoaded = true;
    }
    return e.content;
}

} // namespace vesk
