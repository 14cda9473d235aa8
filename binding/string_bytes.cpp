#include "binding/string_bytes.h"

namespace kestrane {

namespace {

// What Windows reads bytes 0x80 to 0x9F as. The five bytes Windows-1252 leaves undefined read
// as the C1 controls of their own value, so those characters round-trip through the ANSI calls.
const char16_t kHighBytes[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The character at `at`, stepping past it; a lone surrogate comes back as itself.
char32_t nextCharacter(const std::u16string& text, std::size_t& at) {
    const char32_t unit = text[at++];
    if (isHighSurrogate(unit) && at < text.size() && isLowSurrogate(text[at])) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[at++] - 0xDC00);
    }
    return unit;
}

// The byte Windows-1252 reads back as `c`, or -1 when there is none.
int windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighBytes[i] == c) return 0x80 + i;
    }
    return -1;
}

void appendUtf8(char32_t c, std::string& bytes) {
    if (isHighSurrogate(c) || isLowSurrogate(c)) c = 0xFFFD;
    const auto put = [&bytes](char32_t byte) { bytes += static_cast<char>(byte); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | c >> 6), put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | c >> 12), put(0x80 | (c >> 6 & 0x3F)), put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | c >> 18), put(0x80 | (c >> 12 & 0x3F)), put(0x80 | (c >> 6 & 0x3F)), put(0x80 | (c & 0x3F));
    }
}

}  // namespace

StringFault layoutBytes(const std::u16string& text, std::string& bytes) {
    // At most one byte a unit, written in place: a layout is mostly ASCII, and a check and a
    // store a character keep the crossing of a receipt's text to a few microseconds.
    bytes.resize(text.size());
    std::size_t out = 0;
    for (std::size_t at = 0; at < text.size();) {
        // Eight ASCII characters at once, in a loop the compiler turns into vector code.
        if (text.size() - at >= 8) {
            bool ascii = true;
            for (std::size_t k = 0; k < 8; ++k) ascii &= static_cast<char16_t>(text[at + k] - 1) < 0x7F;
            if (ascii) {
                for (std::size_t k = 0; k < 8; ++k) bytes[out + k] = static_cast<char>(text[at + k]);
                at += 8;
                out += 8;
                continue;
            }
        }
        const char16_t unit = text[at];
        if ((unit >= 0x01 && unit < 0x80) || (unit >= 0xA0 && unit <= 0xFF)) {
            bytes[out++] = static_cast<char>(unit);
            ++at;
            continue;
        }
        if (unit == 0) {
            bytes.clear();
            return StringFault::kNul;
        }
        const char32_t c = nextCharacter(text, at);
        const int byte = windows1252Byte(c);
        bytes[out++] = byte >= 0 ? static_cast<char>(byte) : c <= 0xFF ? static_cast<char>(c) : '?';
    }
    bytes.resize(out);
    return StringFault::kNone;
}

StringFault nameBytes(const std::u16string& text, NameCharset charset, std::string& bytes) {
    bytes.clear();
    if (text.find(u'\0') != std::u16string::npos) return StringFault::kNul;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = nextCharacter(text, at);
        if (charset == NameCharset::kUtf8) {
            appendUtf8(c, bytes);
            continue;
        }
        const int byte = windows1252Byte(c);
        if (byte < 0) return StringFault::kNotHeld;
        bytes += static_cast<char>(byte);
    }
    return StringFault::kNone;
}

}  // namespace kestrane
