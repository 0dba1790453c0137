// Writing main dictionaries (".dct"): the layout TDictionary reads, from a word list.
//
// Used by the dictionary builder in tools/ and by tests that need small
// hand-made dictionaries. Words are dictionary bytes (Windows-1252).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

struct TDictionarySource {
    std::string title;     // cut or padded with blanks to 25 bytes
    std::string alphabet;  // at most 255 bytes
    std::vector<std::string> words;  // any order; duplicates and empty words are dropped
    // Largest node count of one sub-dictionary. Child lists hold 16-bit node
    // numbers, so 65536 is the natural bound; tests lower it to force splits.
    std::size_t maxNodesPerSub = 65536;
};

// The file's bytes. Words are split, in sorted order, into as many
// sub-dictionaries as the node limit needs (at most 255); throws
// std::length_error when even that is not enough or the alphabet is too long.
std::string BuildDictionaryBytes(TDictionarySource source);

} // namespace vesk
