// Sorting the command line into Qt's options and the documents.
#include "platform/CommandLine.h"

#include "platform/FileNames.h"

#include <cstring>
#include <string_view>
#include <sys/stat.h>

namespace vesk {

namespace {

// Qt's options that take the next argument as their value (those of
// QGuiApplication and QApplication, and of the X11 platform).
bool TakesValue(std::string_view option)
{
    if (option.starts_with("--"))
        option.remove_prefix(1);  // Qt accepts "--style" for "-style"
    static constexpr std::string_view kWithValue[] = {
        "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qmljsdebugger",
        "-qwindowgeometry", "-geometry", "-qwindowicon", "-icon", "-qwindowtitle", "-title",
        "-display", "-name", "-style", "-stylesheet", "-session", "-dialogs",
    };
    for (std::string_view o : kWithValue) {
        if (option == o)
            return true;
    }
    return false;
}

bool Exists(const char* name)
{
    struct stat st{};
    return ::lstat(name, &st) == 0;
}

} // namespace

TProgramArguments SortProgramArguments(int argc, char** argv)
{
    TProgramArguments result;
    if (argc > 0)
        result.qtArguments.push_back(argv[0]);
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const std::string_view text(arg);
        if (!optionsEnded && text == "--") {
            optionsEnded = true;
            continue;
        }
        const bool looksLikeOption = text.size() > 1 && text.front() == '-';
        if (optionsEnded || !looksLikeOption || Exists(arg)) {
            result.documents << FileNameFromBytes(QByteArrayView(arg, qsizetype(text.size())));
            continue;
        }
        result.qtArguments.push_back(argv[i]);
        if (TakesValue(text) && i + 1 < argc)
            result.qtArguments.push_back(argv[++i]);
    }
    result.qtArguments.push_back(nullptr);
    return result;
}

} // namespace vesk
