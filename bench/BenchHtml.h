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

// The page of the large-document measurements: paragraphs of exactly 113
// bytes (111 characters and CR LF), each with six tags: a paragraph with a
// class, a bold word and a link. With `minified` there are no breaks at
// all: one line of markup, as minified pages come.
inline std::string MakeTaggedPage(std::size_t bytes, bool minified = false, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    const char* words[] = {"text", "more", "words", "here", "and", "there", "menu", "price", "table", "today"};
    auto filler = [&](std::size_t length) {
        std::string f;
        while (f.size() < length) {
            f += words[rng() % (sizeof words / sizeof *words)];
            f += ' ';
        }
        f.resize(length);
        return f;
    };
    std::string out;
    out.reserve(bytes + 256);
    for (std::size_t n = 0; out.size() < bytes; ++n) {
        const std::string head = "<p class=\"c" + std::to_string(n % 10) + "\">";
        const std::string bold = " <b>" + std::string(words[n % 10]) + "</b> ";
        const std::string link = " <a href=\"page" + std::to_string(n % 1000) + ".htm\">link</a> ";
        const std::size_t room = 111 - head.size() - bold.size() - link.size() - 4;
        out += head + filler(room / 2) + bold + filler(room - room / 2) + link + "</p>";
        if (!minified)
            out += "\r\n";
    }
    return out;
}

} // namespace vesk::bench
