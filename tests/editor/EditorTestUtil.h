// Helpers shared by the editor tests: UTF-8 conversions written independently
// of the code under test, and a keyword/key look builder.
#pragma once

#include "editor/KeyLists.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::test {

// Decodes UTF-8 on its own terms (not with the code under test); a broken
// sequence shows up as U+FFFFFFFF so that comparisons fail loudly.
inline std::u32string U32(std::string_view s)
{
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 1 : c < 0xC0 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (n == 0 || i + std::size_t(n) > s.size()) {
            out.push_back(char32_t(0xFFFFFFFF));
            ++i;
            continue;
        }
        char32_t v = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n; ++k)
            v = (v << 6) | (static_cast<unsigned char>(s[i + std::size_t(k)]) & 0x3F);
        out.push_back(v);
        i += std::size_t(n);
    }
    return out;
}

// Encodes code points as UTF-8, again independently of the code under test.
inline std::string U8(std::u32string_view s)
{
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

inline TKeyLook Look(std::uint32_t background, std::int16_t context = 1, std::uint8_t options = 0,
                     std::uint8_t style = 0, std::int16_t pointer = 0, std::uint32_t textColor = 0)
{
    TKeyLook look;
    look.options = options;
    look.style = style;
    look.context = context;
    look.pointer = pointer;
    look.background = background;
    look.textColor = textColor;
    return look;
}

} // namespace vesk::test
