// The spell engine: the check loop, stops, dialog actions, Undo Last and the end of a check.
#include "spell/SpellChecker.h"

#include "editor/TextEncoding.h"

#include "spell/SpellStrings.h"
#include "spell/SpellText.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstring>

namespace vesk {
namespace {

bool Replaces(TSpellUndoKind k)
{
    return k == TSpellUndoKind::Change || k == TSpellUndoKind::ChangeAll
           || k == TSpellUndoKind::AutoCorrect || k == TSpellUndoKind::DeleteRepeated;
}

} // namespace

bool TSpellChecker::Check(std::unique_ptr<TSpellParser> parser)
{
    if (checking_ || busy_ || !parser)
        return false;
    checking_ = true;
    cancelled_ = stopped_ = false;
    pending_.clear();
    wordCount_ = 0;
    previousWord_.clear();
    busy_ = true;
    bool haveMain = OpenDictionaries();
    while (!haveMain) {
        const bool edit = Message(TSpellMessage::YesNo, SpellString(ssNoMainDictionary));
        if (!edit || !OnConfigure || !OnConfigure(*this))
            break;
        haveMain = OpenDictionaries();
    }
    // Nothing could be opened (each failure has been reported): checking
    // would stop at every word, so the check ends here.
    if (!haveMain || mains_.empty()) {
        busy_ = false;
        EndCheck(true);
        return true;
    }
    parser_ = std::move(parser);
    parser_->SetWordChars(WordChars());
    parser_->SetInternet((config_.options & soInternet) != 0);
    parser_->SetMaxUndo(maxUndo_);
    parser_->Restart();
    RunLoop();
    busy_ = false;
    // Answers given while the first stop was being shown.
    if (!pending_.empty()) {
        const int next = pending_.front();
        pending_.erase(pending_.begin());
        Action(next);
    }
    if (waitForCompletion_ && QCoreApplication::instance())
        while (checking_)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
}

void TSpellChecker::RunLoop()
{
    stopped_ = false;
    while (checking_) {
        if (!parser_->NextWord()) {
            EndCheck(false);
            return;
        }
        ++wordCount_;
        const std::string& word = parser_->Word();
        bool accepted = IsAccepted(word);
        if (!accepted && replacements_.Lookup(word)) {
            const std::string replacement = replacements_.Replacement();
            parser_->SelectWord();
            parser_->ReplaceWord(replacement, false);
            previousWord_ = replacement;
            continue;
        }
        if (!accepted) {
            const TSpellOptions o = config_.options;
            accepted = parser_->InsideInternet() || IsAllDigits(word)
                       || ((o & soUpcase) && IsAllUpper(word)) || ((o & soNumbers) && HasDigit(word));
        }
        if (!accepted) {
            StopAt(false);
            return;
        }
        if ((config_.options & soRepeated) && !parser_->TagSkipped() && word == previousWord_) {
            StopAt(true);
            return;
        }
        previousWord_ = word;
        // Let the window breathe about every thirtieth word, at random so a
        // regular text cannot fall into step with it.
        if (--untilMessages_ <= 0) {
            random_ ^= random_ << 13;
            random_ ^= random_ >> 17;
            random_ ^= random_ << 5;
            untilMessages_ = 1 + int(random_ % 64);
            ProcessMessages();
        }
    }
}

void TSpellChecker::StopAt(bool repeated)
{
    stopWord_ = parser_->Word();
    stopRepeated_ = repeated;
    parser_->PushUndo();
    if (TSpellUndoRecord* r = parser_->TopUndo()) {
        r->repeated = repeated;
        r->wordCount = wordCount_;
        r->previousWord = previousWord_;
    }
    stopped_ = true;
    parser_->SelectWord();
    parser_->Centre();
    if (!dialog_) {
        if (OnCreateDialog)
            dialog_ = OnCreateDialog(*this);
        if (!dialog_) {
            EndCheck(true);
            return;
        }
    }
    ShowStop();
}

void TSpellChecker::ShowStop()
{
    TDialogControl& d = *dialog_;
    d.SetWordText({});
    for (int c = 0; c < scDialog; ++c)
        d.EnableControl(c, false);
    d.SetNotFound(stopWord_);
    suggestions_.Clear();
    suggestions_.SetLimit(maxSuggestions_);
    d.SetCaption(scDialog, SpellString(ssSpellCheck));
    d.EnableControl(saStart, true);
    d.EnableControl(saOptions, true);
    d.EnableControl(saCancel, true);
    d.EnableControl(saUndoLast, parser_->UndoCount() >= 2);
    d.EnableControl(saIgnore, true);
    if (stopRepeated_) {
        d.SetCaption(scErrorLabel, SpellString(ssRepeatedWord));
        d.SetCaption(saChange, SpellString(ssDelete));
        d.EnableControl(saChange, true);
        d.SetSuggestions({});
        d.ShowDialog(true, parser_->Bounds());
        return;
    }
    d.SetCaption(scErrorLabel, SpellString(ssNotFound));
    d.SetCaption(saChange, SpellString(ssChange));
    d.EnableControl(saIgnoreAll, true);
    d.EnableControl(scWordEdit, true);
    d.EnableControl(scSuggestBox, true);
    d.EnableControl(saAdd, ChosenUserDictionary() != nullptr);
    const bool autoSuggest = (config_.options & soAutoSuggest) != 0;
    d.EnableControl(saSuggest, !autoSuggest);
    if (autoSuggest)
        Suggest(stopWord_, suggestions_);
    d.SetSuggestions(suggestions_.Items());
    if (autoSelectFirst_ && !suggestions_.Items().empty()) {
        d.SetWordText(suggestions_.Items().front());
        WordTextChanged();
    }
    d.ShowDialog(true, parser_->Bounds());
    if (backgroundSuggestions_ && pending_.empty())
        RunBackground();
}

void TSpellChecker::RunBackground()
{
    if (mains_.empty() && accepted_.Words().empty())
        return;
    inBackground_ = true;
    dialog_->SetCaption(scDialog, SpellString(ssSpellCheck) + " " + SpellString(ssEllipsis));
    // Stop as soon as the user has acted; the action runs right after.
    const auto keepGoing = [&]() {
        ProcessMessages();
        return pending_.empty() && checking_ && dialog_ != nullptr;
    };
    SuggestMore(stopWord_, suggestions_, !(config_.options & soAutoSuggest), keepGoing, [this] {
        if (dialog_)
            dialog_->SetSuggestions(suggestions_.Items());
    });
    inBackground_ = false;
    if (dialog_)
        dialog_->SetCaption(scDialog, SpellString(ssSpellCheck));
}

void TSpellChecker::Action(int action)
{
    if (!checking_)
        return;
    if (busy_ || inBackground_) {
        pending_.push_back(action);
        return;
    }
    busy_ = true;
    Perform(action);
    while (checking_ && !pending_.empty()) {
        const int next = pending_.front();
        pending_.erase(pending_.begin());
        Perform(next);
    }
    pending_.clear();
    busy_ = false;
}

void TSpellChecker::WordTextChanged()
{
    if (!dialog_ || !stopped_ || stopRepeated_)
        return;
    const bool text = !dialog_->WordText().empty();
    dialog_->EnableControl(saChange, text);
    dialog_->EnableControl(saChangeAll, text);
    dialog_->EnableControl(saAutoCorrect, text && ChosenUserDictionary() != nullptr);
}

void TSpellChecker::Replace(const std::string& text, TSpellUndoKind kind)
{
    const bool recheck = kind != TSpellUndoKind::DeleteRepeated && (config_.options & soRecheck);
    parser_->SelectWord();
    parser_->ReplaceWord(text, recheck);
    parser_->SetUndoKind(kind, text);
    // A re-checked replacement meets the previous word itself; otherwise it
    // is the word before the next one.
    if (kind != TSpellUndoKind::DeleteRepeated && !recheck)
        previousWord_ = text;
}

void TSpellChecker::Perform(int action)
{
    if (!checking_ || !stopped_ || !parser_)
        return;
    const std::string word = stopWord_;
    const std::string text = dialog_ ? dialog_->WordText() : std::string();
    switch (action) {
    case saSuggest: {
        suggestions_.Clear();
        Suggest(text.empty() ? word : text, suggestions_);
        if (dialog_)
            dialog_->SetSuggestions(suggestions_.Items());
        return;  // still at the same stop
    }
    case saStart:
        parser_->SetUndoKind(TSpellUndoKind::Ignore);
        previousWord_ = word;
        parser_->BackToWordStart();
        break;
    case saUndoLast:
        UndoLast();
        return;
    case saOptions:
        if (OnConfigure && OnConfigure(*this)) {
            OpenDictionaries();
            parser_->SetWordChars(WordChars());
            parser_->SetInternet((config_.options & soInternet) != 0);
        }
        return;
    case saChangeAll:
        if (stopRepeated_)
            return;
        changeAll_.emplace_back(word, text);
        replacements_.Add(word, text);
        Replace(text, TSpellUndoKind::ChangeAll);
        break;
    case saChange:
        if (stopRepeated_)
            Replace({}, TSpellUndoKind::DeleteRepeated);
        else
            Replace(text, TSpellUndoKind::Change);
        break;
    case saIgnoreAll:
        if (stopRepeated_)
            return;
        ignoreAll_.push_back(word);
        accepted_.Add(word);
        parser_->SetUndoKind(TSpellUndoKind::IgnoreAll);
        previousWord_ = word;
        break;
    case saIgnore:
        parser_->SetUndoKind(TSpellUndoKind::Ignore);
        previousWord_ = word;
        break;
    case saAdd: {
        TUserDictionary* user = ChosenUserDictionary();
        if (!user || stopRepeated_)
            return;
        user->AddWord(word);
        accepted_.Add(word);
        parser_->SetUndoKind(TSpellUndoKind::Add);
        previousWord_ = word;
        break;
    }
    case saAutoCorrect: {
        TUserDictionary* user = ChosenUserDictionary();
        if (!user || stopRepeated_)
            return;
        user->AddPair(word, text);
        replacements_.Add(word, text);
        Replace(text, TSpellUndoKind::AutoCorrect);
        break;
    }
    case saHelp:
        if (OnHelp)
            OnHelp(*this);
        return;
    case saCancel:
        EndCheck(true);
        return;
    default:
        return;
    }
    RunLoop();
}

void TSpellChecker::UndoLast()
{
    if (parser_->UndoCount() < 2)
        return;
    parser_->PopUndo();  // the stop we are at: nothing was done there yet
    const std::optional<TSpellUndoRecord> r = parser_->PopUndo();
    if (Replaces(r->kind)) {
        // The replacement stands where the word stood: put the word back.
        const auto length = static_cast<std::int32_t>(CountUtf8Chars(r->replacement));
        parser_->SelectRange(r->start, length);
        parser_->ReplaceAt(r->start, length, r->word);
    }
    switch (r->kind) {
    case TSpellUndoKind::ChangeAll: {
        for (auto it = changeAll_.rbegin(); it != changeAll_.rend(); ++it)
            if (it->first == r->word && it->second == r->replacement) {
                changeAll_.erase(std::next(it).base());
                break;
            }
        replacements_.Delete(r->word);
        break;
    }
    case TSpellUndoKind::IgnoreAll: {
        const auto it = std::find(ignoreAll_.rbegin(), ignoreAll_.rend(), r->word);
        if (it != ignoreAll_.rend())
            ignoreAll_.erase(std::next(it).base());
        accepted_.Delete(r->word);
        break;
    }
    case TSpellUndoKind::Add:
        if (TUserDictionary* user = ChosenUserDictionary())
            user->DeleteWord(r->word);
        accepted_.Delete(r->word);
        break;
    case TSpellUndoKind::AutoCorrect:
        if (TUserDictionary* user = ChosenUserDictionary())
            user->DeletePair(r->word);
        replacements_.Delete(r->word);
        break;
    default:
        break;
    }
    // Re-open that stop as it was.
    parser_->MoveTo(r->start, r->line, r->column);
    parser_->NextWord();
    wordCount_ = r->wordCount;
    previousWord_ = r->previousWord;
    StopAt(r->repeated);
}

void TSpellChecker::EndCheck(bool cancelled)
{
    if (!checking_)
        return;
    cancelled_ = cancelled;
    stopped_ = false;
    if (dialog_)
        dialog_->ShowDialog(false, {});
    const bool show = endShowMessage_ == TEndShowMessage::emAlways
                      || (endShowMessage_ == TEndShowMessage::emExceptCancel && !cancelled);
    if (show) {
        std::string text = SpellString(ssCheckComplete);
        if (wordCountVisible_)
            text += "\r\n\r\n" + SpellString(ssWordsChecked) + std::to_string(wordCount_);
        Message(TSpellMessage::Information, text);
    }
    dialog_.reset();
    parser_.reset();
    if (!alwaysActive_)
        CloseDictionaries();
    checking_ = false;
    pending_.clear();
    if (OnCheckEnded)
        OnCheckEnded(*this);
}

} // namespace vesk
