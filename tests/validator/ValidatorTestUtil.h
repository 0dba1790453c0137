// Helpers of the validator tests: a rules file in a temporary folder, a
// results list that records what a run reports, and one-call validation.
#pragma once

#include "support/TempDir.h"
#include "validator/ValidatorDocuments.h"
#include "validator/ValidatorEngine.h"

#include <QStringList>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vesk::test {

// A results list that records entries, status texts and progress, and can
// act when events are processed (as a user would meanwhile).
class RecordingResults : public TValidatorResults {
public:
    void Clear() override { entries.clear(); }
    void Add(const QString& entry) override
    {
        entries << entry;
        if (onAdd)
            onAdd(entry);
    }
    int Count() const override { return int(entries.size()); }
    void SetStatus(const QString& text) override { statuses << text; }
    void SetProgressMax(std::int32_t max) override { progressMax = max; }
    void SetProgress(std::int32_t position) override { progress << position; }
    void ShowResults() override { ++shown; }
    bool Visible() const override { return visible; }
    void ProcessEvents() override
    {
        ++events;
        if (onEvents)
            onEvents();
    }
    void ShowFirstError() override { ++firstErrorShown; }

    QStringList entries;
    QStringList statuses;
    std::int32_t progressMax = -1;
    QList<std::int32_t> progress;
    int shown = 0;
    int events = 0;
    int firstErrorShown = 0;
    bool visible = true;
    std::function<void()> onEvents;
    std::function<void(const QString&)> onAdd;
};

// A rules file of its own in a temporary folder.
class RulesFile {
public:
    explicit RulesFile(std::string_view text = {})
    {
        if (!text.empty())
            Write(text);
    }
    void Write(std::string_view text) const
    {
        WriteFileBytes(dir_.file(QStringLiteral("4strict.ini")), QByteArray(text.data(), qsizetype(text.size())));
    }
    std::string Path() const { return dir_.fileStd(QStringLiteral("4strict.ini")); }
    QString Folder() const { return dir_.path(); }

private:
    TempDir dir_;
};

// Validates `text` (file bytes) against the rules at `rulesPath`; the entries listed.
inline QStringList Validate(const std::string& rulesPath, std::string_view text,
                            RecordingResults* results = nullptr)
{
    TValidator validator(rulesPath);
    TPlainTextDocument document;
    document.SetText(text);
    RecordingResults own;
    RecordingResults& r = results ? *results : own;
    validator.Validator(document, r);
    return r.entries;
}

inline QStringList Validate(const RulesFile& rules, std::string_view text, RecordingResults* results = nullptr)
{
    return Validate(rules.Path(), text, results);
}

} // namespace vesk::test
