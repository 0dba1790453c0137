// Builds a main dictionary (".dct") from a word list, one word a line (UTF-8).
//
//   build_dictionary WORDLIST OUTPUT [TITLE]
//
// Run by the build to make the shipped "english.dct" from Debian's American
// English word list. Words with a character outside Windows-1252 are left
// out (and counted). The alphabet, which is also where the checker's word
// characters come from, is: the lower-case letters by their frequency in
// English, the apostrophe, the capitals in the same order, every other
// letter the list uses (most frequent first), the code page's remaining
// letters, then the digits, so that
// "the first half of the alphabet" is the common letters and "mp3" reads
// as one word.
#include "editor/TextEncoding.h"
#include "spell/DictionaryWriter.h"
#include "spell/SpellText.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

using namespace vesk;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: build_dictionary WORDLIST OUTPUT [TITLE]\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "build_dictionary: cannot read " << argv[1] << '\n';
        return 1;
    }
    TDictionarySource source;
    source.title = argc > 3 ? argv[3] : "American English";
    std::size_t skipped = 0;
    std::map<unsigned char, std::size_t> counts;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty())
            continue;
        std::string bytes;
        if (!WordToDictBytes(line, bytes)) {
            ++skipped;
            continue;
        }
        for (char c : bytes)
            ++counts[static_cast<unsigned char>(c)];
        source.words.push_back(bytes);
    }
    const std::string lower = "etaoinshrdlcumwfgypbvkjxqz";
    std::string upper;
    for (char c : lower)
        upper.push_back(static_cast<char>(c - 32));
    const std::string digits = "0123456789";
    std::string& alphabet = source.alphabet;
    alphabet = lower + "'" + upper;
    std::vector<std::pair<std::size_t, unsigned char>> others;
    for (const auto& [b, n] : counts)
        if (alphabet.find(static_cast<char>(b)) == std::string::npos && digits.find(static_cast<char>(b)) == std::string::npos)
            others.emplace_back(n, b);
    std::stable_sort(others.begin(), others.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [n, b] : others)
        alphabet.push_back(static_cast<char>(b));
    // Then the code page's other letters: English prose borrows words the
    // list lacks ("naïve", "Noël"), and a letter missing here would cut such
    // a word into pieces that are all reported.
    for (int b = 0xC0; b < 0x100; ++b) {
        const char32_t c = Windows1252ToUnicode(static_cast<unsigned char>(b));
        if (b != 0xD7 && b != 0xF7 && alphabet.find(static_cast<char>(b)) == std::string::npos && c != 0xDF)
            alphabet.push_back(static_cast<char>(b));
    }
    alphabet.push_back(static_cast<char>(0xDF));  // ß has no capital in the code page
    for (unsigned char b : {0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F})  // Š Œ Ž š œ ž Ÿ
        if (alphabet.find(static_cast<char>(b)) == std::string::npos)
            alphabet.push_back(static_cast<char>(b));
    alphabet += digits;

    const std::size_t wordCount = source.words.size();
    std::string bytes;
    try {
        bytes = BuildDictionaryBytes(std::move(source));
    } catch (const std::exception& e) {
        std::cerr << "build_dictionary: " << e.what() << '\n';
        return 1;
    }
    // Written beside the target and renamed, so a failed build never leaves
    // a half-written dictionary.
    const std::string temp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out.flush()) {
            std::cerr << "build_dictionary: cannot write " << temp << '\n';
            return 1;
        }
    }
    if (std::rename(temp.c_str(), argv[2]) != 0) {
        std::cerr << "build_dictionary: cannot write " << argv[2] << '\n';
        return 1;
    }
    std::cout << "build_dictionary: " << wordCount << " words, " << skipped << " left out, "
              << bytes.size() << " bytes, " << static_cast<unsigned>(static_cast<unsigned char>(bytes[278]))
              << " sub-dictionaries\n";
    return 0;
}
