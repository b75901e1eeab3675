// The rename pattern language and the "%N" counter, on records made in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Kivlocal.h"
#include "catalogue/DateTimeValue.h"
#include "rename/RenamePattern.h"

using lumitag::Titem;

namespace {

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return *lumitag::EncodeDateTime({year, month, day, hour, minute, second, 0});
}

Titem Record(const std::string& fileName, double dateTime, const std::string& description = "",
             const std::string& comment = "", const std::string& artist = "")
{
    Titem record;
    record.fileName = fileName;
    record.dateTime = dateTime;
    record.hasDate = dateTime != 0;
    record.imageDescription = description;
    record.userComment = comment;
    record.artist = artist;
    return record;
}

class InLanguage {
public:
    explicit InLanguage(int language) { SetCurrentLanguage(language); }
    ~InLanguage() { SetCurrentLanguage(0); }
};

// The sample folder: the fifth record, the third of 9 July 2004, is
// IMG_0042.JPG in /Pictures/Trips/Rome/.
class SampleFolder : public ::testing::Test {
protected:
    const std::string root = "/Pictures/Trips/Rome/";
    std::vector<Titem> folder = {
        Record("IMG_0001.JPG", At(2004, 7, 7, 12, 0, 0)),
        Record("IMG_0010.JPG", At(2004, 7, 8, 10, 0, 0)),
        Record("IMG_0020.JPG", At(2004, 7, 9, 8, 0, 0)),
        Record("IMG_0030.JPG", At(2004, 7, 9, 11, 30, 0)),
        Record("IMG_0042.JPG", At(2004, 7, 9, 14, 5, 3), "Beach party ", "Summer holidays", "Anne"),
        Record("IMG_0050.JPG", At(2004, 7, 10, 9, 0, 0)),
    };
    const Titem& sample() const { return folder[4]; }

    std::string Name(const std::string& pattern, int startIndex = 1, bool fold = false, bool spaces = false) const
    {
        return lumitag::BuildNewFileName(pattern, sample(), folder, startIndex, root, fold, spaces);
    }
    // The same pattern for a record alone in its folder.
    std::string NameOf(const std::string& pattern, const Titem& record, const std::string& rootFolder,
                       bool fold = false, bool spaces = false) const
    {
        const std::vector<Titem> alone = {record};
        return lumitag::BuildNewFileName(pattern, alone.front(), alone, 1, rootFolder, fold, spaces);
    }
};

TEST_F(SampleFolder, EveryPatternOfTheReferenceTable)
{
    InLanguage english(0);
    const struct {
        const char* pattern;
        const char* expected;
    } cases[] = {
        {"%Y-%M2-%D2.%ND2.%I", "2004-07-09.03.Beach party.jpg"},
        {"%N2.%I", "05.Beach party.jpg"},
        {"%U - %I - %D %M %y2", "Summer holidays - Beach party - 9 7 04.jpg"},
        {"%DD %D %MM %Y", "Friday 9 July 2004.jpg"},
        {"%Dd %Mm %y", "Fri Jul 4.jpg"},
        {"%h%m%s", "1453.jpg"},
        {"%h2%m2%s2", "140503.jpg"},
        {"%N3", "005.jpg"},
        {"%U6", "Summer.jpg"},
        {"%U8:8", "holidays.jpg"},
        {"%U8:", "holidays.jpg"},
        {"%U8:0", "Summer h.jpg"},
        {"%U:3", "Summer holidays.jpg"},
        {"%Y4:2", "2004.jpg"},
        {"%A%I", "AnneBeach party.jpg"},
        {"%F_%P_%PP", "IMG_0042_Rome_Trips.jpg"},
        {"100%", "100.jpg"},
        {"%X%Y", "%X2004.jpg"},
        {"%%Y", "%%Y.jpg"},
        {"%MMm", "Jul.jpg"},
        {"%Y %MM", "2004 July.jpg"},
        {"%Nd", "5d.jpg"},
        {"", ".jpg"},
        // Doubled letters at the very end, and leading or trailing blanks kept.
        {"%Y %DD", "2004 Friday.jpg"},
        {" %Y ", " 2004 .jpg"},
        {"%NY %NM %Ns", "5 5 1.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Name(c.pattern), c.expected) << "pattern \"" << c.pattern << "\"";
}

TEST_F(SampleFolder, ARecordWithoutDateExpandsAsDayZero)
{
    InLanguage english(0);
    EXPECT_EQ(NameOf("%Y-%M2-%D2 %DD", Record("IMG_0042.JPG", 0), root), "1899-12-30 Saturday.jpg");
}

TEST_F(SampleFolder, FoldersOfTheRecord)
{
    const struct {
        const char* fileName;
        const char* root;
        const char* expected;
    } cases[] = {
        {"2004/IMG_0042.JPG", "/Pictures/Trips/", "2004-IMG_0042 [2004] [Trips].jpg"},
        {"IMG_0042.JPG", "/", "IMG_0042 [] [].jpg"},
        {"IMG_0042.JPG", "/Rome/", "IMG_0042 [Rome] [].jpg"},
        // A record named by its full path has its own folders.
        {"/Other/Place/IMG_0042.JPG", "/Pictures/", "-Other-Place-IMG_0042 [Place] [Other].jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameOf("%F [%P] [%PP]", Record(c.fileName, At(2004, 7, 9)), c.root), c.expected)
            << c.fileName << " under " << c.root;
}

TEST_F(SampleFolder, TextsAndTheirCleaning)
{
    const Titem unreadable = Record("a.jpg", 0, "?", "?", "?");
    const Titem accents = Record("IMG.JPEG", At(2004, 7, 9), "Été à Noël", "a/b: \"c\" <*> |", "Zoë_  ");
    const struct {
        const Titem* record;
        const char* pattern;
        bool fold, spaces;
        const char* expected;
    } cases[] = {
        {&unreadable, "%I", false, false, "¿.jpg"},
        {&accents, "%I", false, false, "Été à Noël.jpeg"},
        {&accents, "%I", true, false, "ete a Noel.jpeg"},
        {&accents, "%I", true, true, "ete_a_Noel.jpeg"},
        {&accents, "%I %A", false, true, "Été_à_Noël_Zoë_.jpeg"},
        {&accents, "%U", false, false, "a-b. ''c'' [¤] !.jpeg"},
        // Counts and positions are characters, not bytes.
        {&accents, "%I2", false, false, "Ét.jpeg"},
        {&accents, "%I5:3", false, false, "à N.jpeg"},
        {&accents, "%I9:", false, false, "ël.jpeg"},
        {&accents, "%I20:2", false, false, ".jpeg"},
        // The piece is trimmed after it is cut.
        {&accents, "[%I4:3]", false, false, "[à].jpeg"},
        // Literal accents are folded too, the extension never.
        {&accents, "Noël %I3", true, false, "Noel ete.jpeg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameOf(c.pattern, *c.record, root, c.fold, c.spaces), c.expected)
            << "pattern \"" << c.pattern << "\" on \"" << c.record->imageDescription << "\"";
}

TEST_F(SampleFolder, FrenchNames)
{
    InLanguage french(1);
    EXPECT_EQ(Name("%MM %Dd %Mm %DD"), "juillet ven juil vendredi.jpg");
}

TEST_F(SampleFolder, YearWithoutCountHasNoLeadingZero)
{
    EXPECT_EQ(NameOf("%y|%y2|%y3", Record("a.jpg", At(2009, 1, 1)), root), "9!09!009.jpg");
    EXPECT_EQ(NameOf("%y", Record("a.jpg", At(2000, 1, 1)), root), "0.jpg");
}

TEST_F(SampleFolder, HugeSuffixesAreBoundedNotOverflowed)
{
    const std::string tooLong = "99999999999999999999999";
    // A text count past the end takes the whole text; a position past it none.
    EXPECT_EQ(Name("%U" + tooLong), "Summer holidays.jpg");
    EXPECT_EQ(Name("%U8:" + tooLong), "holidays.jpg");
    EXPECT_EQ(Name("[%U" + tooLong + ":2]"), "[].jpg");
    // A number is padded to at most a file name's length.
    const std::string padded = Name("%N" + tooLong);
    EXPECT_EQ(padded, std::string(lumitag::kMaxPaddedDigits - 1, '0') + "5.jpg");
    EXPECT_EQ(Name("%N" + std::to_string(lumitag::kMaxPaddedDigits + 1)), padded);
}

TEST_F(SampleFolder, StartIndexAndItsSign)
{
    EXPECT_EQ(Name("%N", -5), "-1.jpg");
    EXPECT_EQ(NameOf("%N3", Record("a.jpg", 0), root), "001.jpg");
    const std::vector<Titem> two = {Record("a.jpg", At(2004, 1, 1)), Record("b.jpg", At(2004, 1, 2))};
    EXPECT_EQ(lumitag::BuildNewFileName("%N3", two[0], two, -5, root, false, false), "-05.jpg");
    EXPECT_EQ(lumitag::BuildNewFileName("%N3", two[1], two, -5, root, false, false), "-04.jpg");
    // The extremes of the start index neither overflow nor wrap.
    EXPECT_EQ(lumitag::BuildNewFileName("%N", two[1], two, 2147483647, root, false, false), "2147483648.jpg");
    EXPECT_EQ(lumitag::BuildNewFileName("%N", two[0], two, -2147483647 - 1, root, false, false), "-2147483648.jpg");
}

// ---- the index counter

TEST(ResetKey, HoldsEveryFieldDownToTheUnit)
{
    const double when = At(2004, 7, 9, 14, 5, 3);
    const struct {
        lumitag::ResetUnit unit;
        const char* key;
    } cases[] = {{'Y', "2004"},     {'M', "200407"},       {'D', "20040709"},          {'h', "2004070914"},
                 {'m', "200407091405"}, {'s', "20040709140503"}, {lumitag::kNoReset, ""}, {'x', ""}};
    for (const auto& c : cases)
        EXPECT_EQ(lumitag::ResetKey(when, c.unit), c.key) << "unit '" << c.unit << "'";
    EXPECT_EQ(lumitag::ResetKey(At(987, 1, 2, 3, 4, 5), 's'), "09870102030405");
}

std::vector<long long> Indices(const std::vector<Titem>& folder, int startIndex, lumitag::ResetUnit unit)
{
    std::vector<long long> indices;
    for (const auto& record : folder)
        indices.push_back(lumitag::RenameIndex(folder, record, startIndex, unit));
    return indices;
}

// 8 July 2004 10:00, then 9 July 2004 09:00, 09:30 and 18:00.
std::vector<Titem> JulyRecords()
{
    return {Record("a.jpg", At(2004, 7, 8, 10, 0, 0)), Record("b.jpg", At(2004, 7, 9, 9, 0, 0)),
            Record("c.jpg", At(2004, 7, 9, 9, 30, 0)), Record("d.jpg", At(2004, 7, 9, 18, 0, 0))};
}

TEST(RenameIndex, RestartsWhenTheKeyOfTheUnitChanges)
{
    const std::vector<Titem> july = JulyRecords();
    const std::vector<Titem> januaries = {Record("a.jpg", At(2004, 1, 31)), Record("b.jpg", At(2005, 1, 31))};
    const std::vector<Titem> sameSecond = {Record("a.jpg", At(2004, 7, 9, 9, 0, 0)),
                                           Record("b.jpg", At(2004, 7, 9, 9, 0, 0))};
    using V = std::vector<long long>;
    const struct {
        const std::vector<Titem>* folder;
        int start;
        lumitag::ResetUnit unit;
        V expected;
    } cases[] = {
        {&july, 1, lumitag::kNoReset, V{1, 2, 3, 4}},
        {&july, 1, 'D', V{1, 1, 2, 3}},
        {&july, 1, 'h', V{1, 1, 2, 1}},
        {&july, 1, 'Y', V{1, 2, 3, 4}},
        {&july, 1, 'M', V{1, 2, 3, 4}},
        {&july, 1, 'm', V{1, 1, 1, 1}},
        {&july, 0, 'D', V{0, 0, 1, 2}},
        {&july, -5, lumitag::kNoReset, V{-5, -4, -3, -2}},
        {&januaries, 1, 'M', V{1, 1}},
        {&sameSecond, 1, 's', V{1, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Indices(*c.folder, c.start, c.unit), c.expected) << "unit '" << c.unit << "' from " << c.start;
        // The numbering of a walk gives the same numbers.
        lumitag::FolderNumbering numbering(c.start);
        V walked;
        for (const auto& record : *c.folder) {
            numbering.Next(record.dateTime);
            walked.push_back(numbering.Index(c.unit));
        }
        EXPECT_EQ(walked, c.expected) << "walk, unit '" << c.unit << "' from " << c.start;
    }
}

TEST(RenameIndex, PaddedDailyNumbersFromZero)
{
    const std::vector<Titem> july = JulyRecords();
    std::vector<std::string> names;
    for (const auto& record : july)
        names.push_back(lumitag::BuildNewFileName("%ND2", record, july, 0, "/p/", false, false));
    EXPECT_EQ(names, (std::vector<std::string>{"00.jpg", "00.jpg", "01.jpg", "02.jpg"}));
}

TEST(RenameIndex, FindsTheRecordByIdentityNotByContents)
{
    const std::vector<Titem> folder = {Record("a.jpg", At(2004, 1, 1)), Record("a.jpg", At(2004, 1, 1))};
    EXPECT_EQ(lumitag::RenameIndex(folder, folder[1], 1, lumitag::kNoReset), 2);
    const Titem copy = folder[0];
    EXPECT_EQ(lumitag::RenameIndex(folder, copy, 1, lumitag::kNoReset), -1);
}

}  // namespace
