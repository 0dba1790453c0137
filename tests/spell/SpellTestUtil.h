// Test helpers for the spell checker: hand-made dictionaries and a scripted spell dialog.
#pragma once

#include "editor/VeskMemoCore.h"
#include "spell/DictionaryWriter.h"
#include "spell/SpellChecker.h"
#include "spell/VeskMemoParser.h"
#include "support/TempDir.h"

#include <QFile>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace vesk::test {

// The English alphabet layout of the shipped dictionary, ASCII part.
inline const std::string kTestAlphabet =
    "etaoinshrdlcumwfgypbvkjxqz'ETAOINSHRDLCUMWFGYPBVKJXQZ0123456789";

inline void WriteDictionary(const QString& path, std::vector<std::string> words,
                            std::size_t maxNodes = 65536, const std::string& alphabet = kTestAlphabet)
{
    TDictionarySource s;
    s.title = "Test";
    s.alphabet = alphabet;
    s.words = std::move(words);
    s.maxNodesPerSub = maxNodes;
    const std::string bytes = BuildDictionaryBytes(std::move(s));
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes.data(), qint64(bytes.size()));
}

struct TStopSeen {
    TStopSeen(const char* w = "", bool r = false) : word(w), repeated(r) {}
    std::string word;
    bool repeated = false;
    std::vector<std::string> suggestions;
    bool undoEnabled = false;
    std::vector<bool> enabled;  // by control number
    std::string errorLabel, changeCaption;
    bool operator==(const TStopSeen& o) const { return word == o.word && repeated == o.repeated; }
    friend void PrintTo(const TStopSeen& s, std::ostream* os) { *os << s.word << (s.repeated ? " (repeated)" : ""); }
};

// Answers each stop with the next scripted action (and word-box text);
// Ignore once the script is used up; a negative action leaves the stop unanswered.
class ScriptedDialog : public TDialogControl {
public:
    ScriptedDialog(TSpellChecker& e, std::vector<TStopSeen>& seen, std::deque<std::pair<int, std::string>>& script)
        : engine_(e), seen_(seen), script_(script) {}
    void EnableControl(int c, bool on) override { enabled_[c] = on; }
    void SetCaption(int c, const std::string& text) override { captions_[c] = text; }
    void SetNotFound(const std::string&) override {}
    std::string WordText() const override { return text_; }
    void SetWordText(const std::string& t) override { text_ = t; }
    void SetSuggestions(const std::vector<std::string>& items) override
    {
        items_ = items;
        if (lastItems_)
            *lastItems_ = items;
    }
    std::vector<std::string>* lastItems_ = nullptr;
    void ShowDialog(bool visible, const TParserBounds&) override
    {
        if (!visible)
            return;
        TStopSeen stop(engine_.StopWord().c_str(), engine_.StopIsRepeated());
        stop.suggestions = items_;
        stop.undoEnabled = enabled_[saUndoLast];
        stop.enabled.assign(std::begin(enabled_), std::end(enabled_));
        stop.errorLabel = captions_[scErrorLabel];
        stop.changeCaption = captions_[saChange];
        seen_.push_back(stop);
        int action = saIgnore;
        if (!script_.empty()) {
            action = script_.front().first;
            text_ = script_.front().second;
            script_.pop_front();
        }
        if (action >= 0)
            engine_.Action(action);
    }

private:
    TSpellChecker& engine_;
    std::vector<TStopSeen>& seen_;
    std::deque<std::pair<int, std::string>>& script_;
    std::string text_;
    std::vector<std::string> items_;
    bool enabled_[scControlCount] = {};
    std::string captions_[scControlCount];
};

// An engine over a temporary folder holding "english.dct" made of `words`.
struct SpellBench {
    // Declared before the engine, so they outlive it (a check it still
    // holds releases its parser, and closing may report through OnMessage).
    TempDir dir;
    TVeskMemoCore editor;
    std::vector<TStopSeen> stops;
    std::vector<std::string> messages;
    std::deque<std::pair<int, std::string>> script;
    std::vector<std::string> lastSuggestions;  // the dialog's list as last filled
    TSpellChecker engine;

    explicit SpellBench(const std::vector<std::string>& words, std::size_t maxNodes = 65536)
    {
        WriteDictionary(dir.file("english.dct"), words, maxNodes);
        engine.SetConfigInAppDir(false);
        engine.SetConfigFileName(dir.file("SPELLCHK.CFG"));
        engine.SetBackgroundSuggestions(false);
        engine.OnProcessMessages = [] {};
        engine.OnMessage = [this](TSpellMessage, const std::string& text) {
            messages.push_back(text);
            return false;
        };
        engine.OnCreateDialog = [this](TSpellChecker& e) -> std::unique_ptr<TDialogControl> {
            auto d = std::make_unique<ScriptedDialog>(e, stops, script);
            d->lastItems_ = &lastSuggestions;
            return d;
        };
    }
    // Writes a valid configuration: english.dct and default.udt in use, these options.
    void SetOptions(TSpellOptions options)
    {
        QFile::remove(dir.file("SPELLCHK.CFG"));  // start from the folder's default configuration
        TConfiguration c;
        c.Load(dir.file("SPELLCHK.CFG"), "spellchk", "english.dct", "default.udt", options);
        c.options = options;
        c.Save();
    }
    std::vector<TStopSeen> Run(const std::string& text, std::deque<std::pair<int, std::string>> answers = {})
    {
        stops.clear();
        messages.clear();
        script = std::move(answers);
        editor.SetTextBuf(text);
        engine.Check(std::make_unique<TVeskMemoParser>(editor));
        return stops;
    }
    std::string Text() const { return editor.GetTextPart(0, editor.CharCount()); }
};

} // namespace vesk::test
