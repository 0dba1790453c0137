// An open editor of the program as the validator reads it.
#include "validator/EditorValidatorDocument.h"

#include "editor/VeskMemo.h"
#include "validator/ValidatorChecks.h"

#include <algorithm>

namespace vesk {

TEditorValidatorDocument::TEditorValidatorDocument(TVeskMemoFile* editor) : editor_(editor)
{
    if (editor_) {
        editor_->AddListener(this);
        listening_ = true;
    }
}

TEditorValidatorDocument::~TEditorValidatorDocument()
{
    if (listening_ && editor_)
        editor_->RemoveListener(this);
}

std::int32_t TEditorValidatorDocument::Length() const
{
    return editor_ ? editor_->CharCount() : 0;
}

void TEditorValidatorDocument::Rewind()
{
    changed_ = false;
    next_ = 0;
    piece_.clear();
    lastParagraph_.clear();
}

bool TEditorValidatorDocument::NextPiece(std::string_view& piece)
{
    if (Changed() || next_ >= editor_->ParagraphCount())
        return false;
    piece_ = editor_->ParagraphText(next_).value_or(std::string());
    ++next_;
    if (next_ < editor_->ParagraphCount())
        piece_.append("\r\n", 2);
    piece = piece_;
    return true;
}

std::int32_t TEditorValidatorDocument::LastParagraphWith(const std::string& needle)
{
    const auto known = lastParagraph_.find(needle);
    if (known != lastParagraph_.end())
        return known->second;
    std::int32_t last = -1;
    for (std::int32_t i = editor_->ParagraphCount() - 1; i >= 0 && last < 0; --i) {
        if (FindAsciiNoCase(editor_->ParagraphText(i).value_or(std::string()), needle) != std::string_view::npos)
            last = i;
    }
    lastParagraph_.emplace(needle, last);
    return last;
}

bool TEditorValidatorDocument::Follows(std::string_view needle, std::size_t from)
{
    if (Changed())
        return false;
    // A needle holds no line break, so it lies within one paragraph.
    if (FindAsciiNoCase(piece_, needle, from) != std::string_view::npos)
        return true;
    return LastParagraphWith(std::string(needle)) >= next_;
}

void TEditorValidatorDocument::SetSelStart(std::int32_t offset)
{
    if (editor_)
        editor_->SetSelStart(std::clamp(offset, 0, editor_->CharCount()));
}

std::int32_t TEditorValidatorDocument::CurrentLine() const
{
    return editor_ ? editor_->CurrentLine() : 0;
}

QString TEditorValidatorDocument::FileName() const
{
    return editor_ ? editor_->FileName() : QString();
}

} // namespace vesk
