// Validation speed: the engine over generated pages of 1 MB and 10 MB
// (valid HTML 4.01 Strict, so every tag runs every check against the
// shipped rules file), a body of thousands of paragraphs left open, a 10 MB
// page in an editor (as the Validator command reads it), and loading plus
// validating a file as the command line does.
//
//   QT_QPA_PLATFORM=offscreen ./build/bench/bench_validator
// Side by side with other validators: bench/compare_validators.sh
#include "BenchMain.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemo.h"
#include "validator/CommandLineValidation.h"
#include "validator/EditorValidatorDocument.h"
#include "validator/ValidatorDocuments.h"
#include "validator/ValidatorEngine.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kRules = std::string(VESK_SOURCE_DATA_DIR) + "/4strict.ini";

// The same page as bench/compare_validators.sh generates.
std::string MakePage(std::size_t size)
{
    std::string s =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\n"
        "<HTML lang=\"en\">\n<HEAD>\n<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<TITLE>Generated page</TITLE>\n</HEAD>\n<BODY>\n";
    for (int n = 0; s.size() < size; ++n) {
        const std::string k = std::to_string(n);
        s += "<H2><A name=\"s" + k + "\">Section " + k + "</A></H2>\n<P>Paragraph " + k
            + " with <EM>emphasis</EM>, <STRONG>strong text</STRONG>, a <A href=\"page" + k + ".html\" title=\"Page "
            + k + "\">link</A>\nand an image <IMG src=\"pic" + k + ".png\" alt=\"Picture " + k
            + "\" width=\"32\" height=\"32\">. Some &amp; entities &lt; here.\n"
              "<P>A second paragraph whose end tag is left out, as HTML allows.\n<UL>\n<LI>first item of list "
            + k + "\n<LI>second item with <CODE>code</CODE>\n</UL>\n<TABLE summary=\"Table " + k
            + "\" border=\"1\">\n<TR><TH>Name<TH>Value\n<TR><TD>alpha<TD align=\"right\">" + k
            + "\n</TABLE>\n<DIV class=\"note\"><P>Note " + k + ".</P></DIV>\n";
    }
    return s + "</BODY>\n</HTML>\n";
}

class ListResults : public vesk::TValidatorResults {
public:
    void Clear() override { entries.clear(); }
    void Add(const QString& e) override { entries.push_back(e); }
    int Count() const override { return int(entries.size()); }
    std::vector<QString> entries;
};

void ValidateText(benchmark::State& state, const std::string& text)
{
    vesk::TPlainTextDocument doc;
    doc.SetText(text);
    vesk::TValidator validator(kRules);
    for (auto _ : state) {
        ListResults results;
        validator.Validator(doc, results);
        benchmark::DoNotOptimize(results.entries.size());
        if (validator.ErrorCount() != 0)
            state.SkipWithError(("unexpected errors: " + results.entries.front().toStdString()).c_str());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void BM_ValidatePage(benchmark::State& state)
{
    ValidateText(state, MakePage(std::size_t(state.range(0)) << 20));
}
BENCHMARK(BM_ValidatePage)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Thousands of paragraphs without end tags stay open until </BODY>; each
// new block element walks past all of them.
void BM_ValidateOpenParagraphs(benchmark::State& state)
{
    std::string text = "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY>\n";
    for (int i = 0; i < state.range(0); ++i)
        text += "<P>paragraph " + std::to_string(i) + "\n<DIV>block</DIV>\n";
    text += "</BODY></HTML>\n";
    ValidateText(state, text);
}
BENCHMARK(BM_ValidateOpenParagraphs)->Arg(20000)->Unit(benchmark::kMillisecond);

// The Validator command on a 10 MB page open in an editor, coloured as the
// user sees it (the validator reads the paragraphs without their marks).
void BM_ValidateEditor10MB(benchmark::State& state)
{
    vesk::TVeskMemoFile editor;
    auto keys = std::make_shared<vesk::TStartStopKeyList>();
    vesk::AddHtmlStartStopKeys(*keys);
    editor.Highlighting().SetStartStopKeys(keys);
    editor.SetTextBuf(MakePage(10u << 20));
    vesk::TValidator validator(kRules);
    for (auto _ : state) {
        vesk::TEditorValidatorDocument document(&editor);
        ListResults results;
        validator.Validator(document, results);
        if (validator.ErrorCount() != 0)
            state.SkipWithError(("unexpected errors: " + results.entries.front().toStdString()).c_str());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(editor.CharCount()));
}
BENCHMARK(BM_ValidateEditor10MB)->Unit(benchmark::kMillisecond);

// What `htmlvesk --validate FILE` does: load the file, validate, print.
void BM_CommandLine10MB(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    const std::string page = MakePage(10u << 20);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(page.data(), qint64(page.size()));
    f.close();
    for (auto _ : state) {
        std::ostringstream out, err;
        const int status = vesk::ValidateFromCommandLine({path}, out, err, kRules);
        if (status != 0)
            state.SkipWithError(out.str().substr(0, 200).c_str());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(page.size()));
}
BENCHMARK(BM_CommandLine10MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithApplication(argc, argv);
}
