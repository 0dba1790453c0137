// Validation from the command line.
#include "validator/CommandLineValidation.h"

#include "platform/ProgramFolder.h"
#include "validator/ValidatorChecks.h"
#include "validator/ValidatorDocuments.h"
#include "validator/ValidatorEngine.h"

#include <QChar>

#include <cstring>
#include <ostream>

namespace vesk {
namespace {

// The results list without a window: always "visible", nothing to pump.
// Entries are written as they come, so a page with countless errors costs
// no memory for them.
class StreamResults : public TValidatorResults {
public:
    explicit StreamResults(std::ostream& out) : out_(out) {}
    void Clear() override { count_ = 0; }
    void Add(const QString& entry) override
    {
        out_ << entry.toStdString() << '\n';
        ++count_;
    }
    int Count() const override { return count_; }

private:
    std::ostream& out_;
    int count_ = 0;
};

} // namespace

bool IsValidateCommand(int argc, char** argv)
{
    return argc >= 2 && std::strcmp(argv[1], "--validate") == 0;
}

int ValidateFromCommandLine(const QStringList& files, std::ostream& out, std::ostream& err,
                            const std::string& rulesPath)
{
    if (files.isEmpty()) {
        err << "usage: htmlvesk --validate FILE...\n";
        return 2;
    }
    TValidator validator(rulesPath.empty() ? ProgramFileStd(QStringLiteral("4strict.ini")) : rulesPath);
    int status = 0;
    for (const QString& file : files) {
        TPlainTextDocument document;
        QString why;
        if (!document.Load(file, &why)) {
            out.flush();
            err << "htmlvesk: " << why.toStdString() << '\n';
            status = 2;
            continue;
        }
        if (document.NulCount() > 0) {
            out.flush();
            err << "htmlvesk: " << file.toStdString() << " holds " << document.NulCount()
                << " NUL byte(s); each is checked as the character " << QString(QChar(kNulStandIn)).toStdString()
                << " (U+2400), and the text after it is checked too.\n";
        }
        out << file.toStdString() << '\n';
        StreamResults results(out);
        validator.Validator(document, results);
        if (document.ReadFailed()) {
            out.flush();
            err << "htmlvesk: reading " << file.toStdString() << " failed; it was not checked to its end.\n";
            status = 2;
            continue;
        }
        if (validator.ErrorCount() > 0 && status == 0)
            status = 1;
    }
    out.flush();
    return status;
}

} // namespace vesk
