// The validator's documents: an editor of the program, a file for the command line.
#include "validator/ValidatorDocuments.h"

#include "editor/VeskMemo.h"
#include "editor/VeskMemoStore.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vesk {

// ---- an open editor ---------------------------------------------------------

TEditorValidatorDocument::TEditorValidatorDocument(TVeskMemoFile* editor) : editor_(editor) {}

std::int32_t TEditorValidatorDocument::Length() const
{
    return editor_ ? editor_->CharCount() : 0;
}

std::string TEditorValidatorDocument::TextPart(std::int32_t a, std::int32_t b) const
{
    return editor_ ? editor_->GetTextPart(a, b) : std::string();
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

// ---- a file -------------------------------------------------------------------

TPlainTextDocument::TPlainTextDocument() : store_(std::make_unique<TVeskMemoStore>()) {}

TPlainTextDocument::~TPlainTextDocument() = default;

bool TPlainTextDocument::Load(const QString& path, QString* error)
{
    fileName_ = path;
    caret_ = 0;
    auto fail = [&](const QString& why) {
        store_->Clear();
        if (error)
            *error = why;
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    try {
        store_->LoadFromStream(file);
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

void TPlainTextDocument::SetText(std::string_view bytes)
{
    caret_ = 0;
    store_->SetTextBuf(bytes);
}

std::int32_t TPlainTextDocument::Length() const
{
    return store_->CharCount();
}

std::string TPlainTextDocument::TextPart(std::int32_t a, std::int32_t b) const
{
    return store_->GetTextPart(a, b);
}

void TPlainTextDocument::SetSelStart(std::int32_t offset)
{
    caret_ = std::clamp(offset, 0, store_->CharCount());
}

std::int32_t TPlainTextDocument::CurrentLine() const
{
    return store_->ParagraphOfOffset(caret_);
}

} // namespace vesk
