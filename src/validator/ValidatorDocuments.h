// A page file for the validator of the command line, read as a stream.
#pragma once

#include "editor/TextEncoding.h"
#include "validator/DocumentStream.h"
#include "validator/ValidatorEngine.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

class QFile;

namespace vesk {

// A file read the way the editor opens one (see DocumentStream.h: UTF-8,
// else Windows-1252; any of CR LF, CR, LF or LF CR ends a line; a NUL byte
// reads as kNulStandIn). Lines are paragraphs: word wrap is off.
//
// Nothing of the text is kept: Load reads the file through once to learn
// its encoding and length, and each run reads it again in pieces of 64 KiB,
// keeping only where lines start (for the line numbers of errors). A file
// that changes between those readings gives that run what it then holds.
class TPlainTextDocument : public TValidatorDocument {
public:
    TPlainTextDocument();
    ~TPlainTextDocument() override;

    // Opens `path` for reading. Only a regular file is read, never more than
    // it held when opened, and nothing blocks (see OpenDocumentFile). False,
    // with a message that names the file in *error, when it cannot be opened
    // or read, or holds more characters than a text can.
    bool Load(const QString& path, QString* error);
    // The text of a file holding these bytes (kept in memory).
    void SetText(std::string_view bytes);

    // Utf8 or Windows1252, as the file was found to be.
    TextEncoding Encoding() const { return encoding_; }
    // NUL bytes in the text.
    std::int64_t NulCount() const { return nuls_; }
    // A read failed during the last run, which then saw only the text before it.
    bool ReadFailed() const { return failed_; }

    std::int32_t Length() const override { return length_; }
    void Rewind() override;
    bool NextPiece(std::string_view& piece) override;
    bool Follows(std::string_view needle, std::size_t from) override;
    // Offsets beyond what was read so far count as the last line read.
    void SetSelStart(std::int32_t offset) override;
    std::int32_t CurrentLine() const override;
    QString FileName() const override { return fileName_; }

private:
    // Up to `size` bytes of the source from `offset`; -1 when the read failed.
    std::int64_t ReadAt(std::int64_t offset, char* buffer, std::size_t size) const;
    // Reads the whole source once: encoding, length, NUL bytes.
    bool Measure(QString* error);
    // Where `needle` last starts in the source's bytes, -1 when nowhere.
    std::int64_t LastInSource(const std::string& needle);

    std::unique_ptr<QFile> file_;
    std::string memory_;
    std::int64_t size_ = 0;  // bytes of the source
    QString fileName_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::int32_t length_ = 0;
    std::int64_t nuls_ = 0;

    // The reading in progress.
    std::unique_ptr<TTextDecoder> decoder_;
    std::int64_t readAt_ = 0;     // next byte of the source to read
    std::string raw_;             // bytes read
    std::string piece_;           // their text
    std::int64_t pieceEnd_ = 0;   // bytes of the source behind the text given so far
    bool finished_ = true;
    bool failed_ = false;
    TLineIndex lines_;
    std::unordered_map<std::string, std::int64_t> lastInSource_;
    std::int32_t caret_ = 0;
};

} // namespace vesk
