// The spell engine: configuration, dictionaries, word lists, acceptance and suggestions.
#include "spell/SpellChecker.h"

#include "editor/TextEncoding.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "spell/SpellStrings.h"
#include "spell/SpellText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

std::vector<std::string> SplitList(const std::string& list)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

const char32_t kDefaultWordChars[] = U"abcdefghijklmnopqrstuvwxyz'ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890&";

// Dictionary bytes of a word; a character outside the code page becomes a
// NUL, which no dictionary letter matches, so the edits around it still work.
std::string SuggestBytes(const std::string& word, bool& placeholder)
{
    std::string bytes;
    placeholder = false;
    if (WordToDictBytes(word, bytes))
        return bytes;
    bytes.clear();
    for (std::size_t i = 0; i < word.size();) {
        const auto lead = static_cast<unsigned char>(word[i]);
        const std::size_t n = std::min<std::size_t>(std::size_t(Utf8SequenceLength(lead)), word.size() - i);
        std::string one;
        if (WordToDictBytes(std::string_view(word).substr(i, n), one) && one.size() == 1) {
            bytes += one;
        } else {
            bytes.push_back('\0');
            placeholder = true;
        }
        i += n;
    }
    return bytes;
}

} // namespace

TSpellChecker::TSpellChecker()
{
    SetIgnorePrefix(ignorePrefix_);
    SetIgnoreSuffix(ignoreSuffix_);
}

TSpellChecker::~TSpellChecker()
{
    dialog_.reset();
    parser_.reset();
    CloseDictionaries();
}

void TSpellChecker::SetMaxSuggestions(int n)
{
    maxSuggestions_ = std::max(n, 1);
    suggestions_.SetLimit(maxSuggestions_);
    for (auto& d : mains_)
        d->SetMaxSuggestions(maxSuggestions_);
}

void TSpellChecker::SetIgnorePrefix(const std::string& list)
{
    ignorePrefix_ = list;
    prefixes_ = SplitList(list);
}

void TSpellChecker::SetIgnoreSuffix(const std::string& list)
{
    ignoreSuffix_ = list;
    suffixes_ = SplitList(list);
}

QString TSpellChecker::ConfigPath() const
{
    if (configInAppDir_ && !QDir::isAbsolutePath(configFileName_))
        return ProgramFile(configFileName_);
    return configFileName_;
}

bool TSpellChecker::Message(TSpellMessage kind, const std::string& text) const
{
    return OnMessage ? OnMessage(kind, text) : false;
}

bool TSpellChecker::OpenDictionaries()
{
    config_.Load(ConfigPath(), configKey_, defaultMain_, defaultUser_, defaultOptions_);
    // A dictionary the user chose that has gone away is worth saying: without
    // it every word may be reported.
    for (const QString& path : config_.missingMains)
        Message(TSpellMessage::Abort, SpellString(ssUnableToFind) + "\r\n" + path.toStdString());

    // Main dictionaries in use, in configuration order; one already open
    // for the same file is kept as it is.
    std::vector<std::unique_ptr<TDictionary>> mains;
    for (const TDictionaryEntry& e : config_.mains) {
        if (!e.inUse)
            continue;
        auto open = std::find_if(mains_.begin(), mains_.end(),
                                 [&](const auto& d) { return d && d->FileName() == e.path; });
        if (open != mains_.end()) {
            mains.push_back(std::move(*open));
            continue;
        }
        auto d = std::make_unique<TDictionary>();
        if (auto why = d->Open(e.path)) {
            if (!QFileInfo::exists(e.path))
                Message(TSpellMessage::Abort, SpellString(ssUnableToFind) + "\r\n" + e.path.toStdString());
            else
                Message(TSpellMessage::Abort, "The dictionary file is damaged and cannot be used:\r\n"
                                                  + e.path.toStdString() + "\r\n(" + *why + ")");
            continue;
        }
        d->SetMaxSuggestions(maxSuggestions_);
        mains.push_back(std::move(d));
    }
    mains_ = std::move(mains);

    std::vector<std::unique_ptr<TUserDictionary>> users(config_.users.size());
    for (std::size_t i = 0; i < config_.users.size(); ++i) {
        const TDictionaryEntry& e = config_.users[i];
        if (!e.inUse)
            continue;
        auto open = std::find_if(users_.begin(), users_.end(),
                                 [&](const auto& u) { return u && u->FileName() == e.path; });
        if (open != users_.end()) {
            users[i] = std::move(*open);
            continue;
        }
        users[i] = std::make_unique<TUserDictionary>();
        users[i]->Open(e.path);
    }
    for (auto& u : users_)  // no longer in use: written back and dropped
        if (u) {
            try {
                u->Close();
            } catch (const EIniFileException& e) {
                Message(TSpellMessage::Information, e.what());
            }
        }
    users_ = std::move(users);
    RebuildLists();
    return !config_.mains.empty();
}

void TSpellChecker::CloseDictionaries()
{
    mains_.clear();
    for (auto& u : users_) {
        if (!u)
            continue;
        try {
            u->Close();
        } catch (const EIniFileException& e) {
            Message(TSpellMessage::Information, e.what());
        }
    }
    users_.clear();
    config_.Release();
    RebuildLists();
}

void TSpellChecker::RebuildLists()
{
    accepted_.Clear();
    replacements_.Clear();
    for (const auto& u : users_) {
        if (!u)
            continue;
        for (const std::string& w : u->Words())
            accepted_.Add(w);
        for (std::size_t i = 0; i < u->Misspellings().size(); ++i)
            replacements_.Add(u->Misspellings()[i], u->Replacements()[i]);
    }
    for (const std::string& w : ignoreAll_)
        accepted_.Add(w);
    for (const auto& [word, replacement] : changeAll_)
        replacements_.Add(word, replacement);
}

TUserDictionary* TSpellChecker::ChosenUserDictionary() const
{
    const int i = config_.userIndex;
    if (i < 0 || std::size_t(i) >= users_.size())
        return nullptr;
    return users_[std::size_t(i)].get();
}

void TSpellChecker::ResetIgnoreAll()
{
    for (const std::string& w : ignoreAll_)
        accepted_.Delete(w);
    ignoreAll_.clear();
}

void TSpellChecker::ResetChangeAll()
{
    for (const auto& pair : changeAll_)
        replacements_.Delete(pair.first);
    changeAll_.clear();
}

bool TSpellChecker::IsDictWord(std::string_view bytes) const
{
    for (const auto& d : mains_)
        if (d->Lookup(bytes))
            return true;
    return false;
}

bool TSpellChecker::IsWord(std::string_view utf8) const
{
    if (utf8.empty())
        return false;
    std::string bytes;
    if (WordToDictBytes(utf8, bytes) && IsDictWord(bytes))
        return true;
    return accepted_.Lookup(utf8);
}

std::string TSpellChecker::Strip(std::string word) const
{
    bool again = true;
    while (again && !word.empty()) {
        again = false;
        for (const std::string& p : prefixes_)
            if (word.size() >= p.size() && word.compare(0, p.size(), p) == 0) {
                word.erase(0, p.size());
                again = true;
                break;
            }
    }
    again = true;
    while (again && !word.empty()) {
        again = false;
        for (const std::string& s : suffixes_)
            if (word.size() >= s.size() && word.find(s) == word.size() - s.size()) {
                word.erase(word.size() - s.size());
                again = true;
                break;
            }
    }
    return word;
}

bool TSpellChecker::IsAccepted(const std::string& word) const
{
    if (IsWord(word))
        return true;
    const std::string lower = LowerWord(word);
    if (lower != word && IsWord(lower))
        return true;
    const std::string stripped = Strip(word);
    if (stripped.empty())
        return true;  // only quotes: punctuation, not a word
    if (stripped != word) {
        if (IsWord(stripped))
            return true;
        const std::string strippedLower = LowerWord(stripped);
        if (strippedLower != stripped && IsWord(strippedLower))
            return true;
    }
    return false;
}

void TSpellChecker::Suggest(const std::string& word, TSuggestionList& list) const
{
    auto run = [&](const std::string& form, const std::string* capitalsOf) {
        bool placeholder = false;
        const std::string bytes = SuggestBytes(form, placeholder);
        for (const auto& d : mains_) {
            const TDictionary& dict = *d;
            const TIsWord isWord = [&](std::string_view c) {
                if (placeholder && std::memchr(c.data(), 0, c.size()))
                    return false;
                return dict.Lookup(c);
            };
            const TAddCandidate add = [&](std::string_view c) {
                std::string s = DictBytesToWord(c);
                if (capitalsOf)
                    s = CarryCapitals(*capitalsOf, s);
                return !(list.Add(s) && list.OverLimit());
            };
            GenerateSingleEdits(bytes, dict.Alphabet(), isWord, add);
            if (config_.options & soPrimaryOnly)
                break;
        }
    };
    const std::string lower = LowerWord(word);
    if (lower != word)
        run(lower, &word);
    run(word, nullptr);
}

bool TSpellChecker::SuggestMore(const std::string& word, TSuggestionList& list, bool singleEditsFirst,
                                const std::function<bool()>& keepGoing,
                                const std::function<void()>& onAdded) const
{
    std::string bytes;
    if (!WordToDictBytes(LowerWord(word), bytes))
        return true;  // no dictionary word is one or two edits from a letter it cannot hold
    const std::string alphabet = CombinedAlphabet();
    const TIsWord isWord = [&](std::string_view c) {
        if (IsDictWord(c))
            return true;
        return !accepted_.Words().empty() && accepted_.Lookup(DictBytesToWord(c));
    };
    const TAddCandidate add = [&](std::string_view c) {
        if (list.Add(CarryCapitals(word, DictBytesToWord(c)))) {
            if (onAdded)
                onAdded();
            if (list.OverLimit())
                return false;
        }
        return true;
    };
    if (singleEditsFirst && !(GenerateSingleEdits(bytes, alphabet, isWord, add) && (!keepGoing || keepGoing())))
        return false;
    return GenerateDoubleEdits(bytes, alphabet.substr(0, alphabet.size() / 2), isWord, add, keepGoing);
}

std::string TSpellChecker::CombinedAlphabet() const
{
    std::string out;
    bool seen[256] = {};
    for (const auto& d : mains_)
        for (char c : d->Alphabet()) {
            const auto b = static_cast<unsigned char>(c);
            if (!seen[b]) {
                seen[b] = true;
                out.push_back(c);
            }
        }
    return out;
}

std::u32string TSpellChecker::WordChars() const
{
    std::u32string out;
    for (char c : CombinedAlphabet())
        out.push_back(Windows1252ToUnicode(static_cast<unsigned char>(c)));
    const std::string extra = SpellString(ssExtraWordChars);
    for (char c : extra)
        out.push_back(static_cast<unsigned char>(c));
    if (out.empty())
        out = kDefaultWordChars;
    return out;
}

void TSpellChecker::ProcessMessages()
{
    if (OnProcessMessages)
        OnProcessMessages();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace vesk
