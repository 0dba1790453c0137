// The shipped rules file (data/4strict.ini) checked against the W3C HTML 4.01
// Strict DTD: element lists, content, attributes, required attributes and
// content rules; the reader's limits; and the validation engine with these
// rules over valid and invalid pages.
#include "ValidatorTestUtil.h"
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#ifndef VESK_SOURCE_DATA_DIR
#error "tests/CMakeLists.txt defines VESK_SOURCE_DATA_DIR for test_validator"
#endif

namespace {

using Names = std::set<std::string>;

const char* const kDtdPath = "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-html401-19991224/strict.dtd";

std::string RulesPath() { return std::string(VESK_SOURCE_DATA_DIR) + "/4strict.ini"; }

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& s)
{
    std::size_t a = 0, b = s.size();
    while (a < b && IsBlank(s[a]))
        ++a;
    while (b > a && IsBlank(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Join(const Names& names)
{
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : " ") + n;
    return out;
}

// ---------------------------------------------------------------------------
// A small reader of the DTD: parameter entities, marked sections, ELEMENT and
// ATTLIST declarations. Enough for strict.dtd, not a general SGML parser.

struct ModelNode {
    std::string name;  // an element name or "#PCDATA"; empty for a group
    char connector = 0;  // ',', '|' or '&' for a group of several members
    char occurrence = 0; // '?', '*', '+' or 0
    std::vector<ModelNode> members;
};

struct DtdElement {
    bool startOmissible = false;
    bool endOmissible = false;
    std::string declared;  // EMPTY, CDATA or RCDATA; empty for a model group
    ModelNode model;
    Names children;  // names in the model group
    bool pcdata = false;
    Names inclusions, exclusions;
};

struct DtdAttribute {
    std::string type;  // declared value keyword, or "(" for a value list
    Names values;      // the value list, upper case
    bool required = false;
};

struct Dtd {
    std::map<std::string, DtdElement> elements;
    std::map<std::string, std::map<std::string, DtdAttribute>> attributes;  // element -> lower-case name
};

// Reads tokens from a declaration after comments are gone and entities expanded.
class DeclReader {
public:
    explicit DeclReader(std::string text) : s_(std::move(text)) {}
    void SkipBlanks()
    {
        while (i_ < s_.size() && IsBlank(s_[i_]))
            ++i_;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return i_ >= s_.size();
    }
    char Peek()
    {
        SkipBlanks();
        return i_ < s_.size() ? s_[i_] : '\0';
    }
    char PeekAt(std::size_t ahead)
    {
        SkipBlanks();
        return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0';
    }
    void Skip(std::size_t n) { i_ += n; }
    // An occurrence indicator follows its token directly: "(A)+" is one,
    // "(A) +(B)" is a group and an inclusion.
    char Occurrence()
    {
        if (i_ < s_.size() && (s_[i_] == '?' || s_[i_] == '*' || s_[i_] == '+'))
            return s_[i_++];
        return 0;
    }
    // A name token, a quoted literal (quotes removed) or a single delimiter.
    std::string Token()
    {
        SkipBlanks();
        if (i_ >= s_.size())
            return {};
        const char c = s_[i_];
        if (c == '"' || c == '\'') {
            const std::size_t end = s_.find(c, i_ + 1);
            std::string lit = s_.substr(i_ + 1, end - i_ - 1);
            i_ = end == std::string::npos ? s_.size() : end + 1;
            return lit;
        }
        if (std::string("()|,&?*+").find(c) != std::string::npos) {
            ++i_;
            return std::string(1, c);
        }
        const std::size_t start = i_;
        while (i_ < s_.size() && !IsBlank(s_[i_]) && std::string("()|,&?*+\"'").find(s_[i_]) == std::string::npos)
            ++i_;
        return s_.substr(start, i_ - start);
    }
    // A parenthesised model group; the reader stands on "(".
    ModelNode Group()
    {
        ModelNode group;
        Token();  // "("
        while (!AtEnd() && Peek() != ')') {
            ModelNode member;
            if (Peek() == '(') {
                member = Group();
            } else {
                member.name = Upper(Token());
            }
            if (!member.occurrence)
                member.occurrence = Occurrence();
            group.members.push_back(std::move(member));
            if (Peek() == ',' || Peek() == '|' || Peek() == '&')
                group.connector = Token()[0];
        }
        Token();  // ")"
        group.occurrence = Occurrence();
        return group;
    }

private:
    std::string s_;
    std::size_t i_ = 0;
};

void CollectNames(const ModelNode& node, Names& names, bool& pcdata)
{
    if (node.name == "#PCDATA")
        pcdata = true;
    else if (!node.name.empty())
        names.insert(node.name);
    for (const auto& m : node.members)
        CollectNames(m, names, pcdata);
}

Names GroupNames(DeclReader& r)
{
    Names names;
    bool pcdata = false;
    CollectNames(r.Group(), names, pcdata);
    return names;
}

class DtdParser {
public:
    explicit DtdParser(std::string text) : s_(std::move(text)) {}

    Dtd Parse()
    {
        Dtd dtd;
        std::size_t i = 0;
        while (i < s_.size()) {
            if (s_.compare(i, 3, "<![") == 0) {
                // Marked section: its keyword decides whether the text counts.
                const std::size_t open = s_.find('[', i + 3);
                const std::string keyword = Trim(Expand(s_.substr(i + 3, open - i - 3)));
                if (keyword == "IGNORE")
                    i = s_.find("]]>", open) + 3;
                else
                    i = open + 1;
            } else if (s_.compare(i, 3, "]]>") == 0) {
                i += 3;
            } else if (s_.compare(i, 2, "<!") == 0) {
                const std::string decl = ReadDeclaration(i);
                DeclReader r(decl);
                const std::string keyword = r.Token();
                if (keyword == "ENTITY")
                    Entity(r);
                else if (keyword == "ELEMENT")
                    Element(decl.substr(decl.find("ELEMENT") + 7), dtd);
                else if (keyword == "ATTLIST")
                    Attlist(decl.substr(decl.find("ATTLIST") + 7), dtd);
            } else {
                ++i;  // blanks, and references to the external character entity sets
            }
        }
        return dtd;
    }

private:
    // The text of "<! ... >" without its comments; i moves past the ">".
    std::string ReadDeclaration(std::size_t& i) const
    {
        std::string out;
        std::size_t j = i + 2;
        while (j < s_.size()) {
            const char c = s_[j];
            if (c == '"' || c == '\'') {
                const std::size_t end = s_.find(c, j + 1);
                out += s_.substr(j, end - j + 1);
                j = end + 1;
            } else if (s_.compare(j, 2, "--") == 0) {
                j = s_.find("--", j + 2) + 2;
                out += ' ';
            } else if (c == '>') {
                ++j;
                break;
            } else {
                out += c;
                ++j;
            }
        }
        i = j;
        return out;
    }

    static std::string StripComments(const std::string& text)
    {
        std::string out;
        for (std::size_t j = 0; j < text.size();) {
            const char c = text[j];
            if (c == '"' || c == '\'') {
                const std::size_t end = text.find(c, j + 1);
                out += text.substr(j, end - j + 1);
                j = end + 1;
            } else if (text.compare(j, 2, "--") == 0) {
                j = text.find("--", j + 2) + 2;
                out += ' ';
            } else {
                out += c;
                ++j;
            }
        }
        return out;
    }

    // Replaces every %name; (or %name ended by any other character) by its text.
    std::string Expand(const std::string& text, int depth = 0) const
    {
        std::string out;
        for (std::size_t j = 0; j < text.size();) {
            if (text[j] == '%' && j + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[j + 1]))) {
                std::size_t k = j + 1;
                while (k < text.size() &&
                       (std::isalnum(static_cast<unsigned char>(text[k])) || text[k] == '.' || text[k] == '-'))
                    ++k;
                const std::string name = text.substr(j + 1, k - j - 1);
                if (k < text.size() && text[k] == ';')
                    ++k;
                if (auto o = overrides_.find(name); o != overrides_.end()) {
                    out += " " + o->second + " ";
                } else if (auto e = entities_.find(name); e != entities_.end() && depth < 20) {
                    out += " " + Expand(e->second, depth + 1) + " ";
                }
                j = k;
            } else {
                out += text[j++];
            }
        }
        return out;
    }

    void Entity(DeclReader& r)
    {
        if (r.Token() != "%")
            return;  // general entities are not needed
        const std::string name = r.Token();
        const char c = r.Peek();
        const std::string value = (c == '"' || c == '\'') ? r.Token() : std::string();  // PUBLIC: external
        entities_.emplace(name, value);  // the first declaration of a name wins
    }

    void Element(const std::string& body, Dtd& dtd) const
    {
        DeclReader r(StripComments(Expand(body)));
        Names names = r.Peek() == '(' ? GroupNames(r) : Names{Upper(r.Token())};
        DtdElement e;
        e.startOmissible = Upper(r.Token()) == "O";
        e.endOmissible = Upper(r.Token()) == "O";
        if (r.Peek() == '(') {
            e.model = r.Group();
            CollectNames(e.model, e.children, e.pcdata);
        } else {
            e.declared = Upper(r.Token());
        }
        while (!r.AtEnd()) {
            const char sign = r.Peek();
            r.Skip(1);
            (sign == '-' ? e.exclusions : e.inclusions) = GroupNames(r);
        }
        for (const auto& n : names)
            dtd.elements[n] = e;
    }

    void Attlist(const std::string& body, Dtd& dtd)
    {
        // The DTD declares lengths, pixels and single characters as CDATA and
        // defines their syntax in comments; the rules check that syntax.
        overrides_ = {{"Length", "LENGTH"}, {"MultiLength", "MULTILENGTH"},
                      {"Pixels", "PIXELS"}, {"Character", "CHARACTER"}};
        DeclReader r(StripComments(Expand(body)));
        overrides_.clear();
        const Names elements = r.Peek() == '(' ? GroupNames(r) : Names{Upper(r.Token())};
        while (!r.AtEnd()) {
            const std::string name = Lower(r.Token());
            DtdAttribute a;
            if (r.Peek() == '(') {
                a.type = "(";
                a.values = GroupNames(r);
            } else {
                a.type = Upper(r.Token());
            }
            const std::string def = Upper(r.Token());
            a.required = def == "#REQUIRED";
            if (def == "#FIXED")
                r.Token();
            for (const auto& el : elements)
                dtd.attributes[el][name] = a;
        }
    }

    std::string s_;
    std::map<std::string, std::string> entities_;
    std::map<std::string, std::string> overrides_;
};

// Names the content model cannot do without: every member of a sequence or
// "&" group, the names common to all branches of a choice.
Names Mandatory(const ModelNode& node)
{
    if (node.occurrence == '?' || node.occurrence == '*')
        return {};
    if (!node.name.empty())
        return node.name == "#PCDATA" ? Names{} : Names{node.name};
    Names out;
    bool first = true;
    for (const auto& m : node.members) {
        const Names sub = Mandatory(m);
        if (node.connector == '|') {
            if (first) {
                out = sub;
            } else {
                Names both;
                std::set_intersection(out.begin(), out.end(), sub.begin(), sub.end(),
                                      std::inserter(both, both.begin()));
                out = both;
            }
        } else {
            out.insert(sub.begin(), sub.end());
        }
        first = false;
    }
    return out;
}

// True when the content model needs at least one element.
bool NeedsContent(const ModelNode& node)
{
    if (node.occurrence == '?' || node.occurrence == '*')
        return false;
    if (!node.name.empty())
        return node.name != "#PCDATA";
    if (node.members.empty())
        return false;
    if (node.connector == '|')
        return std::all_of(node.members.begin(), node.members.end(), NeedsContent);
    return std::any_of(node.members.begin(), node.members.end(), NeedsContent);
}

// Mandatory names, following the names that are themselves mandatory.
Names DeepMandatory(const Dtd& dtd, const std::string& element, Names seen = {})
{
    if (!seen.insert(element).second || !dtd.elements.count(element))
        return {};
    Names out;
    for (const auto& n : Mandatory(dtd.elements.at(element).model)) {
        out.insert(n);
        const Names deeper = DeepMandatory(dtd, n, seen);
        out.insert(deeper.begin(), deeper.end());
    }
    // A choice whose every branch requires the same name deep down (SELECT:
    // OPTGROUP holds OPTION, so OPTGROUP|OPTION always yields an OPTION).
    const ModelNode& model = dtd.elements.at(element).model;
    if (model.connector == '|' || model.members.size() == 1) {
        const ModelNode& choice = model.members.size() == 1 ? model.members[0] : model;
        if (choice.occurrence != '?' && choice.occurrence != '*' && !choice.members.empty()) {
            Names common;
            bool first = true;
            for (const auto& m : choice.members) {
                Names sub = m.name.empty() ? Mandatory(m) : Names{m.name};
                for (const auto& n : Names(sub)) {
                    const Names deeper = DeepMandatory(dtd, n, seen);
                    sub.insert(deeper.begin(), deeper.end());
                }
                if (first) {
                    common = sub;
                } else {
                    Names both;
                    std::set_intersection(common.begin(), common.end(), sub.begin(), sub.end(),
                                          std::inserter(both, both.begin()));
                    common = both;
                }
                first = false;
            }
            out.insert(common.begin(), common.end());
        }
    }
    return out;
}

// The HEAD and BODY start tags may be left out in SGML, but the rules require
// them (HTML needs both, in order). TBODY's start tag may be left out, so
// TABLE takes TBODY's children directly.
const Names kStartTagsRequiredByRules = {"HTML", "HEAD", "BODY"};

// The children each element may have in some document: its content model
// plus the inclusions of its ancestors, less the exclusions. The head's
// inclusion is applied to HEAD's own content only (the rules do not let META
// or STYLE into every element because an OBJECT in the head could hold them).
std::map<std::string, Names> AllowedChildren(const Dtd& dtd)
{
    using State = std::tuple<std::string, Names, Names>;
    std::map<std::string, Names> allowed;
    std::set<State> seen;
    std::queue<State> todo;
    todo.push({"HTML", {}, {}});
    while (!todo.empty()) {
        State st = todo.front();
        todo.pop();
        if (!seen.insert(st).second)
            continue;
        const auto& [name, incl, excl] = st;
        allowed[name];
        const DtdElement& e = dtd.elements.at(name);
        if (!e.declared.empty())
            continue;  // EMPTY, CDATA, RCDATA: no elements, no inclusions
        Names here = e.children;
        here.insert(e.inclusions.begin(), e.inclusions.end());
        here.insert(incl.begin(), incl.end());
        for (const auto& x : e.exclusions)
            here.erase(x);
        for (const auto& x : excl)
            here.erase(x);
        allowed[name].insert(here.begin(), here.end());
        Names nextIncl = incl, nextExcl = excl;
        if (name != "HEAD")
            nextIncl.insert(e.inclusions.begin(), e.inclusions.end());
        nextExcl.insert(e.exclusions.begin(), e.exclusions.end());
        for (const auto& c : here)
            todo.push({c, nextIncl, nextExcl});
    }
    for (auto& [name, children] : allowed) {
        for (const auto& c : Names(children)) {
            if (dtd.elements.at(c).startOmissible && !kStartTagsRequiredByRules.count(c))
                children.insert(allowed[c].begin(), allowed[c].end());
        }
    }
    return allowed;
}

// ---------------------------------------------------------------------------
// The rules file, read through the profile reader as the validator reads it.

struct Rules {
    std::string path = RulesPath();

    std::string Get(const std::string& section, const std::string& key) const
    {
        return vesk::GetPrivateProfileString(section, key, "", path);
    }
    // A value with "%" names the section the same key is read from (one level).
    std::string Follow(const std::string& section, const std::string& key) const
    {
        const std::string v = Get(section, key);
        return v.find('%') != std::string::npos ? Get(v, key) : v;
    }
    std::string List(const std::string& section) const
    {
        std::string out;
        for (int n = 0;; ++n) {
            const std::string piece = Get(section, std::to_string(n));
            if (piece.empty())
                return out;
            out += piece;
        }
    }
    static Names Split(const std::string& list)
    {
        Names out;
        std::stringstream ss(list);
        for (std::string item; std::getline(ss, item, ',');)
            if (!item.empty())
                out.insert(item);
        return out;
    }
    // Numbered keys key1, key2, ... up to the first empty one.
    std::vector<std::string> Numbered(const std::string& section, const std::string& key) const
    {
        std::vector<std::string> out;
        for (int n = 1;; ++n) {
            const std::string v = Follow(section, key + std::to_string(n));
            if (v.empty())
                return out;
            out.push_back(v);
        }
    }
};

// ---------------------------------------------------------------------------

class RulesFileDtdTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::filesystem::exists(kDtdPath))
            dtd_ = new Dtd(DtdParser(ReadFile(kDtdPath)).Parse());
    }
    static void TearDownTestSuite()
    {
        delete dtd_;
        dtd_ = nullptr;
    }
    void SetUp() override
    {
        if (!dtd_)
            GTEST_SKIP() << "HTML 4.01 Strict DTD not installed (Debian package w3c-sgml-lib): " << kDtdPath;
        ASSERT_TRUE(std::filesystem::exists(rules.path)) << rules.path;
    }
    const Dtd& dtd() const { return *dtd_; }
    Names Elements() const
    {
        Names out;
        for (const auto& [name, e] : dtd().elements)
            out.insert(name);
        return out;
    }

    Rules rules;
    static Dtd* dtd_;
};

Dtd* RulesFileDtdTest::dtd_ = nullptr;

// The reader of the DTD itself must see the whole DTD, or every comparison
// below would pass vacuously.
TEST_F(RulesFileDtdTest, DtdReaderSeesTheWholeDtd)
{
    EXPECT_EQ(dtd().elements.size(), 77u);
    EXPECT_TRUE(dtd().elements.at("BR").declared == "EMPTY");
    EXPECT_TRUE(dtd().elements.at("STYLE").declared == "CDATA");
    EXPECT_EQ(dtd().elements.at("A").exclusions, Names{"A"});
    EXPECT_EQ(dtd().elements.at("BODY").inclusions, (Names{"INS", "DEL"}));
    EXPECT_TRUE(dtd().elements.at("TBODY").startOmissible);
    EXPECT_EQ(dtd().attributes.at("TITLE").size(), 2u);  // "%i18n>" without ";"
    EXPECT_EQ(dtd().attributes.at("IMG").at("width").type, "LENGTH");
    EXPECT_TRUE(dtd().attributes.at("IMG").at("alt").required);
    EXPECT_EQ(dtd().attributes.at("SPAN").size(), 16u);  // %reserved; is ignored in Strict
}

TEST_F(RulesFileDtdTest, NameListsMatchTheDtd)
{
    Names empty, optEnd;
    for (const auto& [name, e] : dtd().elements) {
        if (e.declared == "EMPTY")
            empty.insert(name);
        else if (e.endOmissible)
            optEnd.insert(name);
    }
    struct Expect {
        const char* section;
        Names names;
    };
    for (const auto& [section, names] : {Expect{"StartTag", Elements()}, Expect{"NoEndTag", empty},
                                         Expect{"OptEndTag", optEnd}}) {
        SCOPED_TRACE(section);
        const std::string list = rules.List(section);
        // The lookup is a search for ",NAME," built from the upper-cased tag.
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list.front(), ',');
        EXPECT_EQ(list.back(), ',');
        EXPECT_EQ(list.find(",,"), std::string::npos) << "\",,\" would make the empty tag name known";
        EXPECT_EQ(list, Upper(list));
        EXPECT_EQ(list.find_first_of(" \t\"%"), std::string::npos);
        EXPECT_EQ(Rules::Split(list), names);
    }
    // The end-of-document check reads key "0" only.
    EXPECT_EQ(rules.Get("NoEndTag", "0"), rules.List("NoEndTag"));
    EXPECT_EQ(rules.Get("OptEndTag", "0"), rules.List("OptEndTag"));
}

TEST_F(RulesFileDtdTest, ContentMatchesTheDtd)
{
    const auto allowed = AllowedChildren(dtd());
    for (const auto& [name, e] : dtd().elements) {
        SCOPED_TRACE(name);
        const std::string elem = rules.Follow(name, "elem");
        const std::string chars = rules.Get(name, "chars");
        ASSERT_TRUE(allowed.count(name)) << "element unreachable from HTML";
        const Names listed = Rules::Split(Upper(elem));
        const Names& expected = allowed.at(name);
        EXPECT_EQ(Join(listed), Join(expected));
        if (!elem.empty()) {
            EXPECT_EQ(elem.front(), ',');
            EXPECT_EQ(elem.back(), ',');
            EXPECT_EQ(elem.find(",,"), std::string::npos);
            EXPECT_EQ(elem.find('%'), std::string::npos) << "a group's list is not followed further";
        }
        // Without elem or chars an element is empty and never opened.
        const bool holdsText = e.pcdata || e.declared == "CDATA" || e.declared == "RCDATA";
        EXPECT_EQ(!chars.empty(), holdsText) << "chars=" << chars;
        if (e.declared == "EMPTY") {
            EXPECT_TRUE(elem.empty() && chars.empty());
        } else {
            EXPECT_FALSE(elem.empty() && chars.empty()) << "an element with content must be opened";
        }
    }
}

TEST_F(RulesFileDtdTest, AttributesMatchTheDtd)
{
    const Names known = {"CDATA", "PCDATA", "NAME", "ID", "NUMBER", "PIXELS", "MULTILENGTH",
                         "CHARACTER", "LENGTH", "IDREFS", "COLOR", "SIZE"};
    // Types the rules have no name of their own for.
    const std::map<std::string, std::string> asChecked = {{"IDREF", "ID"}};
    for (const auto& name : Elements()) {
        SCOPED_TRACE(name);
        const std::string set = rules.Get(name, "attr");
        ASSERT_NE(set.find('%'), std::string::npos) << "attr must name an attribute set";
        ASSERT_TRUE(vesk::ProfileSectionExists(set, rules.path)) << set;
        const auto& declared = dtd().attributes.count(name) ? dtd().attributes.at(name)
                                                            : std::map<std::string, DtdAttribute>{};
        Names keys, expectedKeys;
        for (const auto& k : vesk::GetPrivateProfileKeys(set, rules.path))
            keys.insert(Lower(k));
        for (const auto& [attr, a] : declared)
            expectedKeys.insert(attr);
        EXPECT_EQ(Join(keys), Join(expectedKeys)) << "attribute set " << set;
        for (const auto& [attr, a] : declared) {
            SCOPED_TRACE(attr);
            const std::string type = rules.Get(set, attr);
            if (a.type == "(") {
                ASSERT_GE(type.size(), 3u);
                EXPECT_EQ(type.substr(0, 2), "(,");
                EXPECT_EQ(type.substr(type.size() - 2), ",)");
                EXPECT_EQ(Rules::Split(Upper(type.substr(1, type.size() - 2))), a.values) << type;
            } else {
                const auto mapped = asChecked.find(a.type);
                EXPECT_EQ(type, mapped == asChecked.end() ? a.type : mapped->second);
                EXPECT_TRUE(known.count(type)) << type << " is not a type the value check knows";
            }
        }
    }
}

TEST_F(RulesFileDtdTest, RequiredAttributesMatchTheDtd)
{
    for (const auto& name : Elements()) {
        SCOPED_TRACE(name);
        Names expected;
        if (dtd().attributes.count(name))
            for (const auto& [attr, a] : dtd().attributes.at(name))
                if (a.required)
                    expected.insert(attr);
        Names listed;
        for (const auto& r : rules.Numbered(name, "ReqAttr"))
            listed.insert(Lower(r));
        EXPECT_EQ(Join(listed), Join(expected));
        // A gap in the numbering would silently end the list.
        for (const auto& key : vesk::GetPrivateProfileKeys(name, rules.path)) {
            const std::string k = Lower(key);
            if (k.rfind("reqattr", 0) == 0) {
                EXPECT_LE(std::stoul(k.substr(7)), listed.size()) << key;
            }
        }
    }
}

// The content rules: only what the DTD implies, what it implies checked where
// the rule forms can say it, and no search text that could match a tag the
// element may legally hold.
TEST_F(RulesFileDtdTest, ContentRulesFollowTheDtd)
{
    const Names elements = Elements();
    // The element names whose start tag a "<NAME" search would find.
    auto tagsMatched = [&](const std::string& search) {
        Names out;
        for (const auto& el : elements)
            for (const char* end : {" ", ">"})
                if (("<" + el + end).rfind(search, 0) == 0)
                    out.insert(el);
        return out;
    };
    for (const auto& name : elements) {
        SCOPED_TRACE(name);
        const DtdElement& e = dtd().elements.at(name);
        const std::vector<std::string> ruleList = rules.Numbered(name, "ReqElem");
        for (const auto& key : vesk::GetPrivateProfileKeys(name, rules.path)) {
            const std::string k = Lower(key);
            if (k.rfind("reqelem", 0) == 0) {
                EXPECT_LE(std::stoul(k.substr(7)), ruleList.size()) << "gap before " << key;
            }
        }
        const Names deep = DeepMandatory(dtd(), name);
        Names present, excluded;
        bool nonEmpty = false;
        std::string previousName;
        for (const auto& v : ruleList) {
            SCOPED_TRACE(v);
            ASSERT_GE(v.size(), 3u);
            EXPECT_EQ(v.find('%'), std::string::npos) << "would be read as a reference";
            const char order = v[0], marker = v[1];
            const std::string search = Upper(v.substr(2));
            ASSERT_TRUE(order == '.' || order == ',');
            switch (marker) {
            case '+':
                // Bare names: a stray match can only hide an error.
                EXPECT_TRUE(deep.count(search)) << search << " is not required by the DTD";
                present.insert(search);
                break;
            case '?':
                EXPECT_EQ(tagsMatched(search).size(), 1u) << "matches " << Join(tagsMatched(search));
                break;
            case '-': {
                const Names hit = tagsMatched(search);
                EXPECT_FALSE(hit.empty());
                for (const auto& h : hit) {
                    EXPECT_TRUE(e.exclusions.count(h)) << search << " would match the allowed <" << h << ">";
                    excluded.insert(h);
                }
                break;
            }
            case 'o':
                EXPECT_TRUE(NeedsContent(e.model)) << "the DTD lets " << name << " be empty";
                nonEmpty = true;
                break;
            default:
                ADD_FAILURE() << "unexpected occurrence marker '" << marker << "'";
            }
            if (order == ',') {
                // Ordered rules follow a sequence of the content model.
                ASSERT_FALSE(previousName.empty());
                ASSERT_EQ(e.model.connector, ',');
                std::vector<std::string> seq;
                for (const auto& m : e.model.members)
                    seq.push_back(m.name);
                const auto a = std::find(seq.begin(), seq.end(), previousName);
                const auto b = std::find(seq.begin(), seq.end(), search);
                EXPECT_TRUE(a != seq.end() && b != seq.end() && a < b);
            }
            if (marker == '+')
                previousName = search;
        }
        // Every excluded element the elem lists would let in at some depth
        // is looked for (TITLE's exclusions need nothing: it holds no tags).
        Names reachable, todo = {name};
        while (!todo.empty()) {
            const std::string at = *todo.begin();
            todo.erase(todo.begin());
            for (const auto& c : Rules::Split(Upper(rules.Follow(at, "elem"))))
                if (reachable.insert(c).second)
                    todo.insert(c);
        }
        Names mustExclude;
        for (const auto& x : e.exclusions)
            if (reachable.count(x))
                mustExclude.insert(x);
        EXPECT_EQ(Join(excluded), Join(mustExclude));
        // Every directly required element is looked for (through TBODY, whose
        // start tag may be left out, to its rows); content that may not be
        // empty is at least checked for emptiness.
        Names direct = Mandatory(e.model);
        for (const auto& n : Names(direct))
            if (dtd().elements.at(n).startOmissible && !kStartTagsRequiredByRules.count(n)) {
                direct.erase(n);
                const Names sub = Mandatory(dtd().elements.at(n).model);
                direct.insert(sub.begin(), sub.end());
            }
        for (const auto& n : direct)
            EXPECT_TRUE(present.count(n)) << "no rule requires " << n;
        if (e.declared.empty() && NeedsContent(e.model)) {
            EXPECT_TRUE(nonEmpty || !present.empty()) << "content required but not checked";
        }
    }
}

TEST(RulesFileDtdFormatTest, EveryValueFitsTheReaderAndEveryLineIsWellFormed)
{
    const std::string path = RulesPath();
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::string line, section;
    std::set<std::string> sections, keys;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        SCOPED_TRACE("line " + std::to_string(n) + ": " + line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';')
            continue;
        if (t[0] == '[') {
            ASSERT_EQ(t.back(), ']');
            section = Lower(Trim(t.substr(1, t.size() - 2)));
            EXPECT_TRUE(sections.insert(section).second) << "duplicate section (the first one wins)";
            keys.clear();
            continue;
        }
        const auto eq = t.find('=');
        ASSERT_NE(eq, std::string::npos) << "malformed line";
        ASSERT_FALSE(section.empty()) << "entry before the first section";
        EXPECT_TRUE(keys.insert(Lower(Trim(t.substr(0, eq)))).second) << "duplicate key (the first one wins)";
        std::string value = Trim(t.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        EXPECT_LE(value.size(), vesk::kProfileValueMax) << "the reader cuts values at 1023 characters";
        EXPECT_FALSE(value.empty()) << "an empty value ends a numbered list";
    }
    EXPECT_GT(n, 100);
}

TEST(RulesFileDtdFormatTest, EveryNameAndReferenceResolves)
{
    const Rules rules;
    const Names known = Rules::Split(rules.List("StartTag"));
    ASSERT_FALSE(known.empty());
    Names used = {"starttag", "noendtag", "optendtag"};
    for (const auto& el : known) {
        SCOPED_TRACE(el);
        ASSERT_TRUE(vesk::ProfileSectionExists(el, rules.path));
        used.insert(Lower(el));
        for (const auto& key : vesk::GetPrivateProfileKeys(el, rules.path)) {
            const std::string v = rules.Get(el, key);
            if (v.find('%') != std::string::npos) {
                EXPECT_TRUE(vesk::ProfileSectionExists(v, rules.path)) << key << "=" << v;
                // attr names the section the attribute keys are read from;
                // every other key is read again, by its own name, there.
                if (Lower(key) == "attr") {
                    EXPECT_FALSE(vesk::GetPrivateProfileKeys(v, rules.path).empty()) << v;
                } else {
                    EXPECT_FALSE(rules.Get(v, key).empty()) << key << "=" << v << " finds no " << key;
                }
                used.insert(Lower(v));
            }
        }
        for (const auto& child : Rules::Split(Upper(rules.Follow(el, "elem"))))
            EXPECT_TRUE(known.count(child) && vesk::ProfileSectionExists(child, rules.path)) << child;
    }
    for (const auto& list : {"NoEndTag", "OptEndTag"})
        for (const auto& n : Rules::Split(rules.List(list)))
            EXPECT_TRUE(known.count(n)) << list << " names unknown " << n;
    // No section is left over from an edit (a misspelt element or group).
    for (const auto& s : vesk::GetPrivateProfileSectionNames(rules.path))
        EXPECT_TRUE(used.count(Lower(s))) << "section [" << s << "] is never read";
}

// ---------------------------------------------------------------------------
// Pages run through the validation engine with the shipped rules.

std::string Crlf(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string InBody(const std::string& body)
{
    return "<html><head><title>T</title></head><body>\n" + body + "\n</body></html>";
}

const char* const kFullPage = R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">
<html lang="en">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<meta name="description" content="The title page of the body shop">
<link rel="stylesheet" type="text/css" href="site.css" title="Default">
<title>Body &amp; Head</title>
<base href="http://example.com/">
<style type="text/css" media="screen">
body { margin: 0 }
</style>
<script type="text/javascript" src="site.js"></script>
</head>
<body id="page">
<h1 id="top" class="title">Welcome</h1>
<p>Some <em>text</em> with <a href="x.html" title="Go" tabindex="1"><span>a <b>link</b></span></a>,
<abbr title="HyperText">HTML</abbr>, <acronym>WWW</acronym>, H<sub>2</sub>O and x<sup>2</sup>.
<p>A picture <img src="a.png" alt="A picture" width="20" height="10%"> and a break<br>
<q cite="x.html">a quote</q>, <bdo dir="rtl">backwards</bdo>, <tt>tt</tt> <i>i</i> <big>big</big>
<small>small</small> <strong>strong</strong> <dfn>dfn</dfn> <code>code</code> <samp>samp</samp>
<kbd>kbd</kbd> <var>var</var> <cite>cite</cite>.
<ul>
<li>One
<li>Two <ins datetime="2000-01-01">new</ins>
<ol><li>Nested<li>List</ol>
<li><p>Paragraph in an item</p>
</ul>
<dl><dt>Term<dd>Definition<dt>Term 2<dd><p>More</p></dl>
<pre>Preformatted <b>bold</b> <a name="here">anchor</a></pre>
<blockquote cite="y.html"><p>Quoted</p><script type="text/javascript"></script></blockquote>
<div><p>In a division</div>
<address>Me</address>
<hr>
<del><p>Removed</p></del>
<noscript><p>No script</p></noscript>
<div>
<map name="m"><area shape="rect" coords="0,0,1,1" href="a.html" alt="A"><area shape="default" nohref="nohref" alt="B"></map>
<object data="movie.swf" type="application/x-shockwave-flash" width="100" height="50">
<param name="quality" value="high" valuetype="data"><p>Fallback</p></object>
</div>
<form action="/go" method="post">
<fieldset>
<legend accesskey="w">Who</legend>
<label for="name">Name</label> <input type="text" id="name" name="name" maxlength="40">
<input type="checkbox" name="c" checked="checked"> <input type="submit" disabled>
<select name="s" size="1" multiple><optgroup label="G"><option selected>One<option value="2">Two</optgroup><option>Three</option></select>
<textarea name="t" rows="3" cols="40">Text</textarea>
<button type="submit" name="b"><span>Go</span> <img src="go.png" alt="go"></button>
</fieldset>
</form>
<table summary="Data" border="1" cellpadding="2" width="100%" frame="box" rules="all">
<caption>Caption</caption>
<colgroup span="2" width="1*" align="left"><col width="50"><col valign="top"></colgroup>
<thead><tr><th scope="col">A<th abbr="b">B</thead>
<tfoot><tr><td colspan="2">Foot</tfoot>
<tbody><tr><td headers="h1 h2" rowspan="1">1<td>
<table><tr><td>nested</td></tr></table>
</tbody>
</table>
<table>
<tr><td>Rows without TBODY</td></tr>
<tr><td>Row two</td></tr>
</table>
</body>
</html>
)";

// Omitted end tags of HEAD, BODY, HTML, P, TR and TD.
const char* const kOmittedEndTags = R"(<html>
<head>
<title>Short</title>
<body>
<p>First
<p>Second
<table>
<tr><td>a<td>b
<tr><td>c<td>d
</table>
)";

// Elements that nest: nothing counted in the outer one may trip on the inner.
const char* const kNesting = R"(<html><head><title>Nested</title></head><body>
<form action="x"><fieldset><legend>Outer</legend>
<fieldset><legend>Inner</legend><input name="a"></fieldset>
</fieldset></form>
<table><caption>Outer</caption><tr><td>
<table><caption>Inner</caption><thead><tr><th>h</th></tr></thead><tr><td>x</td></tr></table>
</td></tr></table>
<ul><li><ul><li>a<li>b</ul><li>c</ul>
<p><a href="a.html">one</a> <a href="b.html"><abbr>two</abbr></a> <label>L <span>x</span></label></p>
</body></html>
)";

TEST(RulesFileDtdPagesTest, ValidPagesGiveNoErrors)
{
    for (const char* page : {kFullPage, kOmittedEndTags, kNesting}) {
        SCOPED_TRACE(std::string(page).substr(0, 200));
        EXPECT_EQ(vesk::test::Validate(RulesPath(), Crlf(page)), QStringList{"No Errors Found"});
    }
}

TEST(RulesFileDtdPagesTest, InvalidPagesAreReported)
{
    // InBody puts the body's markup on line 2.
    const std::vector<std::pair<std::string, QStringList>> cases = {
        // Exclusions hold at any depth.
        {InBody(R"(<p><a href="a"><span><a href="b">x</a></span></a></p>)"),
         {"2: Error 12 - The element, <A , is not allowed between <A> and </A>."}},
        {InBody(R"(<form action="a"><div><form action="b"><p>x</p></form></div></form>)"),
         {"2: Error 12 - The element, <FORM, is not allowed between <FORM> and </FORM>."}},
        {InBody(R"(<pre><span><img src="a" alt="b"></span></pre>)"),
         {"2: Error 12 - The element, <IMG, is not allowed between <PRE> and </PRE>."}},
        {InBody(R"(<p><button><a href="x">y</a></button></p>)"),
         {"2: Error 3 - <A> is not allowed between <BUTTON> and </BUTTON>.",
          "2: Error 12 - The element, <A , is not allowed between <BUTTON> and </BUTTON>."}},
        // Nesting.
        {"<html><head><title>T</title><p>x</p></head><body><p>y</p></body></html>",
         {"1: Error 3 - <P> is not allowed between <HEAD> and </HEAD>."}},
        {InBody("<td>x</td>"), {"2: Error 3 - <TD> is not allowed between <BODY> and </BODY>."}},
        {InBody("<p>a<br></br></p>"), {"2: Error 2 - </BR> is not allowed."}},
        {InBody("<p><font>x</font></p>"), {"2: Error 1 - Unknown Tag :FONT.", "2: Error 1 - Unknown Tag :FONT."}},
        // Required attributes and attribute values.
        {InBody(R"(<p><img src="a.png"></p>)"), {"2: Error 6 - The required element, alt, was not found in <IMG>."}},
        {InBody(R"(<p><bdo dir="up">x</bdo></p>)"), {"2: Error 8 - The value, UP, is not valid for DIR."}},
        {InBody(R"(<p align="center">x</p>)"), {"2: Error 7 - ALIGN in <P> is not valid."}},
        {InBody(R"(<table width="50px"><tr><td>x</td></tr></table>)"),
         {"2: Error 8 - The value, 50PX, is not valid for WIDTH."}},
        // Required content.
        {InBody("<ul></ul>"), {"2: Error 5 - The required element, <LI>, was not found between <UL> and </UL>."}},
        {InBody("<table><caption>x</caption></table>"),
         {"2: Error 5 - The required element, <TR>, was not found between <TABLE> and </TABLE>."}},
        {InBody("<table><tr></tr></table>"), {"2: Error 13 - Content is required between <TR> and </TR>."}},
        {InBody(R"(<form action="a"><fieldset><p>x</p></fieldset></form>)"),
         {"2: Error 5 - The required element, <LEGEND>, was not found between <FIELDSET> and </FIELDSET>."}},
        {"<html><head></head><body><p>x</p></body></html>",
         {"1: Error 5 - The required element, <TITLE>, was not found between <HEAD> and </HEAD>."}},
        {"<html><head><title>a</title><title>b</title></head><body><p>x</p></body></html>",
         {"1: Error 11 - The element, <TITLE, is only allowed once between <HEAD> and </HEAD>."}},
        {"<html><body><p>x</p></body><head><title>T</title></head></html>",
         {"1: Error 10 - The element, BODY, is not in the correct place between <HTML> and </HTML>."}},
        // A required end tag left out.
        {"<html><head><title>T</title></head><body><table><tr><td>x",
         {"1: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."}},
    };
    for (const auto& [page, expected] : cases) {
        SCOPED_TRACE(page);
        EXPECT_EQ(vesk::test::Validate(RulesPath(), page), expected);
    }
}

} // namespace
