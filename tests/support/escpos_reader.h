// A small ESC/POS reader for tests: decodes a byte stream into one line per command or text run,
// so that expectations and failure messages read as what the printer does. It knows the commands
// the EPSON path sends and shows anything else as raw bytes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kestrane::testing {

// Bytes from hexadecimal pairs separated by blanks: hex("1B 40 0A").
inline std::string hex(const std::string& pairs) {
    std::string bytes;
    for (std::size_t i = 0; i < pairs.size();) {
        if (pairs[i] == ' ') {
            ++i;
            continue;
        }
        bytes += static_cast<char>(std::stoi(pairs.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return bytes;
}

inline std::string visible(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

// One line per command ("align centre", "bold on", "nv-image 01 1x1", "itf \"000001234567\"",
// "cut partial feed 30", "LF", "CRLF", "CR") and per text run ("text \"...\"").
inline std::vector<std::string> readEscPos(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string text;
    auto flush = [&] {
        if (!text.empty()) lines.push_back("text \"" + visible(text) + "\"");
        text.clear();
    };
    auto at = [&](std::size_t i) -> unsigned char {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0xFFu;
    };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char c = at(i);
        std::string line;
        std::size_t length = 0;
        if (c == 0x1B && at(i + 1) == 0x40) {
            line = "init", length = 2;
        } else if (c == 0x1B && at(i + 1) == 0x61) {
            const unsigned char n = at(i + 2);
            line = n == '0'   ? "align left"
                   : n == '1' ? "align centre"
                   : n == '2' ? "align right"
                              : "align ?";
            length = 3;
        } else if (c == 0x1B && at(i + 1) == 0x45) {
            line = at(i + 2) == '1' ? "bold on" : at(i + 2) == '0' ? "bold off" : "bold ?";
            length = 3;
        } else if (c == 0x1D && at(i + 1) == 0x28 && at(i + 2) == 0x4C && at(i + 3) == 6 &&
                   at(i + 4) == 0 && at(i + 5) == 0x30 && at(i + 6) == 0x45 &&
                   i + 10 < bytes.size()) {
            line = "nv-image " + bytes.substr(i + 7, 2) + " " + std::to_string(at(i + 9)) + "x" +
                   std::to_string(at(i + 10));
            length = 11;
        } else if (c == 0x1D && at(i + 1) == 0x68) {
            line = "barcode-height " + std::to_string(at(i + 2)), length = 3;
        } else if (c == 0x1D && at(i + 1) == 0x48) {
            line = "barcode-text " + std::string(1, static_cast<char>(at(i + 2))), length = 3;
        } else if (c == 0x1D && at(i + 1) == 0x6B && at(i + 2) == 0x46 && i + 3 < bytes.size()) {
            const std::size_t n = at(i + 3);
            line = "itf \"" + visible(bytes.substr(i + 4, n)) + "\"", length = 4 + n;
        } else if (c == 0x1D && at(i + 1) == 0x56 && at(i + 2) == 0x42 && i + 3 < bytes.size()) {
            line = "cut partial feed " + std::to_string(at(i + 3)), length = 4;
        } else if (c == 0x0D && at(i + 1) == 0x0A) {
            line = "CRLF", length = 2;
        } else if (c == 0x0A) {
            line = "LF", length = 1;
        } else if (c == 0x1B || c == 0x1D) {
            line = "command? " + visible(bytes.substr(i, 2)), length = 2;
        } else {
            text += static_cast<char>(c);
            ++i;
            continue;
        }
        flush();
        lines.push_back(line);
        i += length;
    }
    flush();
    return lines;
}

// readEscPos as one text, a line each.
inline std::string escPosListing(const std::string& bytes) {
    std::string listing;
    for (const std::string& line : readEscPos(bytes)) listing += line + "\n";
    return listing;
}

}  // namespace kestrane::testing
