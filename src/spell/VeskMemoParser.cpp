// The document parser of the spell checker.
#include "spell/VeskMemoParser.h"

#include "editor/TextEncoding.h"

#include <algorithm>

namespace vesk {

TVeskMemoParser::TVeskMemoParser(TVeskMemoCore& editor) : editor_(editor)
{
    editor_.AddListener(this);
}

TVeskMemoParser::~TVeskMemoParser()
{
    editor_.RemoveListener(this);
}

void TVeskMemoParser::Fill(std::int32_t offset) const
{
    const std::int32_t p = editor_.ParagraphOfOffset(offset);
    cachePar_ = p;
    cacheStart_ = editor_.ParagraphStart(p);
    cacheText_.clear();
    const std::string text = editor_.ParagraphText(p).value_or(std::string());
    cacheText_.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            cacheText_.push_back(lead);
            ++i;
        } else {
            cacheText_.push_back(DecodeUtf8At(text.data() + i));
            i += std::size_t(Utf8SequenceLength(lead));
        }
    }
    // The paragraph's break, so a scan crossing it needs no second look-up.
    if (p + 1 < editor_.ParagraphCount()) {
        cacheText_.push_back(U'\r');
        cacheText_.push_back(U'\n');
    }
}

char32_t TVeskMemoParser::CharAt(std::int32_t offset) const
{
    if (offset < 0 || offset >= editor_.CharCount())
        return 0;
    if (cachePar_ < 0 || offset < cacheStart_ || offset - cacheStart_ >= std::int32_t(cacheText_.size()))
        Fill(offset);
    const std::int32_t i = offset - cacheStart_;
    return i < std::int32_t(cacheText_.size()) ? cacheText_[std::size_t(i)] : 0;
}

std::string TVeskMemoParser::TextRange(std::int32_t start, std::int32_t length) const
{
    if (cachePar_ >= 0 && start >= cacheStart_ && start + length <= cacheStart_ + std::int32_t(cacheText_.size())) {
        std::string out;
        out.reserve(std::size_t(length));
        for (std::int32_t i = 0; i < length; ++i)
            AppendUtf8(out, cacheText_[std::size_t(start - cacheStart_ + i)]);
        return out;
    }
    return editor_.GetTextPart(start, start + length);
}

void TVeskMemoParser::SelectRange(std::int32_t start, std::int32_t length)
{
    editor_.Select(start, start + length);
}

void TVeskMemoParser::Centre()
{
    const int visible = OnVisibleLines ? OnVisibleLines() : 20;
    editor_.SetTopLine(std::max(0, editor_.CurrentLine() - visible / 2));
}

bool TVeskMemoParser::Replace(std::int32_t start, std::int32_t length, std::string_view text)
{
    // Through the selection, so the change is one undoable edit of the
    // editor like any other replacement.
    editor_.Select(start, start + length);
    return editor_.ReplaceSelection(text);
}

void TVeskMemoParser::LineColumn(std::int32_t offset, std::int32_t& line, std::int32_t& column) const
{
    if (cachePar_ < 0 || offset < cacheStart_ || offset - cacheStart_ >= std::int32_t(cacheText_.size()))
        Fill(offset);
    line = cachePar_;
    column = offset - cacheStart_;
}

} // namespace vesk
