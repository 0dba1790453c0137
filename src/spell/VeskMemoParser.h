// The document parser of the spell checker: words of an editor's text.
//
// Works on the editor's widget-free core, so it runs in tests and from the
// command line without a window. Reads the text a paragraph at a time
// through a cache that every edit of the editor invalidates (the user may
// type while the spell dialog is open). The screen rectangles for placing
// the dialog come from the window through OnBounds.
#pragma once

#include "editor/VeskMemoCore.h"
#include "spell/SpellParser.h"

#include <functional>

namespace vesk {

class TVeskMemoParser : public TSpellParser, private TStoreListener {
public:
    // The editor must outlive the parser.
    explicit TVeskMemoParser(TVeskMemoCore& editor);
    ~TVeskMemoParser() override;
    TVeskMemoParser(const TVeskMemoParser&) = delete;
    TVeskMemoParser& operator=(const TVeskMemoParser&) = delete;

    TVeskMemoCore& Editor() const { return editor_; }

    std::int32_t TextLength() const override { return editor_.CharCount(); }
    char32_t CharAt(std::int32_t offset) const override;
    std::string TextRange(std::int32_t start, std::int32_t length) const override;
    void SelectRange(std::int32_t start, std::int32_t length) override;
    std::string SelectedText() const override { return editor_.SelText(); }
    void Centre() override;
    TParserBounds Bounds() const override { return OnBounds ? OnBounds() : TParserBounds{}; }

    // The editor's and the selection's screen rectangles, and the number of
    // lines the editor shows (set by the window; without one, 20 lines).
    std::function<TParserBounds()> OnBounds;
    std::function<int()> OnVisibleLines;

protected:
    bool Replace(std::int32_t start, std::int32_t length, std::string_view text) override;
    void LineColumn(std::int32_t offset, std::int32_t& line, std::int32_t& column) const override;

private:
    void TextReplaced(const TTextChange&) override { cachePar_ = -1; }
    void TextReset() override { cachePar_ = -1; }
    void Fill(std::int32_t offset) const;

    TVeskMemoCore& editor_;
    mutable std::int32_t cachePar_ = -1, cacheStart_ = 0;
    mutable std::u32string cacheText_;
};

} // namespace vesk
