// The thesaurus file: reading, checking and the look-up walk.
#include "spell/ThesaurusFile.h"

#include <QFile>
#include <QFileInfo>

namespace vesk {
namespace {

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Has(std::uint64_t n) const { return pos_ + n <= bytes_.size(); }
    std::uint32_t U8() { return static_cast<unsigned char>(bytes_[pos_++]); }
    std::uint32_t U16()
    {
        const std::uint32_t v = U8();
        return v | (U8() << 8);
    }
    std::uint32_t U32()
    {
        const std::uint32_t v = U16();
        return v | (U16() << 16);
    }
    std::string_view Take(std::size_t n)
    {
        const std::string_view v = bytes_.substr(pos_, n);
        pos_ += n;
        return v;
    }
    void Skip(std::size_t n) { pos_ += n; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::uint32_t U16At(const std::string& s, std::size_t at)
{
    return std::uint32_t(static_cast<unsigned char>(s[at])) | (std::uint32_t(static_cast<unsigned char>(s[at + 1])) << 8);
}

} // namespace

const char* ThesKindSuffix(TThesKind kind)
{
    switch (kind) {
    case tkContext: return "  (Context)";
    case tkNoun: return "  (Noun)";
    case tkVerb: return "  (Verb)";
    case tkAdjective: return "  (Adj.)";
    case tkAdverb: return "  (Adv.)";
    }
    return "";
}

void TThesaurusFile::Close()
{
    nodes_.clear();
    block_.clear();
    entries_.clear();
    wordList_.clear();
}

std::optional<std::string> TThesaurusFile::Open(const QString& path)
{
    Close();
    const QFileInfo info(path);
    if (!info.isFile())
        return std::string(info.exists() ? "not a regular file" : "does not exist");
    if (std::size_t(info.size()) > kMaxFileBytes)
        return std::string("too large");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::string("cannot be read");
    const QByteArray bytes = f.read(qint64(kMaxFileBytes) + 1);
    return Load(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

std::optional<std::string> TThesaurusFile::Load(std::string_view bytes)
{
    Close();
    auto fail = [this](const char* why) {
        Close();
        return std::optional<std::string>(why);
    };
    Reader r(bytes);
    if (!r.Has(kHeaderBytes + 4))
        return fail("too short");
    r.Skip(kHeaderBytes);
    const std::uint32_t n = r.U32();
    if (n == 0 || !r.Has(std::uint64_t(n) * 4 + 4))
        return fail("node count past the end of the file");
    std::vector<std::uint32_t> raw(n);
    for (std::uint32_t& v : raw)
        v = r.U32();
    const std::uint32_t l = r.U32();
    if (!r.Has(std::uint64_t(l) + 2))
        return fail("link block past the end of the file");
    block_ = std::string(r.Take(l));
    const std::uint32_t e = r.U16();
    if (!r.Has(std::uint64_t(e) * 14 + 4))
        return fail("entry count past the end of the file");
    entries_.resize(e);
    for (Entry& entry : entries_) {
        entry.master = int(r.U16());
        for (std::uint16_t& c : entry.counts)
            c = std::uint16_t(r.U16());
        entry.offset = r.U32();
    }
    const std::uint32_t w = r.U32();
    if (!r.Has(w))
        return fail("word list past the end of the file");
    wordList_ = std::string(r.Take(w));

    // Each node's record, checked against the link block as it is read.
    nodes_.resize(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t v = raw[i];
        Node& node = nodes_[i];
        node.letter = static_cast<unsigned char>(v >> 24);
        node.endsWord = (v >> 23) & 1;
        node.tail = (v >> 22) & 1;
        const bool revRef = (v >> 21) & 1, oneKid = (v >> 20) & 1;
        std::uint64_t at = v & 0xFFFFFu;
        if (oneKid) {
            node.childCount = 1;
        } else {
            if (at + 1 > l)
                return fail("node record past the link block");
            node.childCount = static_cast<unsigned char>(block_[at]);
            ++at;
        }
        node.children = std::uint32_t(at);
        at += 2u * node.childCount;
        if (revRef) {
            if (at + 2 > l)
                return fail("node record past the link block");
            node.parent = int(U16At(block_, std::size_t(at)));
            at += 2;
            if (node.parent == 0)
                node.parent = -1;
        }
        if (node.endsWord || node.tail) {
            if (at + 1 > l)
                return fail("node record past the link block");
            node.linkCount = static_cast<unsigned char>(block_[at]);
            ++at;
            node.links = std::uint32_t(at);
            at += 2u * node.linkCount;
        }
        if (at > l)
            return fail("node record past the link block");
    }
    if (auto why = Check())
        return fail(why->c_str());
    return std::nullopt;
}

std::optional<std::string> TThesaurusFile::Check()
{
    const std::size_t n = nodes_.size();
    for (const Node& node : nodes_) {
        for (std::size_t c = 0; c < node.childCount; ++c)
            if (std::size_t(Child(node, c)) >= n)
                return std::string("child node number past the node array");
        if (node.parent >= 0 && std::size_t(node.parent) >= n)
            return std::string("parent node number past the node array");
        for (std::size_t k = 0; k < node.linkCount; ++k)
            if (U16At(block_, node.links + 2 * k) / 5 >= entries_.size())
                return std::string("link past the entries");
    }
    for (const Entry& e : entries_) {
        if (std::size_t(e.master) >= n)
            return std::string("entry head word past the node array");
        std::uint64_t words = 0;
        for (std::uint16_t c : e.counts)
            words += c;
        if (std::uint64_t(e.offset) + 2 * words > wordList_.size())
            return std::string("entry words past the word list");
        for (std::uint64_t k = 0; k < words; ++k)
            if (U16At(wordList_, std::size_t(e.offset + 2 * k)) >= n)
                return std::string("entry word past the node array");
    }
    // Parent references must end (at the root or a node without one), and
    // tail chains must end in a node without children: each node is walked
    // once, so hostile chains cost linear time.
    enum : unsigned char { kUnknown, kOnPath, kDone };
    std::vector<unsigned char> parents(n, kUnknown), chains(n, kUnknown);
    std::vector<std::size_t> path;
    for (std::size_t i = 0; i < n; ++i) {
        path.clear();
        std::size_t at = i;
        while (parents[at] == kUnknown) {
            parents[at] = kOnPath;
            path.push_back(at);
            if (nodes_[at].parent < 0)
                break;
            at = std::size_t(nodes_[at].parent);
        }
        if (parents[at] == kOnPath && !(nodes_[at].parent < 0 && at == path.back()))
            return std::string("parent references form a loop");
        for (std::size_t p : path)
            parents[p] = kDone;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!nodes_[i].tail || nodes_[i].childCount == 0)
            continue;
        path.clear();
        std::size_t at = std::size_t(Child(nodes_[i], 0));
        if (nodes_[i].childCount > 1)
            return std::string("a tail that branches");
        while (chains[at] == kUnknown) {
            chains[at] = kOnPath;
            path.push_back(at);
            if (nodes_[at].childCount == 0)
                break;
            if (nodes_[at].childCount > 1)
                return std::string("a tail that branches");
            at = std::size_t(Child(nodes_[at], 0));
        }
        if (chains[at] == kOnPath && nodes_[at].childCount != 0)
            return std::string("a tail chain that never ends");
        for (std::size_t p : path)
            chains[p] = kDone;
    }
    return std::nullopt;
}

int TThesaurusFile::Child(const Node& node, std::size_t i) const
{
    return int(U16At(block_, node.children + 2 * i));
}

std::optional<int> TThesaurusFile::Lookup(std::string_view word) const
{
    if (word.empty() || nodes_.empty())
        return std::nullopt;
    std::size_t at = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const Node& node = nodes_[at];
        if (i > 0 && node.tail) {
            // The rest must be the tail's letters exactly.
            std::size_t chain = at, k = i;
            while (nodes_[chain].childCount == 1 && k < word.size()) {
                chain = std::size_t(Child(nodes_[chain], 0));
                if (nodes_[chain].letter != static_cast<unsigned char>(word[k]))
                    return std::nullopt;
                ++k;
            }
            if (k == word.size() && nodes_[chain].childCount == 0)
                return int(at);
            return std::nullopt;
        }
        std::size_t next = nodes_.size();
        for (std::size_t c = 0; c < node.childCount; ++c) {
            const std::size_t child = std::size_t(Child(node, c));
            if (nodes_[child].letter == static_cast<unsigned char>(word[i])) {
                next = child;
                break;
            }
        }
        if (next == nodes_.size())
            return std::nullopt;
        at = next;
    }
    if (nodes_[at].endsWord)
        return int(at);
    return std::nullopt;
}

std::string TThesaurusFile::WordOf(int node) const
{
    if (node < 0 || std::size_t(node) >= nodes_.size())
        return {};
    std::string prefix;
    for (int p = nodes_[std::size_t(node)].parent; p > 0; p = nodes_[std::size_t(p)].parent)
        prefix.push_back(static_cast<char>(nodes_[std::size_t(p)].letter));
    std::string word(prefix.rbegin(), prefix.rend());
    const Node* at = &nodes_[std::size_t(node)];
    word.push_back(static_cast<char>(at->letter));
    if (at->tail) {
        while (at->childCount == 1) {
            at = &nodes_[std::size_t(Child(*at, 0))];
            word.push_back(static_cast<char>(at->letter));
        }
    }
    return word;
}

std::vector<TThesLink> TThesaurusFile::Links(int node) const
{
    std::vector<TThesLink> out;
    if (node < 0 || std::size_t(node) >= nodes_.size())
        return out;
    const Node& n = nodes_[std::size_t(node)];
    for (std::size_t k = 0; k < n.linkCount; ++k) {
        const std::uint32_t v = U16At(block_, n.links + 2 * k);
        out.push_back({int(v / 5), TThesKind(v % 5)});
    }
    return out;
}

int TThesaurusFile::Master(int entry) const
{
    if (entry < 0 || std::size_t(entry) >= entries_.size())
        return -1;
    return entries_[std::size_t(entry)].master;
}

std::vector<int> TThesaurusFile::Words(int entry, TThesKind kind) const
{
    std::vector<int> out;
    if (entry < 0 || std::size_t(entry) >= entries_.size() || kind < tkNoun || kind > tkAdverb)
        return out;
    const Entry& e = entries_[std::size_t(entry)];
    std::size_t at = e.offset;
    for (int k = 1; k < kind; ++k)
        at += 2u * e.counts[k - 1];
    for (std::size_t i = 0; i < e.counts[kind - 1]; ++i)
        out.push_back(int(U16At(wordList_, at + 2 * i)));
    return out;
}

} // namespace vesk
