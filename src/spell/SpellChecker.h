// The spell engine: checks a text word by word and stops where the user must decide.
//
// The engine reads the text through a parser (TSpellParser), looks words up
// in the open main dictionaries and its in-memory lists, and talks to the
// spell dialog only through TDialogControl and to the user only through the
// OnMessage hook, so it runs without any window (tests, the command line).
//
// A check is event-driven: Check() runs the loop up to the first stop and
// returns to the caller's event loop (or, with WaitForCompletion, spins it
// until the check has ended); each dialog button calls Action(), which
// carries the action out and runs on to the next stop. Actions that arrive
// while the engine is busy (from inside the dialog's own calls, or from the
// events processed by the background suggestion generator) are queued and
// carried out, in order, as soon as the engine returns to them, so nothing
// recurses however the dialog answers.
//
// Decisions where the described behaviour leaves room or needed repair:
//  - The end limit follows every replacement by the change in length, so a
//    longer replacement never pushes the last words of the text out of the
//    check (and Delete moves it back by the deleted word's length).
//  - A misspelling the user leaves in the text (Ignore, Ignore All, Add)
//    becomes the "previous word" for the repeated-word test, so "the teh
//    the" does not report the second "the"; a re-checked replacement is
//    compared with the word before it, so changing "the teh" into "the the"
//    is reported.
//  - When no main dictionary could be opened (each failure reported), the
//    check ends at once, as cancelled: it would otherwise stop at every word.
//    A main dictionary marked in use whose file has gone is reported with
//    "Unable to find dictionary file:" too.
//  - A "word" that is nothing but ignored prefixes and suffixes (a lone
//    quote) is punctuation and accepted.
//  - Undo Last re-opens the stop it takes back directly (word, position,
//    repeated or not, word count and previous word as they were then)
//    instead of checking the word again.
#pragma once

#include "spell/Dictionary.h"
#include "spell/SpellConfig.h"
#include "spell/SpellParser.h"
#include "spell/Suggestions.h"
#include "spell/Trie.h"
#include "spell/UserDictionary.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vesk {

// Dialog actions, numbered as the dialog's buttons send them.
enum TSpellAction {
    saSuggest = 0, saStart = 1, saUndoLast = 2, saOptions = 3, saChangeAll = 4, saChange = 5,
    saIgnoreAll = 6, saIgnore = 7, saAdd = 8, saAutoCorrect = 9, saHelp = 10, saCancel = 11,
};

// Controls of the spell dialog the engine addresses: the buttons carry their
// action's number; then the word box, the suggestion list, the error label
// and the dialog itself (its caption).
enum TSpellControl {
    scWordEdit = 12, scSuggestBox = 13, scErrorLabel = 14, scDialog = 15, scControlCount = 16,
};

enum class TEndShowMessage { emAlways, emExceptCancel, emNever };
enum class TSelectionBehavior { sbAvoid, sbIgnore };
enum class TInitialPosition { ipAvoidControl, ipCenter, ipLastKnown };

// The engine's link to the spell dialog. Created at the first stop of a
// check (OnCreateDialog) and destroyed at its end, possibly from inside a
// call that reached the engine from one of the dialog's own buttons: a
// window behind it must defer deleting its widgets.
class TDialogControl {
public:
    virtual ~TDialogControl() = default;
    virtual void EnableControl(int control, bool on) = 0;
    // Captions of buttons and labels (with "&" marks), and of the dialog (scDialog).
    virtual void SetCaption(int control, const std::string& text) = 0;
    // The stopped word (the read-only "NotFound" line).
    virtual void SetNotFound(const std::string& word) = 0;
    virtual std::string WordText() const = 0;
    virtual void SetWordText(const std::string& text) = 0;
    virtual void SetSuggestions(const std::vector<std::string>& items) = 0;
    // Shows or hides the dialog; `bounds` places it clear of the word.
    virtual void ShowDialog(bool visible, const TParserBounds& bounds) = 0;
};

enum class TSpellMessage {
    Information,   // one OK button
    Abort,         // information with one Abort button
    YesNo,         // a question; the answer is true for Yes
};

class TSpellChecker {
public:
    TSpellChecker();
    ~TSpellChecker();
    TSpellChecker(const TSpellChecker&) = delete;
    TSpellChecker& operator=(const TSpellChecker&) = delete;

    // ---- properties ---------------------------------------------------------
    bool ConfigInAppDir() const { return configInAppDir_; }
    void SetConfigInAppDir(bool on) { configInAppDir_ = on; }
    // A bare name (in the program folder with ConfigInAppDir) or a path.
    const QString& ConfigFileName() const { return configFileName_; }
    void SetConfigFileName(const QString& name) { configFileName_ = name; }
    const std::string& ConfigKey() const { return configKey_; }
    void SetConfigKey(const std::string& key) { configKey_ = key; }
    const QString& DefaultMain() const { return defaultMain_; }
    void SetDefaultMain(const QString& name) { defaultMain_ = name; }
    const QString& DefaultUser() const { return defaultUser_; }
    void SetDefaultUser(const QString& name) { defaultUser_ = name; }
    TSpellOptions DefaultOptions() const { return defaultOptions_; }
    void SetDefaultOptions(TSpellOptions o) { defaultOptions_ = o; }
    int MaxSuggestions() const { return maxSuggestions_; }
    void SetMaxSuggestions(int n);
    int MaxUndo() const { return maxUndo_; }
    void SetMaxUndo(int n) { maxUndo_ = n; }
    const std::string& IgnorePrefix() const { return ignorePrefix_; }
    void SetIgnorePrefix(const std::string& list);
    const std::string& IgnoreSuffix() const { return ignoreSuffix_; }
    void SetIgnoreSuffix(const std::string& list);
    bool AutoSelectFirst() const { return autoSelectFirst_; }
    void SetAutoSelectFirst(bool on) { autoSelectFirst_ = on; }
    bool BackgroundSuggestions() const { return backgroundSuggestions_; }
    void SetBackgroundSuggestions(bool on) { backgroundSuggestions_ = on; }
    bool WaitForCompletion() const { return waitForCompletion_; }
    void SetWaitForCompletion(bool on) { waitForCompletion_ = on; }
    TEndShowMessage EndShowMessage() const { return endShowMessage_; }
    void SetEndShowMessage(TEndShowMessage m) { endShowMessage_ = m; }
    bool WordCountVisible() const { return wordCountVisible_; }
    void SetWordCountVisible(bool on) { wordCountVisible_ = on; }
    bool AlwaysActive() const { return alwaysActive_; }
    void SetAlwaysActive(bool on) { alwaysActive_ = on; }
    TSpellOptions VisibleOptions() const { return visibleOptions_; }
    void SetVisibleOptions(TSpellOptions o) { visibleOptions_ = o; }
    bool ImmediateChangeAll() const { return immediateChangeAll_; }
    void SetImmediateChangeAll(bool on) { immediateChangeAll_ = on; }
    TSelectionBehavior SelectionBehavior() const { return selectionBehavior_; }
    void SetSelectionBehavior(TSelectionBehavior b) { selectionBehavior_ = b; }
    TInitialPosition InitialPosition() const { return initialPosition_; }
    void SetInitialPosition(TInitialPosition p) { initialPosition_ = p; }

    // ---- hooks ----------------------------------------------------------------
    // Makes the dialog at a check's first stop. Without one (or when it
    // returns null) the check ends as cancelled at its first stop.
    std::function<std::unique_ptr<TDialogControl>(TSpellChecker&)> OnCreateDialog;
    // Shows a message; the result matters for YesNo only. Texts use CR LF.
    std::function<bool(TSpellMessage kind, const std::string& text)> OnMessage;
    // The configuration dialog; true when it saved a new configuration.
    std::function<bool(TSpellChecker&)> OnConfigure;
    std::function<void(TSpellChecker&)> OnHelp;
    // Lets window events run (between words and between background
    // candidates). Default: QCoreApplication::processEvents when there is an application.
    std::function<void()> OnProcessMessages;
    // After a check has ended (cancelled or not).
    std::function<void(TSpellChecker&)> OnCheckEnded;

    // ---- checking ---------------------------------------------------------------
    // Starts a check over the parser's text from its beginning. Ignored
    // (false, the parser dropped) while a check runs. Returns once the
    // check has ended when WaitForCompletion is on and there is an event
    // loop to spin; otherwise at the first stop.
    bool Check(std::unique_ptr<TSpellParser> parser);
    // A dialog button (TSpellAction). Ignored when no check is stopped.
    void Action(int action);
    // The word box changed: Change, Change All and Auto-Correct follow its text.
    void WordTextChanged();
    bool Checking() const { return checking_; }
    bool Cancelled() const { return cancelled_; }
    int WordsChecked() const { return wordCount_; }
    // The stop in progress.
    const std::string& StopWord() const { return stopWord_; }
    bool StopIsRepeated() const { return stopRepeated_; }
    bool GeneratingInBackground() const { return inBackground_; }
    TSpellParser* Parser() const { return parser_.get(); }
    const TSuggestionList& Suggestions() const { return suggestions_; }

    // ---- dictionaries and lists (also for the configuration dialog) ---------------
    // Reads the configuration and opens what is in use; dictionaries that
    // stay in use stay open. False when no main dictionary is configured.
    bool OpenDictionaries();
    void CloseDictionaries();
    TConfiguration& Configuration() { return config_; }
    QString ConfigPath() const;
    const std::vector<std::unique_ptr<TDictionary>>& MainDictionaries() const { return mains_; }
    // The user dictionary that receives added words, or null.
    TUserDictionary* ChosenUserDictionary() const;
    // The look-up of the check loop: a main dictionary or the accepted words.
    bool IsWord(std::string_view utf8) const;
    // The whole acceptance test of step 2 (word, lower case, stripped, both).
    bool IsAccepted(const std::string& word) const;
    // Suggestions of the dictionaries for a word (added to `list`).
    void Suggest(const std::string& word, TSuggestionList& list) const;
    // The background generator: candidates for the lower-case form of
    // `word` that the check loop's look-up accepts, given the word's
    // capitals (single edits first when asked, then the two-step edits over
    // the first half of the combined alphabet). `keepGoing` is asked every
    // few hundred candidates; `onAdded` runs after each addition. False
    // when stopped by keepGoing or the list limit.
    bool SuggestMore(const std::string& word, TSuggestionList& list, bool singleEditsFirst,
                     const std::function<bool()>& keepGoing, const std::function<void()>& onAdded = {}) const;
    // The parser's word characters: the open dictionaries' alphabets or the default set.
    std::u32string WordChars() const;
    const std::vector<std::string>& IgnoreAllList() const { return ignoreAll_; }
    const std::vector<std::pair<std::string, std::string>>& ChangeAllList() const { return changeAll_; }
    void ResetIgnoreAll();
    void ResetChangeAll();

private:
    struct Stop;
    void RunLoop();
    void StopAt(bool repeated);
    void ShowStop();
    void RunBackground();
    void Perform(int action);
    void Replace(const std::string& text, TSpellUndoKind kind);
    void UndoLast();
    void EndCheck(bool cancelled);
    void ProcessMessages();
    bool Message(TSpellMessage kind, const std::string& text) const;
    void RebuildLists();
    std::string Strip(std::string word) const;
    // The combined alphabet of the open dictionaries (each letter once).
    std::string CombinedAlphabet() const;
    bool IsDictWord(std::string_view bytes) const;

    bool configInAppDir_ = true;
    QString configFileName_ = QStringLiteral("SPELLCHK.CFG");
    std::string configKey_ = "spellchk";
    QString defaultMain_ = QStringLiteral("english.dct");
    QString defaultUser_ = QStringLiteral("default.udt");
    TSpellOptions defaultOptions_ = soInternet | soAutoSuggest | soPrimaryOnly | soRecheck | soRepeated;
    int maxSuggestions_ = 50;
    int maxUndo_ = 20;
    std::string ignorePrefix_ = "'", ignoreSuffix_ = "';'s";
    std::vector<std::string> prefixes_, suffixes_;
    bool autoSelectFirst_ = false;
    bool backgroundSuggestions_ = true;
    bool waitForCompletion_ = true;
    TEndShowMessage endShowMessage_ = TEndShowMessage::emExceptCancel;
    bool wordCountVisible_ = true;
    bool alwaysActive_ = false;
    TSpellOptions visibleOptions_ = soUpcase | soNumbers | soHTML | soInternet | soRecheck;
    bool immediateChangeAll_ = false;
    TSelectionBehavior selectionBehavior_ = TSelectionBehavior::sbAvoid;
    TInitialPosition initialPosition_ = TInitialPosition::ipAvoidControl;

    TConfiguration config_;
    std::vector<std::unique_ptr<TDictionary>> mains_;
    std::vector<std::unique_ptr<TUserDictionary>> users_;  // parallel to config_.users; null when not in use
    TTrieStringList accepted_;
    std::vector<std::string> ignoreAll_;
    std::vector<std::pair<std::string, std::string>> changeAll_;
    TTrieLookupList replacements_;

    std::unique_ptr<TSpellParser> parser_;
    std::unique_ptr<TDialogControl> dialog_;
    TSuggestionList suggestions_;
    bool checking_ = false, cancelled_ = false, stopped_ = false;
    bool busy_ = false, inBackground_ = false;
    std::vector<int> pending_;
    int wordCount_ = 0;
    std::string previousWord_;
    std::string stopWord_;
    bool stopRepeated_ = false;
    std::uint32_t random_ = 0x2545F491u;
    int untilMessages_ = 0;
};

} // namespace vesk
