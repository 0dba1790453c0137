// The two documents the validator reads: an open editor, and a file loaded
// for the command line.
#pragma once

#include "validator/ValidatorEngine.h"

#include <QPointer>
#include <QString>

#include <memory>

namespace vesk {

class TVeskMemoFile;
class TVeskMemoStore;

// An editor of the program. The editor is watched: should it be destroyed
// while a run processes events, the document reads as empty and moving the
// caret does nothing.
class TEditorValidatorDocument : public TValidatorDocument {
public:
    explicit TEditorValidatorDocument(TVeskMemoFile* editor);
    std::int32_t Length() const override;
    std::string TextPart(std::int32_t a, std::int32_t b) const override;
    void SetSelStart(std::int32_t offset) override;
    // The caret's display line: with word wrap on, lines of wrapped
    // paragraphs count as the editor shows them.
    std::int32_t CurrentLine() const override;
    QString FileName() const override;

private:
    QPointer<TVeskMemoFile> editor_;
};

// A file read the way the editor opens one (the same store and loader: any
// of CR LF, CR or LF ends a line; UTF-8 with or without byte-order mark,
// else Windows-1252). Lines are paragraphs: word wrap is off.
class TPlainTextDocument : public TValidatorDocument {
public:
    TPlainTextDocument();
    ~TPlainTextDocument() override;
    // Loads the file; false with a reason in *error when it cannot be read.
    bool Load(const QString& path, QString* error);
    // Replaces the text (as if loaded from a file holding these bytes).
    void SetText(std::string_view bytes);

    std::int32_t Length() const override;
    std::string TextPart(std::int32_t a, std::int32_t b) const override;
    void SetSelStart(std::int32_t offset) override;
    std::int32_t CurrentLine() const override;
    QString FileName() const override { return fileName_; }

private:
    std::unique_ptr<TVeskMemoStore> store_;
    QString fileName_;
    std::int32_t caret_ = 0;
};

} // namespace vesk
