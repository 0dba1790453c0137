// Loading text into the store (line-break pairing, encodings, NULs) and saving it.
#include "editor/StoreText.h"
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"
#include "editor/WideEncoding.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace vesk {
namespace {

constexpr qint64 kChunk = 65500;
constexpr qint64 kProgressMs = 300;

// Thrown inside an attempt when the bytes turn out not to be in the
// encoding tried.
struct NotThisEncoding {};

constexpr std::string_view kNulSubstituteUtf8 = "\xE2\x90\x80";  // U+2400

} // namespace

// Builds the paragraphs of one load. A load tries the encodings a file may
// be in, in order (UTF-16 or UTF-32 when it starts with their mark, then
// UTF-8, then Windows-1252, which always succeeds), with one loader each.
class TStoreLoader {
public:
    TStoreLoader(TVeskMemoStore& s, TextEncoding as)
        : s_(s), utf8_(as != TextEncoding::Windows1252), wide_(IsWideEncoding(as)), decoder_(as)
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
            chunk.resize(kChunk);
            const qint64 got = device.read(chunk.data(), kChunk);
            if (got < 0) {
                // A disk error half-way must not pass for the end of the file.
                throw std::runtime_error("The file could not be read to its end (" +
                                         device.errorString().toStdString() + ").");
            }
            if (got == 0)
                break;
            chunk.resize(got);
            std::string_view bytes(chunk.constData(), std::size_t(chunk.size()));
            if (atStart && wide_) {
                // The caller chose this encoding because the mark is there.
                const std::size_t mark = ByteOrderMark(decoder_.Encoding()).size();
                bytes.remove_prefix(std::min(mark, bytes.size()));
                consumed += qint64(mark);
            } else if (atStart && utf8_ && bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0) {
                bom_ = true;
                bytes.remove_prefix(3);
                consumed += 3;
            }
            atStart = false;
            const qint64 rawSize = qint64(bytes.size());
            if (wide_) {
                const int pendingBefore = decoder_.Pending();
                decoded_.clear();
                if (!decoder_.Feed(bytes, decoded_))
                    throw NotThisEncoding{};
                const qint64 stop = Scan(decoded_);
                if (stop >= 0) {
                    // Back to file bytes: the decoded text up to the NUL
                    // began with the units held back from the last chunk.
                    return consumed - pendingBefore +
                           qint64(WideLength(std::string_view(decoded_).substr(0, std::size_t(stop) + 1),
                                             decoder_.Encoding()));
                }
            } else {
                const qint64 stop = Scan(bytes);
                if (stop >= 0) {
                    if (utf8_ && !validator_.Finish())
                        throw NotThisEncoding{};  // the text ends inside a character
                    return consumed + stop + 1;  // the NUL itself is consumed
                }
            }
            consumed += rawSize;
            if (clock.elapsed() - lastReport >= kProgressMs) {
                lastReport = clock.elapsed();
                s_.progress_ = int(consumed * 100 / total);
                if (s_.OnProgress)
                    s_.OnProgress(&s_);
            }
        }
        if (wide_ ? !decoder_.Finish() : utf8_ && !validator_.Finish())
            throw NotThisEncoding{};  // the text ends inside a character
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
        if (utf8_ && !wide_) {
            // Only what becomes text decides the encoding.
            validator_.Feed(bytes.substr(0, end));
            if (!validator_.Valid())
                throw NotThisEncoding{};
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
                RecordNul();
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

    void RecordNul()
    {
        TNulReport& nuls = s_.loadedNuls_;
        ++nuls.count;
        const std::int32_t paragraph = s_.paragraphs_.Count();
        if ((nuls.paragraphs.empty() || nuls.paragraphs.back() != paragraph) &&
            nuls.paragraphs.size() < kNulParagraphsKept)
            nuls.paragraphs.push_back(paragraph);
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
        // Offsets are 32-bit: a text that would not fit is refused whole
        // rather than counted wrong.
        if (s_.charCount_ > INT32_MAX - 2 - length)
            throw std::length_error("The text is too long for the editor.");
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
    const bool utf8_;  // the scanned bytes are UTF-8 (read as such, or decoded)
    const bool wide_;  // read as UTF-16 or UTF-32 and decoded first
    TWideDecoder decoder_;
    std::string decoded_;
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

    // UTF-16 and UTF-32 only when the mark says so; Windows-1252 takes anything.
    std::vector<TextEncoding> attempts = WideEncodingsByMark(source->peek(4).toStdString());
    attempts.push_back(TextEncoding::Utf8);
    attempts.push_back(TextEncoding::Windows1252);
    try {
        qint64 stoppedAt = -1;
        for (std::size_t i = 0; i < attempts.size(); ++i) {
            clearAll();
            loadedNuls_ = {};
            if (i > 0)
                source->seek(source == &device ? startPos : 0);
            try {
                TStoreLoader loader(*this, attempts[i]);
                stoppedAt = loader.Run(*source);
                loader.Finish();
                encoding_ = attempts[i] == TextEncoding::Utf8 && loader.Bom() ? TextEncoding::Utf8Bom : attempts[i];
                break;
            } catch (const NotThisEncoding&) {
            }
        }
        if (stoppedAt >= 0 && source == &device)
            device.seek(startPos + stoppedAt);
    } catch (...) {
        loadedNuls_ = {};
        restoreNuls_ = false;
        ResetToEmpty();
        AfterLoad();
        throw;
    }
    restoreNuls_ = loadedNuls_.count > 0 && nullReplacement_ == kNulSubstitute;
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

namespace {

// The text as it goes to the file: each substitute of a loaded NUL becomes
// that NUL again.
void RestoreNuls(std::string& text)
{
    std::size_t at = text.find(kNulSubstituteUtf8);
    if (at == std::string::npos)
        return;
    std::size_t out = at;
    while (at < text.size()) {
        if (text.compare(at, kNulSubstituteUtf8.size(), kNulSubstituteUtf8) == 0) {
            text[out++] = '\0';
            at += kNulSubstituteUtf8.size();
        } else {
            text[out++] = text[at++];
        }
    }
    text.resize(out);
}

// The wide encodings a load tries before `chosen` whose mark starts
// `bytes` (everything is tried before Windows-1252).
std::vector<TextEncoding> TriedBefore(std::string_view bytes, TextEncoding chosen)
{
    std::vector<TextEncoding> earlier;
    for (TextEncoding e : WideEncodingsByMark(bytes.substr(0, std::min<std::size_t>(bytes.size(), 4)))) {
        if (e == chosen)
            break;
        earlier.push_back(e);
    }
    return earlier;
}

// True when a load would take `bytes`, written in `chosen`, for another
// encoding: a mark of one tried first, and the rest decodes cleanly in it.
bool ReadsAsAnother(std::string_view bytes, TextEncoding chosen)
{
    for (TextEncoding e : TriedBefore(bytes, chosen)) {
        TWideDecoder decoder(e);
        std::string scratch;
        if (decoder.Feed(bytes.substr(ByteOrderMark(e).size()), scratch) && decoder.Finish())
            return true;
    }
    return false;
}

void Encode(std::string_view utf8, TextEncoding encoding, std::string& out)
{
    out.clear();
    if (encoding == TextEncoding::Windows1252)
        Utf8ToWindows1252(utf8, out);
    else if (IsWideEncoding(encoding))
        AppendUtf8AsWide(utf8, encoding, out);
    else
        out.assign(utf8);
}

} // namespace

TextEncoding TVeskMemoStore::SaveToStream(QIODevice& device) const
{
    TextEncoding encoding = encoding_;
    // A paragraph as it goes to the file, still in UTF-8.
    auto prepared = [this](std::int32_t i) {
        std::string text = *ParagraphText(i);
        if (restoreNuls_)
            RestoreNuls(text);
        if (removeRedundantCodes_)
            text = RemoveRedundantCodePairs(text);
        if (options_ & vmoDiscardTrailingSpaces) {
            std::size_t n = text.size();
            while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t'))
                --n;
            text.resize(n);
        }
        return text;
    };
    const std::int32_t count = ParagraphCount();
    if (encoding == TextEncoding::Windows1252) {
        // Never lose a character: a text 1252 cannot hold is written as
        // UTF-8. So is one whose 1252 bytes are all valid UTF-8 (after an
        // edit, or a 5 read as "§"): a load would take them for UTF-8 and
        // show other characters. Only paragraphs that are not plain ASCII
        // can hold such bytes.
        bool highBytes = false, validUtf8 = true;
        std::string bytes;
        for (std::int32_t i = 0; i < count; ++i) {
            if (paragraphs_[i].Plain())
                continue;
            if (!Utf8ToWindows1252(prepared(i), bytes)) {
                encoding = TextEncoding::Utf8;
                break;
            }
            highBytes = highBytes || std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
            validUtf8 = validUtf8 && IsValidUtf8(bytes);
        }
        if (highBytes && validUtf8)
            encoding = TextEncoding::Utf8;
    }
    if (encoding == TextEncoding::Windows1252 || encoding == TextEncoding::Utf16LE) {
        // Bytes that begin like the mark of an encoding a load tries first
        // (a 1252 text starting "ÿþ", a UTF-16 one starting with U+0000)
        // would read back as that encoding if the rest happens to decode,
        // and line ends and edits change the rest. Such a text is written
        // as UTF-8 with its mark, which reads back as itself.
        const std::string first = prepared(0);
        std::size_t headBytes = 0;  // the first four characters at most
        for (int chars = 0; chars < 4 && headBytes < first.size(); ++chars)
            headBytes += std::size_t(Utf8SequenceLength(static_cast<unsigned char>(first[headBytes])));
        std::string bytes(ByteOrderMark(encoding)), piece;
        Encode(std::string_view(first).substr(0, headBytes), encoding, piece);
        if (!TriedBefore(bytes + piece, encoding).empty()) {
            std::string lineBreak;
            Encode("\r\n", encoding, lineBreak);
            for (std::int32_t i = 0; i < count; ++i) {
                Encode(prepared(i), encoding, piece);
                bytes += piece;
                if (i + 1 < count)
                    bytes += lineBreak;
            }
            if (ReadsAsAnother(bytes, encoding))
                encoding = TextEncoding::Utf8Bom;
        }
    }
    auto write = [&device](std::string_view bytes) {
        if (bytes.empty())
            return;
        if (device.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            throw std::runtime_error("Unable to write the document: " + device.errorString().toStdString());
    };
    write(ByteOrderMark(encoding));
    std::string lineBreak;
    Encode("\r\n", encoding, lineBreak);

    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = 0;
    std::string encoded;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string text = prepared(i);
        if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8Bom) {
            write(text);
        } else {
            Encode(text, encoding, encoded);
            write(encoded);
        }
        if (i + 1 < count)
            write(lineBreak);
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
