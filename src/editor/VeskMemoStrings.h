// String-list views of an editor's text: one item per paragraph
// (TVeskParaStrings) or per display line (TVeskLinesStrings, the editor's
// `Lines`), and the stored form of `Lines` in component definitions.
//
// Items are UTF-8 without breaks. Every change goes through the store's
// replace primitive, so navigators follow and the change is reported like
// any edit. A view holds only a reference to its editor.
#pragma once

#include "editor/VeskMemoStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace vesk {

class TPropertyReader;
class TPropertyWriter;

class TVeskMemoStrings {
public:
    explicit TVeskMemoStrings(TVeskMemoStore& editor) : editor_(editor) {}
    virtual ~TVeskMemoStrings() = default;

    virtual std::int32_t Count() const = 0;
    // The item, or "" out of range.
    virtual std::string Get(std::int32_t i) const = 0;
    virtual void Put(std::int32_t i, std::string_view s) = 0;
    virtual void Add(std::string_view s) = 0;
    virtual void Insert(std::int32_t i, std::string_view s) = 0;
    virtual void Delete(std::int32_t i) = 0;

    // The whole text with CR LF between paragraphs, and its replacement.
    std::string Text() const { return editor_.GetTextPart(0, editor_.CharCount()); }
    void SetText(std::string_view text) { editor_.SetTextBuf(text); }
    void Clear() { editor_.Clear(); }
    // Replaces the whole text by the items, each followed by a break, in one step.
    void Assign(const std::vector<std::string>& items);
    void LoadFromStream(QIODevice& device) { editor_.LoadFromStream(device); }
    void SaveToStream(QIODevice& device) const { editor_.SaveToStream(device); }
    void BeginUpdate() { editor_.BeginUpdate(); }
    void EndUpdate() { editor_.EndUpdate(); }

protected:
    // Appends s as a new paragraph: an empty last paragraph receives s and a
    // break; otherwise a break is added first.
    void AppendParagraph(std::string_view s);

    TVeskMemoStore& editor_;
};

class TVeskParaStrings : public TVeskMemoStrings {
public:
    using TVeskMemoStrings::TVeskMemoStrings;
    // Paragraphs, not counting an empty last one.
    std::int32_t Count() const override;
    std::string Get(std::int32_t i) const override;
    void Put(std::int32_t i, std::string_view s) override;
    void Add(std::string_view s) override { AppendParagraph(s); }
    // Before paragraph i: s and a break; at or past the end: a break and s.
    void Insert(std::int32_t i, std::string_view s) override;
    // Paragraph i with its following break (the last one without).
    void Delete(std::int32_t i) override;
};

class TVeskLinesStrings : public TVeskMemoStrings {
public:
    using TVeskMemoStrings::TVeskMemoStrings;
    // Display lines, not counting an empty last one.
    std::int32_t Count() const override;
    std::string Get(std::int32_t i) const override;
    // Replaces the characters of display line i; nothing when i ≥ LineCount.
    void Put(std::int32_t i, std::string_view s) override;
    void Add(std::string_view s) override { AppendParagraph(s); }
    // At the start of display line i: s and a break; with i == LineCount:
    // a break and s at the end; beyond that nothing.
    void Insert(std::int32_t i, std::string_view s) override;
    // Display line i and, when it ends its paragraph, the following break.
    void Delete(std::int32_t i) override;

private:
    // Offsets of the first character and one past the last of display line i.
    std::pair<std::int32_t, std::int32_t> LineRange(std::int32_t i) const;
};

// The stored form of `Lines`: a property "Strings" (written only when the
// text is not empty) holding each paragraph as pieces of at most 255
// characters; a piece followed by more of the same paragraph is 254
// characters and ends in the byte 5.
void WriteLinesProperty(TPropertyWriter& writer, const TVeskMemoStore& editor);
// Reads the values of a "Strings" property (the reader is positioned at it):
// joins pieces that end in 5, dropping the 5, and appends each paragraph.
void ReadLinesProperty(TPropertyReader& reader, TVeskMemoStore& editor);

} // namespace vesk
