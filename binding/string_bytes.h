// The bytes the engine gets for JavaScript strings, which arrive as UTF-16: layout text in
// Windows-1252, the character set the engine reads layouts in, and names in the OS's own.
#pragma once

#include <string>

#include "platform/native_name.h"

namespace kestrane {

// Why a string cannot reach the engine.
enum class StringFault {
    kNone,
    kNul,      // U+0000: the engine's C strings would end there and silently drop the rest
    kNotHeld,  // a character the name's character set cannot hold
};

// A layout's bytes: each character Windows-1252 holds becomes its byte ("€" 0x80), U+0080 to
// U+00FF keep their byte (so text decoded as 'latin1' is its file's bytes again), and any other
// character, a lone surrogate or a pair alike, becomes one '?'.
StringFault layoutBytes(const std::u16string& text, std::string& bytes);

// A name's or a path's bytes in `charset`: UTF-8, with a lone surrogate as U+FFFD as Node's own
// file calls write it; or Windows-1252, where a character that would read back as another one
// (anything it does not hold, U+0080 included, which reads back as "€") is kNotHeld.
StringFault nameBytes(const std::u16string& text, NameCharset charset, std::string& bytes);

}  // namespace kestrane
