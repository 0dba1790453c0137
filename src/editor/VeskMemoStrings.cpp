// String-list views of an editor's text and the stored form of `Lines`.
#include "editor/VeskMemoStrings.h"

#include "editor/PropertyStream.h"
#include "editor/StoreText.h"
#include "editor/VeskNavigator.h"

namespace vesk {

namespace {

// Number of bytes of the first `chars` characters of UTF-8 text.
std::size_t BytesOfChars(std::string_view text, std::size_t chars)
{
    std::size_t i = 0;
    for (std::size_t n = 0; n < chars && i < text.size(); ++n)
        i += std::size_t(Utf8SequenceLength(static_cast<unsigned char>(text[i])));
    return std::min(i, text.size());
}

constexpr std::size_t kPieceChars = 254;

} // namespace

void TVeskMemoStrings::Assign(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& s : items)
        text.append(s).append("\r\n");
    editor_.SetTextBuf(text);
}

void TVeskMemoStrings::AppendParagraph(std::string_view s)
{
    const std::int32_t end = editor_.CharCount();
    const std::int32_t last = editor_.ParagraphCount() - 1;
    std::string text;
    if (editor_.Paragraph(last).length == 0)
        text.append(s).append("\r\n");
    else
        text.append("\r\n").append(s);
    editor_.ReplaceRange(end, end, text);
}

std::int32_t TVeskParaStrings::Count() const
{
    const std::int32_t n = editor_.ParagraphCount();
    return editor_.Paragraph(n - 1).length == 0 ? n - 1 : n;
}

std::string TVeskParaStrings::Get(std::int32_t i) const
{
    return editor_.ParagraphText(i).value_or(std::string());
}

void TVeskParaStrings::Put(std::int32_t i, std::string_view s)
{
    editor_.SetParagraphText(i, s);
}

void TVeskParaStrings::Insert(std::int32_t i, std::string_view s)
{
    if (i < 0)
        return;
    if (i < editor_.ParagraphCount()) {
        const std::int32_t at = editor_.ParagraphStart(i);
        editor_.ReplaceRange(at, at, std::string(s) + "\r\n");
    } else {
        const std::int32_t end = editor_.CharCount();
        editor_.ReplaceRange(end, end, "\r\n" + std::string(s));
    }
}

void TVeskParaStrings::Delete(std::int32_t i)
{
    if (i < 0 || i >= editor_.ParagraphCount())
        return;
    const std::int32_t start = editor_.ParagraphStart(i);
    const std::int32_t length = editor_.Paragraph(i).length;
    const bool last = i + 1 == editor_.ParagraphCount();
    editor_.ReplaceRange(start, start + length + (last ? 0 : 2), "");
}

std::int32_t TVeskLinesStrings::Count() const
{
    const std::int32_t n = editor_.LineCount();
    if (n == 0)
        return 0;
    const auto [from, to] = LineRange(n - 1);
    return from == to ? n - 1 : n;
}

std::pair<std::int32_t, std::int32_t> TVeskLinesStrings::LineRange(std::int32_t i) const
{
    const std::int32_t p = editor_.ParagraphOfLine(i);
    const TParRecord& par = editor_.Paragraph(p);
    const std::int32_t line = i - editor_.FirstLine(p);
    const std::int32_t before = editor_.StoredLine(par, line).chars;
    const std::int32_t chars = editor_.LineChars(par, line);
    const std::int32_t from = editor_.ParagraphStart(p) + before;
    return {from, from + chars};
}

std::string TVeskLinesStrings::Get(std::int32_t i) const
{
    return const_cast<TVeskMemoStore&>(editor_).LineText(i).value_or(std::string());
}

void TVeskLinesStrings::Put(std::int32_t i, std::string_view s)
{
    if (i < 0 || i >= editor_.LineCount())
        return;
    const auto [from, to] = LineRange(i);
    editor_.ReplaceRange(from, to, s);
}

void TVeskLinesStrings::Insert(std::int32_t i, std::string_view s)
{
    if (i < 0 || i > editor_.LineCount())
        return;
    if (i == editor_.LineCount()) {
        const std::int32_t end = editor_.CharCount();
        editor_.ReplaceRange(end, end, "\r\n" + std::string(s));
        return;
    }
    const std::int32_t at = LineRange(i).first;
    editor_.ReplaceRange(at, at, std::string(s) + "\r\n");
}

void TVeskLinesStrings::Delete(std::int32_t i)
{
    if (i < 0 || i >= editor_.LineCount())
        return;
    auto [from, to] = LineRange(i);
    const std::int32_t p = editor_.ParagraphOfLine(i);
    const bool endsParagraph = i - editor_.FirstLine(p) == editor_.Paragraph(p).LineCount() - 1;
    if (endsParagraph && p + 1 < editor_.ParagraphCount())
        to += 2;
    editor_.ReplaceRange(from, to, "");
}

void WriteLinesProperty(TPropertyWriter& writer, const TVeskMemoStore& editor)
{
    if (editor.CharCount() == 0)
        return;
    writer.BeginList("Strings");
    const TVeskParaStrings paragraphs(const_cast<TVeskMemoStore&>(editor));
    for (std::int32_t i = 0; i < paragraphs.Count(); ++i) {
        const std::string text = paragraphs.Get(i);
        std::string_view rest = text;
        // Pieces of 254 characters and the byte 5 while more than 255 remain.
        for (std::size_t left = CountUtf8Chars(rest); left > 255; left -= kPieceChars) {
            const std::size_t cut = BytesOfChars(rest, kPieceChars);
            writer.WriteString(std::string(rest.substr(0, cut)) + char(kMarkByte));
            rest.remove_prefix(cut);
        }
        writer.WriteString(rest);
    }
    writer.EndList();
}

void ReadLinesProperty(TPropertyReader& reader, TVeskMemoStore& editor)
{
    TVeskParaStrings paragraphs(editor);
    editor.BeginUpdate();
    std::string joined;
    while (reader.PeekKind() == TPropertyReader::ValueKind::String) {
        std::string piece = reader.ReadString();
        if (!piece.empty() && piece.back() == kMarkByte) {
            piece.pop_back();
            joined += piece;
            continue;
        }
        joined += piece;
        paragraphs.Add(joined);
        joined.clear();
    }
    if (!joined.empty())
        paragraphs.Add(joined);
    editor.EndUpdate();
}

} // namespace vesk
