#include "util/kivUtil.h"

#include <gtest/gtest.h>

#include <cstdarg>

using namespace kivUtil;

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

void ExpectTable(std::string (*function)(const std::string&), const std::vector<TextCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(function(c.input), c.expected) << "input: " << c.input;
}

std::string Format(std::size_t maxBytes, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(maxBytes, format, args);
    va_end(args);
    return text;
}

}  // namespace

TEST(FoldAccents, FoldsTheTableAndKeepsEveryOtherCharacter)
{
    ExpectTable(FoldAccents, {
        {"Œuvre Ångström Ñandú", "Œuvre Ångstrom Ñandu"},
        {"cœur Ça", "coeur Ca"},
        {"ÀÁÂÄàáâäÇçÈÉÊËèéêëÌÍÎÏìíîïÒÓÔÖòóôöÙÚÛÜùúûüæœ",
         "aaaaaaaaCceeeeeeeeiiiiiiiioooooooouuuuuuuuaeoe"},
        {"ÃÅÆÑÕØÝßãåñõøýÿŒŠšŽžŸ", "ÃÅÆÑÕØÝßãåñõøýÿŒŠšŽžŸ"},
        // Characters whose encodings share bytes with folded letters.
        {"日本 € ‘é’ 😀", "日本 € ‘e’ 😀"},
        // Bytes that are not UTF-8 pass through untouched.
        {"\xE9t\xE9 \xC3", "\xE9t\xE9 \xC3"},
        {"", ""},
    });
}

TEST(SpacesToUnderscores, ReplacesOnlyPlainSpaces)
{
    ExpectTable(SpacesToUnderscores, {
        {"a b  c", "a_b__c"},
        {"tab\there\u00A0nbsp", "tab\there\u00A0nbsp"},
        {"Été à Noël", "Été_à_Noël"},
    });
}

TEST(ReplaceInvalidChars, AppliesTheRenameTable)
{
    ExpectTable(ReplaceInvalidChars, {
        {"Why? A/B: \"yes\" <*> |", "Why¿ A-B. ''yes'' [¤] !"},
        {"a\\b", "a-b"},
        {"ctrl\x01\t\n", "ctrl\x01\t\n"},
        {"Été/Noël?", "Été-Noël¿"},
    });
}

TEST(CleanDialogFileName, AppliesTheDialogStepsInOrder)
{
    ExpectTable(CleanDialogFileName, {
        {"a\\\\b:c?d", "a\\b-c-d"},
        {"a\\\\\\b", "a\\\\b"},
        {"a\\b", "a\\b"},
        {"/*?\"<>|:", "----[]--"},
        {"Noël: été?", "Noël- été-"},
    });
}

TEST(FileNameParts, SplitAtTheLastDotOfTheWholeArgument)
{
    const struct {
        std::string name, extension, withoutExtension;
    } cases[] = {
        {"IMG.0042.JPG", "JPG", "IMG.0042"},
        {"Photos.2004\\IMG", "2004\\IMG", "Photos"},
        {"Photos.2004/IMG", "2004/IMG", "Photos"},
        {"IMG", "", "IMG"},
        {"sub\\IMG_0042.JPG", "JPG", "sub\\IMG_0042"},
        {"photo.", "", "photo"},
        {".hidden", "hidden", ""},
        {"Été.jpeg", "jpeg", "Été"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExtension(c.name), c.extension) << c.name;
        EXPECT_EQ(FileNameWithoutExtension(c.name), c.withoutExtension) << c.name;
    }
}

TEST(Utf8ToAnsi, KeepsUtf8AndDecodesWindows1252)
{
    ExpectTable(Utf8ToAnsi, {
        {"Noël à Paris", "Noël à Paris"},
        {"No\xEBl", "Noël"},
        {"plain ascii", "plain ascii"},
        {"", ""},
        // A character cut short at the end of a UTF-8 text is dropped.
        {"ab\xC3", "ab"},
        {"Noël\xC3", "Noël"},
        {"Noël \xE2\x82", "Noël "},
        // Without any sign of UTF-8 the last byte is a Windows-1252 letter.
        {"Caf\xE9", "Café"},
        {"\xE9t\xE9", "été"},
        {"price \xE2\x82", "price â‚"},
        // Windows-1252 bytes mixed with UTF-8 in one text.
        {"Noël \xE9t\xE9 !", "Noël été !"},
        {"\x80 \x9C \x8C \x85", "€ œ Œ …"},
        {"\x81", "\u0081"},
        // Overlong forms and surrogates are not UTF-8.
        {"\xC0\xAF", "À¯"},
        {"\xED\xA0\x80", "í\u00A0€"},
        {"€ 😀", "€ 😀"},
        // The text ends at its first NUL.
        {std::string("abc\0\xE9", 5), "abc"},
    });
}

TEST(FormatTextV, CutsToTheByteLimitWithoutSplittingACharacter)
{
    EXPECT_EQ(Format(100, "%s has %d photos", "Noël", 3), "Noël has 3 photos");
    EXPECT_EQ(Format(5, "%s", "abcdé"), "abcd");
    EXPECT_EQ(Format(6, "%s", "abcdé"), "abcdé");
    EXPECT_EQ(Format(4, "%s", "a😀"), "a");
    EXPECT_EQ(Format(3, "%s", "abcdef"), "abc");
    EXPECT_EQ(CutToBytes("\xE9\xE9\xE9\xE9", 2), "\xE9\xE9");
}
