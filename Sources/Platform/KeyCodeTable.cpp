// SPDX-License-Identifier: MIT
// KeyCodeTable.cpp: the ANSI key-code table. Codes follow the physical key positions of the
// ANSI keyboard (so 18 is the "1" key and 0 is "A"); keysyms are the symbols X gives those keys.
#include "Platform/KeyCodeTable.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace platform {

namespace {

constexpr std::pair<std::uint32_t, std::uint32_t> kTable[] = {
    // Letters (lower-case keysyms).
    {0x00, 'a'},
    {0x01, 's'},
    {0x02, 'd'},
    {0x03, 'f'},
    {0x04, 'h'},
    {0x05, 'g'},
    {0x06, 'z'},
    {0x07, 'x'},
    {0x08, 'c'},
    {0x09, 'v'},
    {0x0B, 'b'},
    {0x0C, 'q'},
    {0x0D, 'w'},
    {0x0E, 'e'},
    {0x0F, 'r'},
    {0x10, 'y'},
    {0x11, 't'},
    {0x1F, 'o'},
    {0x20, 'u'},
    {0x22, 'i'},
    {0x23, 'p'},
    {0x25, 'l'},
    {0x26, 'j'},
    {0x28, 'k'},
    {0x2D, 'n'},
    {0x2E, 'm'},
    // Digits of the main keyboard.
    {0x12, '1'},
    {0x13, '2'},
    {0x14, '3'},
    {0x15, '4'},
    {0x16, '6'},
    {0x17, '5'},
    {0x19, '9'},
    {0x1A, '7'},
    {0x1C, '8'},
    {0x1D, '0'},
    // Punctuation.
    {0x18, '='},
    {0x1B, '-'},
    {0x1E, ']'},
    {0x21, '['},
    {0x27, '\''},
    {0x29, ';'},
    {0x2A, '\\'},
    {0x2B, ','},
    {0x2C, '/'},
    {0x2F, '.'},
    {0x32, '`'},
    // Editing and whitespace keys.
    {0x24, 0xFF0D},  // Return
    {0x30, 0xFF09},  // Tab
    {0x31, 0x0020},  // space
    {0x33, 0xFF08},  // Delete (BackSpace)
    {0x35, 0xFF1B},  // Escape
    {0x72, 0xFF6A},  // Help
    {0x73, 0xFF50},  // Home
    {0x74, 0xFF55},  // Page Up (Prior)
    {0x75, 0xFFFF},  // Forward Delete (Delete)
    {0x77, 0xFF57},  // End
    {0x79, 0xFF56},  // Page Down (Next)
    // Arrows.
    {0x7B, 0xFF51},
    {0x7C, 0xFF53},
    {0x7D, 0xFF54},
    {0x7E, 0xFF52},
    // Keypad.
    {0x41, 0xFFAE},
    {0x43, 0xFFAA},
    {0x45, 0xFFAB},
    {0x47, 0xFF0B},
    {0x4B, 0xFFAF},
    {0x4C, 0xFF8D},
    {0x4E, 0xFFAD},
    {0x51, 0xFFBD},
    {0x52, 0xFFB0},
    {0x53, 0xFFB1},
    {0x54, 0xFFB2},
    {0x55, 0xFFB3},
    {0x56, 0xFFB4},
    {0x57, 0xFFB5},
    {0x58, 0xFFB6},
    {0x59, 0xFFB7},
    {0x5B, 0xFFB8},
    {0x5C, 0xFFB9},
    // Function keys F1 to F20 (keysyms 0xFFBE onwards).
    {0x7A, 0xFFBE},
    {0x78, 0xFFBF},
    {0x63, 0xFFC0},
    {0x76, 0xFFC1},
    {0x60, 0xFFC2},
    {0x61, 0xFFC3},
    {0x62, 0xFFC4},
    {0x64, 0xFFC5},
    {0x65, 0xFFC6},
    {0x6D, 0xFFC7},
    {0x67, 0xFFC8},
    {0x6F, 0xFFC9},
    {0x69, 0xFFCA},
    {0x6B, 0xFFCB},
    {0x71, 0xFFCC},
    {0x6A, 0xFFCD},
    {0x40, 0xFFCE},
    {0x4F, 0xFFCF},
    {0x50, 0xFFD0},
    {0x5A, 0xFFD1},
    // ISO section key and JIS keys map to their nearest X symbols.
    {0x0A, 0x00A7},  // section
    {0x5D, 0x00A5},  // JIS yen
    {0x5E, 0x005F},  // JIS underscore
    {0x5F, 0xFFAC},  // JIS keypad comma (KP_Separator)
    {0x66, 0xFF22},  // JIS eisu (Muhenkan)
    {0x68, 0xFF23},  // JIS kana (Henkan)
};

}  // namespace

std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode) {
    const auto it =
        std::find_if(std::begin(kTable), std::end(kTable), [&](const auto& entry) { return entry.first == keyCode; });
    if (it == std::end(kTable)) return std::nullopt;
    return it->second;
}

std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym) {
    if (keysym >= 'A' && keysym <= 'Z') keysym += 'a' - 'A';
    const auto it =
        std::find_if(std::begin(kTable), std::end(kTable), [&](const auto& entry) { return entry.second == keysym; });
    if (it == std::end(kTable)) return std::nullopt;
    return it->first;
}

}  // namespace platform
