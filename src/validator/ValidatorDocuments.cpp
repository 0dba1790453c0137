// A page file for the validator of the command line, read as a stream.
#include "validator/ValidatorDocuments.h"

#include "platform/DocumentFile.h"
#include "validator/ValidatorChecks.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace vesk {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

} // namespace

TPlainTextDocument::TPlainTextDocument() = default;

TPlainTextDocument::~TPlainTextDocument() = default;

bool TPlainTextDocument::Load(const QString& path, QString* error)
{
    fileName_ = path;
    memory_.clear();
    decoder_.reset();
    finished_ = true;
    auto file = std::make_unique<QFile>();
    if (const std::optional<QString> problem = OpenDocumentFile(path, *file)) {
        file_.reset();
        size_ = 0;
        length_ = 0;
        if (error)
            *error = *problem;
        return false;
    }
    size_ = file->size();
    file_ = std::move(file);
    return Measure(error);
}

void TPlainTextDocument::SetText(std::string_view bytes)
{
    file_.reset();
    memory_.assign(bytes);
    size_ = std::int64_t(memory_.size());
    decoder_.reset();
    finished_ = true;
    Measure(nullptr);
}

std::int64_t TPlainTextDocument::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const
{
    // Never beyond what the source held at the start: a file that grows
    // while it is read does not make the reading endless.
    if (offset >= size_)
        return 0;
    size = std::size_t(std::min<std::int64_t>(std::int64_t(size), size_ - offset));
    if (!file_) {
        std::memcpy(buffer, memory_.data() + offset, size);
        return std::int64_t(size);
    }
    for (;;) {
        const ssize_t n = ::pread(file_->handle(), buffer, size, off_t(offset));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return -1;
    }
}

bool TPlainTextDocument::Measure(QString* error)
{
    // UTF-8 when every byte is; otherwise the whole file is Windows-1252.
    std::string chunk(kChunk, '\0');
    auto measure = [&](TextEncoding encoding, TTextDecoder& decoder) {
        for (std::int64_t at = 0;;) {
            const std::int64_t n = ReadAt(at, chunk.data(), chunk.size());
            if (n < 0)
                return false;
            if (n == 0)
                break;
            at += n;
            decoder.Decode(std::string_view(chunk.data(), std::size_t(n)), nullptr);
            if (encoding != TextEncoding::Windows1252 && !decoder.Valid())
                return true;
        }
        decoder.Finish(nullptr);
        return true;
    };
    TTextDecoder utf8(TextEncoding::Utf8);
    bool read = measure(TextEncoding::Utf8, utf8);
    const TTextDecoder* result = &utf8;
    encoding_ = TextEncoding::Utf8;
    TTextDecoder cp1252(TextEncoding::Windows1252);
    if (read && !utf8.Valid()) {
        read = measure(TextEncoding::Windows1252, cp1252);
        result = &cp1252;
        encoding_ = TextEncoding::Windows1252;
    }
    length_ = 0;
    nuls_ = 0;
    if (!read) {
        if (error)
            *error = QStringLiteral("Cannot read file ") + fileName_ + QStringLiteral(" (")
                   + QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral(").");
        return false;
    }
    if (result->Chars() > INT32_MAX) {
        if (error)
            *error = fileName_ + QStringLiteral(" is too large to check (more than %1 characters).").arg(INT32_MAX);
        return false;
    }
    length_ = std::int32_t(result->Chars());
    nuls_ = result->NulCount();
    return true;
}

void TPlainTextDocument::Rewind()
{
    decoder_ = std::make_unique<TTextDecoder>(encoding_);
    readAt_ = 0;
    pieceEnd_ = 0;
    piece_.clear();
    finished_ = false;
    failed_ = false;
    lines_.Clear();
    lastInSource_.clear();
    caret_ = 0;
}

bool TPlainTextDocument::NextPiece(std::string_view& piece)
{
    piece_.clear();
    while (piece_.empty()) {
        if (finished_ || !decoder_)
            return false;
        raw_.resize(kChunk);
        const std::int64_t n = ReadAt(readAt_, raw_.data(), raw_.size());
        if (n < 0) {
            failed_ = true;
            finished_ = true;
            return false;
        }
        if (n == 0) {
            decoder_->Finish(&piece_);
            finished_ = true;
        } else {
            readAt_ += n;
            decoder_->Decode(std::string_view(raw_.data(), std::size_t(n)), &piece_, &lines_);
        }
    }
    pieceEnd_ = decoder_->Consumed();
    piece = piece_;
    return true;
}

std::int64_t TPlainTextDocument::LastInSource(const std::string& needle)
{
    const auto known = lastInSource_.find(needle);
    if (known != lastInSource_.end())
        return known->second;
    // Chunks overlap by one byte less than the needle, so none is missed.
    std::int64_t last = -1;
    std::string chunk(kChunk + needle.size(), '\0');
    for (std::int64_t at = 0; at < size_;) {
        const std::int64_t n = ReadAt(at, chunk.data(), chunk.size());
        if (n <= 0)
            break;
        const std::string_view bytes(chunk.data(), std::size_t(n));
        for (std::size_t hit = FindAsciiNoCase(bytes, needle); hit != std::string_view::npos;
             hit = FindAsciiNoCase(bytes, needle, hit + 1))
            last = at + std::int64_t(hit);
        if (at + n >= size_ || std::size_t(n) < needle.size())
            break;
        at += n - std::int64_t(needle.size()) + 1;
    }
    lastInSource_.emplace(needle, last);
    return last;
}

bool TPlainTextDocument::Follows(std::string_view needle, std::size_t from)
{
    if (needle.empty())
        return true;
    if (FindAsciiNoCase(piece_, needle, from) != std::string_view::npos)
        return true;
    // An occurrence that begins at the end of this piece and runs on into
    // the bytes not read yet: the needle is ASCII, which the source holds as
    // the same bytes it reads as.
    const std::size_t keep = needle.size() - 1;
    if (keep > 0) {
        const std::size_t tailStart = std::max(from, piece_.size() >= keep ? piece_.size() - keep : 0);
        if (tailStart < piece_.size()) {
            std::string joint = piece_.substr(tailStart);
            std::string next(keep, '\0');
            const std::int64_t n = ReadAt(pieceEnd_, next.data(), next.size());
            if (n > 0)
                joint.append(next.data(), std::size_t(n));
            if (FindAsciiNoCase(joint, needle) != std::string_view::npos)
                return true;
        }
    }
    return LastInSource(std::string(needle)) >= pieceEnd_;
}

void TPlainTextDocument::SetSelStart(std::int32_t offset)
{
    caret_ = std::clamp(offset, 0, length_);
}

std::int32_t TPlainTextDocument::CurrentLine() const
{
    return std::int32_t(std::min<std::int64_t>(lines_.LineOf(caret_), INT32_MAX));
}

} // namespace vesk
