// Stands in for a browser or picture viewer: records the arguments it was
// started with, so tests see exactly what a started program receives.
//
// Each run writes its arguments, each followed by a NUL byte, to
// "$VESK_RECORD_DIR/run-<pid>.args" (written under another name first and
// renamed, so a reader never sees half a record).
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

int main(int argc, char** argv)
{
    const char* dir = std::getenv("VESK_RECORD_DIR");
    if (!dir)
        return 2;
    const std::string base = std::string(dir) + "/run-" + std::to_string(::getpid());
    const std::string partial = base + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out)
        return 3;
    for (int i = 1; i < argc; ++i) {
        std::fputs(argv[i], out);
        std::fputc('\0', out);
    }
    if (std::fclose(out) != 0)
        return 4;
    return std::rename(partial.c_str(), (base + ".args").c_str()) == 0 ? 0 : 5;
}
