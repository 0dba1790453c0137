// HTML-like text for the benchmarks that need a large document.
#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace vesk::bench {

// About `bytes` bytes of tags and words, lines of 20-120 characters ending
// in CR LF; the same seed gives the same text.
inline std::string MakeHtml(std::size_t bytes, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    const char* words[] = {"<p>", "</p>", "<a href=\"page.htm\">", "</a>", "text", "more", "words", "café",
                           "<b>", "</b>", "here", "and", "there", "<td class=\"x\">", "</td>"};
    std::string out;
    out.reserve(bytes + 256);
    while (out.size() < bytes) {
        const std::size_t len = 20 + rng() % 100;
        std::size_t line = 0;
        while (line < len) {
            const char* w = words[rng() % (sizeof words / sizeof *words)];
            out += w;
            out += ' ';
            line += std::char_traits<char>::length(w) + 1;
        }
        out += "\r\n";
    }
    return out;
}

} // namespace vesk::bench
