// An open editor of the program as the validator reads it.
#pragma once

#include "editor/VeskMemoStore.h"
#include "validator/ValidatorEngine.h"

#include <QPointer>
#include <QString>

#include <string>
#include <unordered_map>

namespace vesk {

class TVeskMemoFile;

// Reads the editor's paragraphs one at a time, as the scan reaches them.
// The first change to the text after Rewind (an edit, a load, the editor's
// destruction) ends the reading for good: Changed() turns true and
// NextPiece gives nothing more, so a run never mixes old and new text. The
// caret moves in the editor itself; should the editor be destroyed, moving
// it does nothing and every line reads as 0.
class TEditorValidatorDocument : public TValidatorDocument, private TStoreListener {
public:
    explicit TEditorValidatorDocument(TVeskMemoFile* editor);
    ~TEditorValidatorDocument() override;
    TEditorValidatorDocument(const TEditorValidatorDocument&) = delete;
    TEditorValidatorDocument& operator=(const TEditorValidatorDocument&) = delete;

    std::int32_t Length() const override;
    void Rewind() override;
    bool NextPiece(std::string_view& piece) override;
    bool Changed() const override { return changed_ || !editor_; }
    bool Follows(std::string_view needle, std::size_t from) override;
    void SetSelStart(std::int32_t offset) override;
    // The caret's display line: with word wrap on, lines of wrapped
    // paragraphs count as the editor shows them.
    std::int32_t CurrentLine() const override;
    QString FileName() const override;

private:
    void TextReplaced(const TTextChange&) override { changed_ = true; }
    void TextReset() override { changed_ = true; }
    // The last paragraph holding `needle`, -1 when none.
    std::int32_t LastParagraphWith(const std::string& needle);

    QPointer<TVeskMemoFile> editor_;
    bool listening_ = false;
    bool changed_ = false;
    std::int32_t next_ = 0;  // the paragraph NextPiece gives next
    std::string piece_;
    std::unordered_map<std::string, std::int32_t> lastParagraph_;
};

} // namespace vesk
