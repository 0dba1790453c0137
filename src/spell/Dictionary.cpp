// Main dictionaries: reading and checking ".dct" files, look-up.
#include "spell/Dictionary.h"

#include "spell/SpellText.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace vesk {
namespace {

constexpr std::size_t kTitleOffset = 88, kTitleLength = 25;
constexpr std::size_t kCountsOffset = 278;

std::uint32_t ReadU32(std::string_view d, std::size_t at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
           | (std::uint32_t(p[3]) << 24);
}

std::string TitleFrom(std::string_view raw)
{
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0'))
        raw.remove_suffix(1);
    return DictBytesToWord(raw);
}

constexpr unsigned NodeLetter(std::uint32_t n) { return n >> 24; }
constexpr bool NodeEnd(std::uint32_t n) { return (n >> 23) & 1u; }
constexpr unsigned NodeCode(std::uint32_t n) { return (n >> 20) & 7u; }
constexpr std::uint32_t NodeOffset(std::uint32_t n) { return n & 0xFFFFFu; }

} // namespace

std::optional<std::string> TSubDictionary::Read(std::string_view data, std::size_t& pos)
{
    auto need = [&](std::uint64_t bytes) { return std::uint64_t(pos) + bytes <= data.size(); };
    if (!need(8))
        return "a sub-dictionary's header is cut off";
    const std::uint32_t n = ReadU32(data, pos), m = ReadU32(data, pos + 4);
    pos += 8;
    if (!need(std::uint64_t(n) * 4))
        return "the node count " + std::to_string(n) + " is larger than the file";
    nodes_.resize(n);
    for (std::uint32_t i = 0; i < n; ++i)
        nodes_[i] = ReadU32(data, pos + std::size_t(i) * 4);
    pos += std::size_t(n) * 4;
    if (!need(m))
        return "the child-list size " + std::to_string(m) + " is larger than the file";
    block_.assign(data.begin() + std::ptrdiff_t(pos), data.begin() + std::ptrdiff_t(pos + m));
    pos += m;
    if (!need(1))
        return "the first-letter count is cut off";
    const unsigned k = static_cast<unsigned char>(data[pos++]);
    if (!need(std::uint64_t(k) * 5))
        return "the first letters are cut off";
    roots_.fill(kNoRoot);
    for (unsigned i = 0; i < k; ++i) {
        const auto letter = static_cast<unsigned char>(data[pos + i]);
        const std::uint32_t root = ReadU32(data, pos + k + std::size_t(i) * 4);
        if (root >= n)
            return "a root node number is past the node array";
        if (roots_[letter] == kNoRoot)  // the first entry of a letter wins
            roots_[letter] = root;
    }
    pos += std::size_t(k) * 5;
    entryLetters_.assign(m, 0);
    // Every child reference, checked once here, so look-ups need no checks.
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t node = nodes_[i];
        const unsigned code = NodeCode(node);
        const std::uint32_t off = NodeOffset(node);
        if (code == 0)
            continue;
        if (code == 1) {
            if (off >= n)
                return "node " + std::to_string(i) + " has a child past the node array";
            continue;
        }
        std::size_t count = code, at = off;
        if (code == 7) {
            if (off >= m)
                return "node " + std::to_string(i) + " has a child list past the block";
            count = block_[off];
            at = std::size_t(off) + 1;
        }
        if (at + count * 2 > m)
            return "node " + std::to_string(i) + " has a child list past the block";
        for (std::size_t c = 0; c < count; ++c) {
            const std::uint32_t child = ListEntry(at + c * 2);
            if (child >= n)
                return "node " + std::to_string(i) + " lists a child past the node array";
            entryLetters_[at + c * 2] = static_cast<unsigned char>(NodeLetter(nodes_[child]));
        }
    }
    return std::nullopt;
}

std::uint32_t TSubDictionary::Child(std::uint32_t node, unsigned char letter) const
{
    const std::uint32_t bits = nodes_[node];
    const unsigned code = NodeCode(bits);
    const std::uint32_t off = NodeOffset(bits);
    if (code == 0)
        return kNoRoot;
    if (code == 1)
        return NodeLetter(nodes_[off]) == letter ? off : kNoRoot;
    std::size_t count = code, at = off;
    if (code == 7) {
        count = block_[off];
        at = std::size_t(off) + 1;
    }
    const unsigned char* letters = entryLetters_.data() + at;
    for (std::size_t c = 0; c < count; ++c)
        if (letters[c * 2] == letter)
            return ListEntry(at + c * 2);
    return kNoRoot;
}

bool TSubDictionary::Lookup(std::string_view word) const
{
    std::uint32_t node = roots_[static_cast<unsigned char>(word[0])];
    if (node == kNoRoot)
        return false;
    for (std::size_t i = 1; i < word.size(); ++i) {
        node = Child(node, static_cast<unsigned char>(word[i]));
        if (node == kNoRoot)
            return false;
    }
    return NodeEnd(nodes_[node]);
}

std::optional<std::string> TDictionary::Open(const QString& path)
{
    Close();
    fileName_ = path;
    const QFileInfo info(path);
    if (!info.exists())
        return std::string("the file does not exist");
    if (!info.isFile())
        return std::string("it is not a regular file");
    if (std::size_t(info.size()) > kMaxFileBytes)
        return std::string("the file is too large to be a dictionary");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString().toStdString();
    const QByteArray bytes = file.read(qint64(kMaxFileBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return file.errorString().toStdString();
    auto why = Load(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    fileName_ = path;
    return why;
}

std::optional<std::string> TDictionary::Load(std::string_view data)
{
    Close();
    auto fail = [this](std::string why) {
        Close();
        return std::optional<std::string>(std::move(why));
    };
    if (data.size() > kMaxFileBytes)
        return fail("the file is too large to be a dictionary");
    if (data.size() < kCountsOffset + 2)
        return fail(data.empty() ? "the file is empty" : "the file is too short to be a dictionary");
    const unsigned subCount = static_cast<unsigned char>(data[kCountsOffset]);
    const unsigned alphabetLength = static_cast<unsigned char>(data[kCountsOffset + 1]);
    std::size_t pos = kCountsOffset + 2;
    if (pos + alphabetLength > data.size())
        return fail("the alphabet is cut off");
    title_ = TitleFrom(data.substr(kTitleOffset, kTitleLength));
    alphabet_.assign(data.substr(pos, alphabetLength));
    pos += alphabetLength;
    subs_.resize(subCount);
    for (unsigned i = 0; i < subCount; ++i) {
        if (auto why = subs_[i].Read(data, pos))
            return fail("sub-dictionary " + std::to_string(i + 1) + ": " + *why);
    }
    open_ = true;
    return std::nullopt;
}

void TDictionary::Close()
{
    open_ = false;
    subs_.clear();
    subs_.shrink_to_fit();
    title_.clear();
    alphabet_.clear();
}

bool TDictionary::LookupWord(std::string_view utf8) const
{
    std::string bytes;
    return WordToDictBytes(utf8, bytes) && Lookup(bytes);
}

std::optional<std::string> TDictionary::ReadTitle(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(qint64(kTitleOffset + kTitleLength));
    if (std::size_t(head.size()) < kTitleOffset + kTitleLength)
        return std::nullopt;
    return TitleFrom(std::string_view(head.constData() + kTitleOffset, kTitleLength));
}

} // namespace vesk
