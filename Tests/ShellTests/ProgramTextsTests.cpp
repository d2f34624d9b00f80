// SPDX-License-Identifier: MIT
// ProgramTextsTests.cpp: what a user can read of the built program, its README and its docs:
// no key glyphs of another desktop (shortcuts are written "Super+Alt+P", "Ctrl+Alt+Space") and
// none of another system's settings words.
#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The bytes of the program's read-only and initialised data, where its string literals live.
// Code and debug information are left out: three given bytes turn up there by chance in a
// program of tens of megabytes.
std::string dataSections(const std::string& program) {
    if (program.size() < sizeof(Elf64_Ehdr) || std::memcmp(program.data(), ELFMAG, SELFMAG) != 0) return {};
    Elf64_Ehdr header;
    std::memcpy(&header, program.data(), sizeof header);
    const auto sectionAt = [&](std::size_t index) {
        Elf64_Shdr section{};
        const std::size_t offset = header.e_shoff + index * sizeof(Elf64_Shdr);
        if (offset + sizeof section <= program.size()) std::memcpy(&section, program.data() + offset, sizeof section);
        return section;
    };
    const Elf64_Shdr names = sectionAt(header.e_shstrndx);
    std::string data;
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr section = sectionAt(i);
        if (section.sh_type != SHT_PROGBITS || names.sh_offset + section.sh_name >= program.size()) continue;
        const std::string name = program.c_str() + names.sh_offset + section.sh_name;
        if (name != ".rodata" && name != ".data" && name != ".data.rel.ro") continue;
        if (section.sh_offset + section.sh_size <= program.size())
            data.append(program, section.sh_offset, section.sh_size);
    }
    return data;
}

// The glyphs as UTF-8 bytes, as a compiled string literal holds them.
const std::vector<std::pair<std::string, std::string>> kGlyphs = {
    {"\u2318", "the command glyph"}, {"\u2325", "the option glyph"}, {"\u2303", "the control glyph"},
    {"\u21e7", "the shift glyph"},   {"\u238b", "the escape glyph"},
};
const std::vector<std::string> kWords = {"System Settings", "Privacy & Security", "Screen Recording", "this Mac"};

#ifdef ARVELO_PROGRAM
TEST(ProgramTexts, TheBuiltProgramHoldsNoOtherDesktopsGlyphsOrSettingsWords) {
    const std::string program = dataSections(contents(ARVELO_PROGRAM));
    ASSERT_GT(program.size(), 100000u) << ARVELO_PROGRAM;
    // The check can see a text the program holds.
    ASSERT_NE(program.find("Free All Windows"), std::string::npos);
    for (const auto& [glyph, name] : kGlyphs) EXPECT_EQ(program.find(glyph), std::string::npos) << name;
    for (const std::string& word : kWords) EXPECT_EQ(program.find(word), std::string::npos) << word;
}
#endif

TEST(ProgramTexts, TheReadmeAndDocsWriteKeysAsTheProgramDoes) {
    std::vector<std::filesystem::path> files = {std::filesystem::path(VOMIRA_SOURCE_DIR) / "README.md"};
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VOMIRA_SOURCE_DIR) / "docs"))
        if (entry.path().extension() == ".md") files.push_back(entry.path());
    ASSERT_GT(files.size(), 5u);
    for (const auto& file : files) {
        const std::string text = contents(file);
        for (const auto& [glyph, name] : kGlyphs)
            EXPECT_EQ(text.find(glyph), std::string::npos) << file.filename() << ": " << name;
        EXPECT_EQ(text.find("Meta+"), std::string::npos) << file.filename();
    }
}

}  // namespace
