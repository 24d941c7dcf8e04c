#include "CoreFixture.h"

#include "app/files/Paths.h"

namespace {

using F = OptionsRecord::Field;

// The values as read, nothing (unassigned) written as "-".
std::string show(const OptionsRecord& r)
{
    std::string s;
    for (const auto& v : r.values)
        s += (v ? "[" + *v + "]" : std::string("-"));
    return s;
}

} // namespace

class OptionsFileTest : public CoreFixture
{
};

TEST_F(OptionsFileTest, DefaultLineIsExact)
{
    EXPECT_EQ(FormatOptionsLine(OptionsRecord::defaults()), kDefaultOptionsLine);
    ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk());
    EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine);
    EXPECT_FALSE(folder.exists("config2.dat"));
    EXPECT_EQ(ParseOptionsLine(kDefaultOptionsLine), OptionsRecord::defaults());
}

TEST_F(OptionsFileTest, UnassignedValuesAreWrittenAsNothingAndReadBackUnassigned)
{
    OptionsRecord r;
    r.set(F::IntegrityStamp, "");
    EXPECT_EQ(FormatOptionsLine(r), ",,\"\",,,,,,,\r\n");
    EXPECT_EQ(ParseOptionsLine(FormatOptionsLine(r)), r);
    EXPECT_EQ(FormatOptionsLine(OptionsRecord()), ",,,,,,,,,\r\n");
}

TEST_F(OptionsFileTest, ChangingOneValueKeepsTheOthers)
{
    OptionsRecord r = OptionsRecord::defaults();
    r.set(F::IntegrityStamp, "AbC+/=");
    r.set(F::MaskNotes, "true");
    EXPECT_EQ(FormatOptionsLine(r),
              "\"\",\"\",\"AbC+/=\",\"true\",\"true\",\"false\",\"true\",\"\",\"true\",\"true\"\r\n");
    ASSERT_TRUE(WriteOptionsFile(folder.str(), r).isOk());
    OptionsRecord back;
    ASSERT_TRUE(ReadOptionsFile(folder.str(), back).value);
    EXPECT_EQ(back, r);
}

TEST_F(OptionsFileTest, ReadsAnyLineLeniently)
{
    struct Case
    {
        std::string text;
        std::string values;
    };
    const Case cases[] = {
        {"", "----------"},
        {"\r\n", "----------"},
        {"\"a\",\"b\"\r\n", "[a][b]--------"},
        {"\"a\",\"b\"", "[a][b]--------"},
        {"true, false ,  x y  ,,\"\"", "[true][false][x y]-[]-----"},
        {"\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",\"10\",\"11\"\r\n", "[1][2][3][4][5][6][7][8][9][10]"},
        {"\"a,b\",\"c\"", "[a,b][c]--------"},                    // a quoted comma is text
        {"\"open", "[open]---------"},                            // no closing quote: the rest of the text
        {"\"a\"junk,\"b\"", "[a][b]--------"},                    // junk after a closing quote is dropped
        {"\"a\",\"b\"\r\n\"c\",\"d\"\r\n", "[a][b][c][d]------"}, // values go on over lines
        {"a\nb\rc", "[a][b][c]-------"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(show(ParseOptionsLine(c.text)), c.values);
    }
}

TEST_F(OptionsFileTest, TrueAndFalseReadAsymmetrically)
{
    struct Case
    {
        F field;
        std::optional<std::string> value;
        bool on;
    };
    const Case cases[] = {
        {F::AlwaysOnTop, "true", true},        {F::AlwaysOnTop, "TRUE", false},  {F::AlwaysOnTop, "", false},
        {F::AlwaysOnTop, std::nullopt, false}, {F::AlwaysOnTop, "false", false}, {F::MaskNotes, "false", false},
        {F::MaskNotes, "FALSE", true},         {F::MaskNotes, "", true},         {F::MaskNotes, std::nullopt, true},
        {F::MaskNotes, "true", true},          {F::ShowToolTips, "no", true},    {F::DragDropMode, "False", true},
        {F::MaskUserId, "false", false},       {F::MaskPassword, "0", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " " + c.value.value_or("(unassigned)"));
        OptionsRecord r = OptionsRecord::defaults();
        r.values[c.field] = c.value;
        // Through the file, as the windows read it.
        ASSERT_TRUE(WriteOptionsFile(folder.str(), r).isOk());
        OptionsRecord back;
        ASSERT_TRUE(ReadOptionsFile(folder.str(), back).value);
        EXPECT_EQ(back.isOn(c.field), c.on);
    }
}

TEST_F(OptionsFileTest, MissingFileLeavesTheRecordAsItWas)
{
    OptionsRecord r;
    r.set(F::MaskNotes, "kept");
    const Outcome<bool> read = ReadOptionsFile(folder.str(), r);
    EXPECT_TRUE(read.result.isOk());
    EXPECT_FALSE(read.value);
    EXPECT_EQ(r.get(F::MaskNotes), "kept");
}

TEST_F(OptionsFileTest, UnreadableFileIsReportedWithItsName)
{
    makeBlockingFolder("config.dat");
    OptionsRecord r = OptionsRecord::defaults();
    const Outcome<bool> read = ReadOptionsFile(folder.str(), r);
    EXPECT_TRUE(read.result.isFailed());
    EXPECT_EQ(r, OptionsRecord::defaults());
    EXPECT_NE(read.result.message().find(folder.file("config.dat")), std::string::npos) << read.result.message();
}

TEST_F(OptionsFileTest, FailedWriteLeavesTheOldFile)
{
    OptionsRecord changed = OptionsRecord::defaults();
    changed.set(F::IntegrityStamp, "new");

    // A temporary file that cannot be created, and a disk that fills up halfway.
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way);
        TempFolder other;
        other.write("config.dat", kDefaultOptionsLine);
        if (way == 0)
            std::filesystem::create_directories(other.file("config2.dat") + "/x");
        else
            SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::WriteHalfway; });
        const Result r = WriteOptionsFile(other.str(), changed);
        EXPECT_TRUE(r.isFailed());
        EXPECT_NE(r.message().find(other.file("config2.dat")), std::string::npos) << r.message();
        EXPECT_EQ(other.read("config.dat"), kDefaultOptionsLine);
        if (way == 1) {
            EXPECT_FALSE(other.exists("config2.dat"));
        }
        SetFileFaultHookForTests({});
    }
}
