// User dictionaries: reading and writing both forms.
#include "spell/UserDictionary.h"

#include "editor/TextEncoding.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vesk {
namespace {

const char* const kAddedSection = "Added";
const char* const kAddedList = "IGN";
const char* const kPairSection = "Auto Correct";
const char* const kPairList = "AC";

std::string AsUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    AppendWindows1252AsUtf8(out, bytes);
    return out;
}

void InsertSorted(std::vector<std::string>& list, std::string_view word)
{
    const auto it = std::lower_bound(list.begin(), list.end(), word);
    if (it == list.end() || *it != word)
        list.emplace(it, word);
}

std::string PathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The index of a numbered list key: "IGN_12" → 12.
bool NumberedKey(std::string_view key, std::string_view name, std::size_t& index)
{
    if (key.size() <= name.size() + 1 || key[name.size()] != '_')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if ((key[i] | 0x20) != (name[i] | 0x20))
            return false;
    index = 0;
    for (char c : key.substr(name.size() + 1)) {
        if (c < '0' || c > '9' || index > 100000000)
            return false;
        index = index * 10 + std::size_t(c - '0');
    }
    return true;
}

} // namespace

std::vector<std::string> ReadProfileList(std::string_view section, std::string_view name,
                                         const std::string& path)
{
    std::vector<std::string> out;
    const int count = GetPrivateProfileInt(section, std::string(name) + "_ListCount", 0, path);
    if (count <= 0)
        return out;
    // Only keys that exist can hold entries, so a huge count costs nothing
    // and a missing numbered key is skipped.
    std::vector<std::size_t> present;
    for (const std::string& key : GetPrivateProfileKeys(section, path)) {
        std::size_t index;
        if (NumberedKey(key, name, index) && index < std::size_t(count))
            present.push_back(index);
    }
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    for (std::size_t index : present) {
        const std::string value =
            GetPrivateProfileString(section, std::string(name) + "_" + std::to_string(index), "", path);
        if (!value.empty())
            out.push_back(AsUtf8(value));
    }
    return out;
}

void WriteProfileList(std::string_view section, std::string_view name,
                      const std::vector<std::string>& values, const std::string& path)
{
    const std::string prefix = std::string(name) + "_";
    // Numbered keys past the new end would come back as entries if the count
    // were ever raised by hand: remove every one that is there.
    for (const std::string& key : GetPrivateProfileKeys(section, path)) {
        std::size_t index;
        if (NumberedKey(key, name, index) && index >= values.size())
            WritePrivateProfileString(section, key, std::nullopt, path);
    }
    WritePrivateProfileString(section, prefix + "ListCount", std::to_string(values.size()), path);
    for (std::size_t i = 0; i < values.size(); ++i)
        WritePrivateProfileString(section, prefix + std::to_string(i), values[i], path);
}

void TUserDictionary::Open(const QString& path)
{
    fileName_ = path;
    modified_ = false;
    words_.clear();
    misspellings_.clear();
    replacements_.clear();
    readOnly_ = QFileInfo(path).suffix().toLower() == QLatin1String("dic");
    if (!QFileInfo(path).isFile())
        return;
    if (readOnly_)
        ReadText(path);
    else
        ReadProfile(PathOf(path));
}

void TUserDictionary::ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    const std::string text = AsUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (!line.empty())
            words_.emplace_back(line);
        start = end + 1;
    }
    std::sort(words_.begin(), words_.end());
    words_.erase(std::unique(words_.begin(), words_.end()), words_.end());
}

void TUserDictionary::ReadProfile(const std::string& path)
{
    for (const std::string& w : ReadProfileList(kAddedSection, kAddedList, path))
        InsertSorted(words_, w);
    for (const std::string& pair : ReadProfileList(kPairSection, kPairList, path)) {
        const std::size_t at = pair.find(kPairSeparator);
        if (at == std::string::npos || at == 0)
            continue;  // not a pair: nothing to replace
        misspellings_.push_back(pair.substr(0, at));
        replacements_.push_back(pair.substr(at + kPairSeparator.size()));
    }
}

void TUserDictionary::AddWord(std::string_view word)
{
    if (readOnly_ || word.empty())
        return;
    InsertSorted(words_, word);
    modified_ = true;
}

void TUserDictionary::DeleteWord(std::string_view word)
{
    if (readOnly_)
        return;
    const auto it = std::lower_bound(words_.begin(), words_.end(), word);
    if (it != words_.end() && *it == word) {
        words_.erase(it);
        modified_ = true;
    }
}

void TUserDictionary::AddPair(std::string_view misspelling, std::string_view replacement)
{
    if (readOnly_ || misspelling.empty())
        return;
    misspellings_.emplace_back(misspelling);
    replacements_.emplace_back(replacement);
    modified_ = true;
}

void TUserDictionary::DeletePair(std::string_view misspelling)
{
    if (readOnly_)
        return;
    const auto it = std::find(misspellings_.begin(), misspellings_.end(), misspelling);
    if (it == misspellings_.end())
        return;
    replacements_.erase(replacements_.begin() + (it - misspellings_.begin()));
    misspellings_.erase(it);
    modified_ = true;
}

void TUserDictionary::Save()
{
    if (readOnly_ || !modified_ || fileName_.isEmpty())
        return;
    const std::string path = PathOf(fileName_);
    ProfileWriteBatch batch(path);
    WriteProfileList(kAddedSection, kAddedList, words_, path);
    std::vector<std::string> pairs;
    pairs.reserve(misspellings_.size());
    for (std::size_t i = 0; i < misspellings_.size(); ++i)
        pairs.push_back(misspellings_[i] + std::string(kPairSeparator) + replacements_[i]);
    WriteProfileList(kPairSection, kPairList, pairs, path);
    batch.Commit();
    modified_ = false;
}

void TUserDictionary::Close()
{
    struct Forget {
        TUserDictionary& d;
        ~Forget()
        {
            d.words_.clear();
            d.misspellings_.clear();
            d.replacements_.clear();
            d.modified_ = false;
        }
    } forget{*this};
    Save();
}

} // namespace vesk
