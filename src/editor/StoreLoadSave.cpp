// Loading text into the store (line-break pairing, encodings, NULs) and saving it.
#include "editor/StoreText.h"
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QIODevice>

#include <array>
#include <cstring>
#include <stdexcept>

namespace vesk {
namespace {

constexpr qint64 kChunk = 65500;
constexpr qint64 kProgressMs = 300;

// Thrown inside a UTF-8 attempt when the bytes turn out not to be UTF-8.
struct NotUtf8 {};

} // namespace

// Builds the paragraphs of one load. Used once as UTF-8 and, when the bytes
// prove not to be UTF-8, once more as Windows-1252.
class TStoreLoader {
public:
    TStoreLoader(TVeskMemoStore& s, bool asUtf8) : s_(s), utf8_(asUtf8)
    {
        // Bytes that need more than copying: breaks, the mark byte, NUL,
        // style codes (they change the running style) and, for 1252, every
        // byte above 0x7F.
        special_.fill(false);
        for (unsigned char c : {'\r', '\n', '\0', '\5', '\1', '\2', '\3', '\4', '\25'})
            special_[c] = true;
        if (!utf8_) {
            for (int c = 0x80; c < 0x100; ++c)
                special_[std::size_t(c)] = true;
        }
    }

    // Returns the number of bytes consumed when loading stopped at a NUL, or
    // -1 when the whole input was read.
    qint64 Run(QIODevice& device)
    {
        const qint64 total = std::max<qint64>(1, device.bytesAvailable());
        QElapsedTimer clock;
        clock.start();
        qint64 lastReport = 0;
        QByteArray chunk;
        qint64 consumed = 0;
        bool atStart = true;
        for (;;) {
            chunk = device.read(kChunk);
            if (chunk.isEmpty())
                break;
            std::string_view bytes(chunk.constData(), std::size_t(chunk.size()));
            if (atStart && utf8_ && bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0) {
                bom_ = true;
                bytes.remove_prefix(3);
                consumed += 3;
            }
            atStart = false;
            const qint64 stop = Scan(bytes);
            if (stop >= 0) {
                if (utf8_ && !validator_.Finish())
                    throw NotUtf8{};  // the text ends inside a character
                return consumed + stop + 1;  // the NUL itself is consumed
            }
            consumed += qint64(bytes.size());
            if (clock.elapsed() - lastReport >= kProgressMs) {
                lastReport = clock.elapsed();
                s_.progress_ = int(consumed * 100 / total);
                if (s_.OnProgress)
                    s_.OnProgress(&s_);
            }
        }
        if (utf8_ && !validator_.Finish())
            throw NotUtf8{};
        return -1;
    }

    void Finish()
    {
        EndParagraph(/*last=*/true);
    }

    bool Bom() const { return bom_; }

private:
    // Scans one chunk. Returns the index of a NUL that ends the text, or -1.
    qint64 Scan(std::string_view bytes)
    {
        const bool stopAtNul = s_.nullReplacement_ == U'\0';
        std::size_t end = bytes.size();
        if (stopAtNul) {
            const void* nul = std::memchr(bytes.data(), 0, bytes.size());
            if (nul)
                end = std::size_t(static_cast<const char*>(nul) - bytes.data());
        }
        if (utf8_) {
            // Only what becomes text decides the encoding.
            validator_.Feed(bytes.substr(0, end));
            if (!validator_.Valid())
                throw NotUtf8{};
        }
        std::size_t i = 0;
        while (i < end) {
            std::size_t run = i;
            while (run < end && !special_[static_cast<unsigned char>(bytes[run])])
                ++run;
            if (run > i) {
                Append(bytes.substr(i, run - i));
                i = run;
                continue;
            }
            const auto c = static_cast<unsigned char>(bytes[i++]);
            if (c == '\r' || c == '\n') {
                // The other half of a break just ended, while the new
                // paragraph is still empty, completes that break.
                if (pairable_ && cur_.empty() && c != lastBreak_) {
                    pairable_ = false;
                    continue;
                }
                EndParagraph(false);
                lastBreak_ = c;
                pairable_ = true;
                continue;
            }
            pairable_ = false;
            if (c == 0) {
                AppendChar(s_.nullReplacement_);
            } else if (c == kMarkByte) {
                AppendChar(U'\u00A7');
            } else if (StyleBitOf(c)) {
                style_ ^= StyleBitOf(c);
                Append(std::string_view(reinterpret_cast<const char*>(&c), 1));
            } else {
                AppendChar(Windows1252ToUnicode(c));  // only 1252 bytes above 0x7F get here
            }
        }
        if (end < bytes.size())
            return qint64(end);
        return -1;
    }

    void Append(std::string_view bytes)
    {
        pairable_ = false;
        cur_.append(bytes);
        if (!utf8_)
            curChars_ += std::int32_t(bytes.size());  // runs of 1252 text are ASCII
        if (std::int64_t(cur_.size()) >= kMaxParagraphBytes)
            CutOversizedParagraph();
    }

    void AppendChar(char32_t c)
    {
        pairable_ = false;
        if (c == U'\r' || c == U'\n') {
            // A NUL replaced by a break character acts as a break.
            EndParagraph(false);
            return;
        }
        if (c == 5)
            c = U'\u00A7';
        AppendUtf8(cur_, c);
        if (!utf8_)
            curChars_ += 1;
        if (c < 0x80)
            style_ ^= StyleBitOf(static_cast<unsigned char>(c));
        if (std::int64_t(cur_.size()) >= kMaxParagraphBytes)
            CutOversizedParagraph();
    }

    void CutOversizedParagraph()
    {
        // A paragraph may not grow past the limit; the rest continues as a
        // new paragraph, cut at a character boundary.
        std::size_t cut = std::size_t(kMaxParagraphBytes);
        while (cut > 0 && (static_cast<unsigned char>(cur_[cut]) & 0xC0) == 0x80)
            --cut;
        std::string rest = cur_.substr(cut);
        cur_.resize(cut);
        if (!utf8_)
            curChars_ = std::int32_t(CountUtf8Chars(cur_));
        EndParagraph(false);
        cur_ = std::move(rest);
        if (!utf8_)
            curChars_ = std::int32_t(CountUtf8Chars(cur_));
    }

    void EndParagraph(bool last)
    {
        if (s_.options_ & vmoDiscardTrailingSpaces) {
            std::size_t n = cur_.size();
            while (n > 0 && (cur_[n - 1] == ' ' || cur_[n - 1] == '\t'))
                --n;
            if (!utf8_)
                curChars_ -= std::int32_t(cur_.size() - n);
            cur_.resize(n);
        }
        const std::int32_t length = utf8_ ? std::int32_t(CountUtf8Chars(cur_)) : curChars_;
        TParRecord p = TVeskMemoStore::MakeParagraph(cur_, length);
        p.startStyle = paragraphStyle_;
        const std::int32_t index = s_.paragraphs_.Append(std::move(p));
        s_.starts_.push_back(s_.charCount_);
        s_.firstLines_.push_back(index);
        s_.charCount_ += length + (last ? 0 : 2);
        cur_.clear();
        curChars_ = 0;
        paragraphStyle_ = style_;
    }

    TVeskMemoStore& s_;
    const bool utf8_;
    std::array<bool, 256> special_{};
    Utf8Validator validator_;
    std::string cur_;
    std::int32_t curChars_ = 0;  // characters of cur_ (1252 only; UTF-8 counts at the end)
    std::uint8_t style_ = 0;
    std::uint8_t paragraphStyle_ = 0;
    unsigned char lastBreak_ = 0;
    bool pairable_ = false;
    bool bom_ = false;
};

void TVeskMemoStore::LoadFromStream(QIODevice& device)
{
    modified_ = true;
    const qint64 startPos = device.isSequential() ? 0 : device.pos();

    // A sequential device cannot be read twice; keep its bytes for a second try.
    QByteArray kept;
    QBuffer keptBuffer;
    QIODevice* source = &device;
    if (device.isSequential()) {
        kept = device.readAll();
        keptBuffer.setBuffer(&kept);
        keptBuffer.open(QIODevice::ReadOnly);
        source = &keptBuffer;
    }

    auto clearAll = [this]() {
        paragraphs_.SetCount(0);
        lines_.Clear();
        states_.Clear();
        damage_ = TLayoutDamage{};
        starts_.clear();
        firstLines_.clear();
        charCount_ = 0;
    };

    try {
        qint64 stoppedAt = -1;
        bool bom = false;
        try {
            clearAll();
            TStoreLoader loader(*this, true);
            stoppedAt = loader.Run(*source);
            loader.Finish();
            bom = loader.Bom();
            encoding_ = bom ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
        } catch (const NotUtf8&) {
            clearAll();
            source->seek(source == &device ? startPos : 0);
            TStoreLoader loader(*this, false);
            stoppedAt = loader.Run(*source);
            loader.Finish();
            encoding_ = TextEncoding::Windows1252;
        }
        if (stoppedAt >= 0 && source == &device)
            device.seek(startPos + stoppedAt);
    } catch (...) {
        ResetToEmpty();
        AfterLoad();
        throw;
    }
    AfterLoad();
}

void TVeskMemoStore::AfterLoad()
{
    lineCount_ = ParagraphCount();
    linesValid_ = ParagraphCount();  // one line each: the indexes are exact
    for (TVeskNavigator* n : navigators_) {
        n->offset_ = 0;
        n->Forget();
    }
    progress_ = 100;
    if (OnParse)
        OnParse(this, 0, charCount_);
    if (OnProgress)
        OnProgress(this);
    // Derived data (highlighting) is reset before the view lays out the new
    // text, or the view would format with what was known of the old one.
    for (TStoreListener* l : std::vector<TStoreListener*>(listeners_))
        l->TextReset();
    TextLoaded();
    if (OnChange)
        OnChange(this);
}

TextEncoding TVeskMemoStore::SaveToStream(QIODevice& device) const
{
    TextEncoding encoding = encoding_;
    if (encoding == TextEncoding::Windows1252) {
        // Never lose a character: a text 1252 cannot hold is written as UTF-8.
        for (std::int32_t i = 0; i < ParagraphCount(); ++i) {
            const TParRecord& p = paragraphs_[i];
            if (!p.Plain() && !RepresentableInWindows1252(*ParagraphText(i))) {
                encoding = TextEncoding::Utf8;
                break;
            }
        }
    }
    auto write = [&device](std::string_view bytes) {
        if (bytes.empty())
            return;
        if (device.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            throw std::runtime_error("Unable to write the document: " + device.errorString().toStdString());
    };
    if (encoding == TextEncoding::Utf8Bom)
        write("\xEF\xBB\xBF");

    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = 0;
    std::string encoded;
    const std::int32_t count = ParagraphCount();
    for (std::int32_t i = 0; i < count; ++i) {
        std::string text = *ParagraphText(i);
        if (removeRedundantCodes_)
            text = RemoveRedundantCodePairs(text);
        if (options_ & vmoDiscardTrailingSpaces) {
            std::size_t n = text.size();
            while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t'))
                --n;
            text.resize(n);
        }
        if (encoding == TextEncoding::Windows1252) {
            encoded.clear();
            Utf8ToWindows1252(text, encoded);
            write(encoded);
        } else {
            write(text);
        }
        if (i + 1 < count)
            write("\r\n");
        if (clock.elapsed() - lastReport > kProgressMs && OnProgress) {
            lastReport = clock.elapsed();
            auto* self = const_cast<TVeskMemoStore*>(this);
            self->progress_ = int(std::int64_t(i) * 100 / count);
            OnProgress(self);
        }
    }
    if (OnProgress) {
        auto* self = const_cast<TVeskMemoStore*>(this);
        self->progress_ = 100;
        OnProgress(self);
    }
    return encoding;
}

} // namespace vesk
