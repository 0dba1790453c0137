// File names: bytes to QString and back without losing a byte.
#include "platform/FileNames.h"

#include <sys/stat.h>

namespace vesk {

namespace {

void AppendCodePoint(QString& out, char32_t c)
{
    if (c >= 0x10000) {
        out += QChar(char16_t(0xD800 + ((c - 0x10000) >> 10)));
        out += QChar(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        out += QChar(char16_t(c));
    }
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

QString FileNameFromBytes(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += QChar(char16_t(b));
            ++i;
            continue;
        }
        // Length, payload of the lead byte and the allowed range of the
        // first continuation byte (shortest forms only, no surrogates,
        // nothing above U+10FFFF).
        int length = 0;
        char32_t c = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            c = b & 0x0F;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            c = b & 0x07;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        }
        bool ok = length > 0 && i + length <= n;
        for (int k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                ok = false;
            else
                c = c << 6 | (next & 0x3F);
        }
        if (!ok) {
            out += QChar(char16_t(0xDC00 + b));
            ++i;
            continue;
        }
        AppendCodePoint(out, c);
        i += length;
    }
    return out;
}

QByteArray FileNameToBytes(const QString& name)
{
    QByteArray out;
    out.reserve(name.size());
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = name[i].unicode();
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && name[i + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, name[i + 1].unicode()));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += char(u - 0xDC00);  // a byte that was not UTF-8
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

bool FileExists(const QString& path)
{
    struct stat st{};
    return !path.isEmpty() && ::stat(FileNameToBytes(path).constData(), &st) == 0;
}

} // namespace vesk
