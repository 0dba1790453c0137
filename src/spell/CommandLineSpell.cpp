// Spell checking from the command line.
#include "spell/CommandLineSpell.h"

#include "editor/VeskMemoCore.h"
#include "platform/DocumentFile.h"
#include "spell/SpellChecker.h"
#include "spell/VeskMemoParser.h"

#include <QFile>

#include <cstring>
#include <ostream>

namespace vesk {
namespace {

std::string WithoutCr(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out.push_back(c);
    return out;
}

// The dialog for scripts: writes each stop and answers Ignore.
class ReportingDialog : public TDialogControl {
public:
    ReportingDialog(TSpellChecker& engine, std::ostream& out, bool suggest, int& stops)
        : engine_(engine), out_(out), suggest_(suggest), stops_(stops) {}

    void EnableControl(int, bool) override {}
    void SetCaption(int, const std::string&) override {}
    void SetNotFound(const std::string&) override {}
    std::string WordText() const override { return {}; }
    void SetWordText(const std::string&) override {}
    void SetSuggestions(const std::vector<std::string>& items) override { items_ = items; }
    void ShowDialog(bool visible, const TParserBounds&) override
    {
        if (!visible)
            return;
        const TSpellParser& p = *engine_.Parser();
        ++stops_;
        out_ << p.Line() + 1 << ':' << p.Column() + 1 << ' ' << engine_.StopWord();
        if (engine_.StopIsRepeated()) {
            out_ << " (repeated)";
        } else if (suggest_) {
            out_ << ':';
            const char* sep = " ";
            for (const std::string& s : items_) {
                out_ << sep << s;
                sep = ", ";
            }
        }
        out_ << '\n';
        engine_.Action(saIgnore);  // queued: carried out when the engine returns
    }

private:
    TSpellChecker& engine_;
    std::ostream& out_;
    bool suggest_;
    int& stops_;
    std::vector<std::string> items_;
};

} // namespace

bool IsSpellCommand(int argc, char** argv)
{
    return argc >= 2 && std::strcmp(argv[1], "--spell") == 0;
}

int SpellFromCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err,
                         const QString& configPath)
{
    QStringList files = arguments;
    const bool suggest = !files.isEmpty() && files.front() == QLatin1String("--suggest");
    if (suggest)
        files.removeFirst();
    if (files.isEmpty()) {
        err << "usage: htmlvesk --spell [--suggest] FILE...\n";
        return 2;
    }
    TSpellChecker engine;
    if (!configPath.isEmpty()) {
        engine.SetConfigInAppDir(false);
        engine.SetConfigFileName(configPath);
    }
    engine.SetWaitForCompletion(false);
    engine.SetBackgroundSuggestions(false);
    engine.SetAlwaysActive(true);  // open the dictionaries once for all files
    engine.SetEndShowMessage(TEndShowMessage::emNever);
    engine.OnProcessMessages = [] {};
    engine.OnMessage = [&](TSpellMessage, const std::string& text) {
        out.flush();
        err << "htmlvesk: " << WithoutCr(text) << '\n';
        return false;
    };
    int fileStops = 0;
    engine.OnCreateDialog = [&](TSpellChecker& e) -> std::unique_ptr<TDialogControl> {
        return std::make_unique<ReportingDialog>(e, out, suggest, fileStops);
    };
    engine.OpenDictionaries();
    if (engine.MainDictionaries().empty()) {
        out.flush();
        err << "htmlvesk: no main dictionary could be opened (configuration "
            << engine.ConfigPath().toStdString() << ")\n";
        return 2;
    }
    int status = 0;
    for (const QString& file : files) {
        QFile f;
        TVeskMemoCore editor;
        if (const std::optional<QString> why = OpenDocumentFile(file, f)) {
            out.flush();
            err << "htmlvesk: cannot read " << file.toStdString() << ": " << why->toStdString() << '\n';
            status = 2;
            continue;
        }
        try {
            editor.LoadFromStream(f);
        } catch (const std::exception& e) {
            out.flush();
            err << "htmlvesk: cannot read " << file.toStdString() << ": " << e.what() << '\n';
            status = 2;
            continue;
        }
        out << file.toStdString() << '\n';
        fileStops = 0;
        engine.Check(std::make_unique<TVeskMemoParser>(editor));
        if (engine.Checking())
            engine.Action(saCancel);  // cannot happen: every stop is answered
        if (fileStops > 0 && status == 0)
            status = 1;
    }
    engine.SetAlwaysActive(false);
    engine.CloseDictionaries();
    out.flush();
    return status;
}

} // namespace vesk
