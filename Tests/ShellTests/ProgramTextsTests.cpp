// SPDX-License-Identifier: MIT
// ProgramTextsTests.cpp: what a user can read of the built program, its README and its docs:
// no key glyphs of another desktop (shortcuts are written "Super+Alt+P", "Ctrl+Alt+Space") and
// none of another system's settings words.
#include <gtest/gtest.h>

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

// The glyphs as UTF-8 bytes, as a compiled string literal holds them.
const std::vector<std::pair<std::string, std::string>> kGlyphs = {
    {"\u2318", "the command glyph"}, {"\u2325", "the option glyph"}, {"\u2303", "the control glyph"},
    {"\u21e7", "the shift glyph"},   {"\u238b", "the escape glyph"},
};
const std::vector<std::string> kWords = {"System Settings", "Privacy & Security", "Screen Recording", "this Mac"};

#ifdef ARVELO_PROGRAM
TEST(ProgramTexts, TheBuiltProgramHoldsNoOtherDesktopsGlyphsOrSettingsWords) {
    const std::string program = contents(ARVELO_PROGRAM);
    ASSERT_GT(program.size(), 100000u) << ARVELO_PROGRAM;
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
