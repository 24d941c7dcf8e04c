#include "CoreFixture.h"
#include "Outcomes.h"

#include "app/files/CRC32.h"
#include "app/files/IntegrityStamp.h"

#include <random>

namespace {

// The outer layer undone by hand: Base64, then the file decryption.
std::string innerOf(const std::string& outer)
{
    auto cipher = Base64Decode(outer);
    if (!cipher)
        return "<no base64>";
    SecretString k1 = kKey1, k2 = kKey2;
    auto plain = DecryptBytes(kProgramSuite, *cipher, k1, k2);
    return plain.result.isOk() ? std::string(plain.value.begin(), plain.value.end()) : "<no decryption>";
}

// Splits an inner layer into records of quoted fields, taking line breaks inside quotes as part of the field.
std::vector<std::vector<std::string>> splitInner(const std::string& inner)
{
    std::vector<std::vector<std::string>> records(1);
    std::size_t pos = 0;
    while (pos < inner.size()) {
        EXPECT_EQ(inner[pos], '"') << "at " << pos;
        const std::size_t close = inner.find('"', pos + 1);
        records.back().push_back(inner.substr(pos + 1, close - pos - 1));
        pos = close + 1;
        if (inner.compare(pos, 1, ",") == 0) {
            ++pos;
        } else {
            EXPECT_EQ(inner.substr(pos, 2), "\r\n");
            pos += 2;
            if (pos < inner.size())
                records.emplace_back();
        }
    }
    return records;
}

std::string randomText(std::mt19937& gen, std::size_t min, std::size_t max)
{
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;/@!#$%&*-_+=";
    std::uniform_int_distribution<std::size_t> len(min, max), pick(0, sizeof chars - 2);
    std::string s(len(gen), ' ');
    for (char& c : s)
        c = chars[pick(gen)];
    return s;
}

} // namespace

class AccountFileFormatTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        login.LoginUserName = "user";
        login.LoginPassword1 = "first";
        login.LoginPassword2 = "";
    }
};

TEST(AccountFileRecordNoTest, SignPosition)
{
    const std::pair<std::int16_t, const char*> cases[] = {{0, " 0"},         {7, " 7"},          {-3, "-3"},
                                                          {32767, " 32767"}, {-32768, "-32768"}, {123, " 123"}};
    for (const auto& [n, text] : cases)
        EXPECT_EQ(FormatRecordNo(n), text);
}

TEST_F(AccountFileFormatTest, KnownTableIsStoredFieldByField)
{
    const AccountTable table = sampleTable();
    saveSample(table);
    EXPECT_FALSE(folder.exists("settings2.dat"));
    EXPECT_FALSE(folder.exists("config2.dat"));

    // Outer layer: Base64 of the encrypted inner layer in lines of 76, and nothing else.
    const std::string outer = folder.read("settings.dat");
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < outer.size(); ++i) {
        const char c = outer[i];
        if (c == '\r') {
            ASSERT_EQ(outer[i + 1], '\n');
            EXPECT_EQ(i - lineStart, 76u);
            lineStart = i + 2;
            ++i;
        } else {
            ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=') << i;
        }
    }
    EXPECT_LE(outer.size() - lineStart, 76u);

    // Inner layer: six quoted fields per line, each the field's own encryption.
    const std::string inner = innerOf(outer);
    const auto records = splitInner(inner);
    ASSERT_EQ(records.size(), table.size());
    const AccountTable expected = asLoaded(table);
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(records[i].size(), 6u);
        const AccountRecord& r = expected[i];
        const std::string number = FormatRecordNo(r.RecordNo);
        const std::string_view plain[6] = {number,         r.AccountName,   r.Website,
                                           r.Notes.view(), r.UserId.view(), r.Password.view()};
        for (int f = 0; f < 6; ++f) {
            EXPECT_EQ(records[i][f], EncryptField(plain[f]).value) << "field " << f;
            EXPECT_EQ(DecryptField(records[i][f]).value, plain[f]) << "field " << f;
        }
    }
    EXPECT_EQ(inner, EncodeInnerLayer(login, table).value);
    EXPECT_EQ(records[0][1], EncryptField("t1ckb0xr00tm4rkrz").value);
    EXPECT_EQ(records[0][3], EncryptField("user").value); // from the login settings, not the table

    // A long field carries its line breaks inside the quotes.
    EXPECT_NE(records[3][3].find("\r\n"), std::string::npos);

    // The stamp: the encrypted hexadecimal CRC of the stored file; the display options are untouched.
    const std::uint32_t crc =
        cCRC32().GetByteArrayCrc32(reinterpret_cast<const unsigned char*>(outer.data()), outer.size());
    OptionsRecord expectedOptions = OptionsRecord::defaults();
    expectedOptions.set(OptionsRecord::IntegrityStamp, EncryptField(StampText(crc)).value);
    EXPECT_EQ(folder.read("config.dat"), FormatOptionsLine(expectedOptions));
    EXPECT_EQ(state.AccountFileCrc, crc);
}

TEST_F(AccountFileFormatTest, SavingTwiceGivesIdenticalBytesAndStamp)
{
    saveSample(sampleTable());
    const std::string first = folder.read("settings.dat");
    const std::string firstOptions = folder.read("config.dat");
    saveSample(sampleTable());
    EXPECT_EQ(folder.read("settings.dat"), first);
    EXPECT_EQ(folder.read("config.dat"), firstOptions);
}

TEST_F(AccountFileFormatTest, SaveThenLoadGivesTheTableBack)
{
    AccountTable table = sampleTable();
    table.push_back({4, "t1ckb0xr00tm4rkrz", "marker as a name", "", "", ""});
    table.push_back({5, "", "", "", "", ""});
    table.push_back({6, "Ünïcödé ✓", std::string(500, 'w'), "line\r\nbreak", "tab\there", "a,b"});
    saveSample(table);

    OptionsRecord options;
    AccountTable loaded;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, loaded, locked)), "Loaded");
    EXPECT_EQ(loaded, asLoaded(table));
    EXPECT_EQ(options.get(OptionsRecord::MaskPassword), "true");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AccountFileFormatTest, LoadLeavesTheFilesExactlyAsTheyWere)
{
    saveSample(sampleTable());
    const std::string bytes = folder.read("settings.dat");
    const auto time = std::filesystem::last_write_time(folder.file("settings.dat"));
    const std::string options = folder.read("config.dat");

    // Twice in a row, as the start-up and then the main window load it.
    for (int i = 0; i < 2; ++i) {
        OptionsRecord o;
        AccountTable t;
        EXPECT_EQ(outcome(LoadAccountFile(state, login, o, t, locked)), "Loaded");
        EXPECT_EQ(folder.read("settings.dat"), bytes);
        EXPECT_EQ(std::filesystem::last_write_time(folder.file("settings.dat")), time);
        EXPECT_EQ(folder.read("config.dat"), options);
        EXPECT_FALSE(folder.exists("settings2.dat"));
    }
}

TEST_F(AccountFileFormatTest, NoAccountFileGivesTheHeaderFromTheLoginSettings)
{
    folder.write("config.dat", kDefaultOptionsLine);
    OptionsRecord options;
    AccountTable table = sampleTable();
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "NoFile");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0], MakeHeaderRecord("user", "first", ""));
    EXPECT_EQ(options, OptionsRecord::defaults());
}

// The stamp goes with the file: one left behind would name a file lost or still arriving.
TEST_F(AccountFileFormatTest, OnlyTheHeaderLeftRemovesTheFileAndEmptiesTheStamp)
{
    saveSample(sampleTable());
    OptionsRecord emptied;
    ASSERT_TRUE(ReadOptionsFile(folder.str(), emptied).value);
    emptied.set(OptionsRecord::IntegrityStamp, "");
    const std::string options = FormatOptionsLine(emptied);
    for (const AccountTable& table : {AccountTable{sampleTable()[0]}, AccountTable{}}) {
        state.IdleTickCount = 9;
        const Result r = SaveAccountFile(state, login, table);
        EXPECT_EQ(outcome(r), "Ok");
        EXPECT_FALSE(folder.exists("settings.dat"));
        EXPECT_FALSE(folder.exists("settings2.dat"));
        EXPECT_EQ(folder.read("config.dat"), options);
        EXPECT_EQ(state.IdleTickCount, 0);
    }
    EXPECT_TRUE(platform.messages.empty()); // the window shows the success message, not the core
}

TEST_F(AccountFileFormatTest, SaveResetsTheIdleCount)
{
    state.IdleTickCount = 7;
    saveSample(sampleTable());
    EXPECT_EQ(state.IdleTickCount, 0);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AccountFileFormatTest, LargestTableRoundTrips)
{
    std::mt19937 gen(42);
    AccountTable table;
    table.reserve(kMaxRecords);
    table.push_back(MakeHeaderRecord("", "", ""));
    for (std::size_t i = 1; i < kMaxRecords; ++i)
        table.push_back({static_cast<std::int16_t>(i), randomText(gen, 5, 100), randomText(gen, 5, 100),
                         randomText(gen, 5, 100), randomText(gen, 5, 100), randomText(gen, 5, 100)});
    saveSample(table);

    OptionsRecord options;
    AccountTable loaded;
    ASSERT_EQ(outcome(LoadAccountFile(state, login, options, loaded, locked)), "Loaded");
    ASSERT_EQ(loaded.size(), kMaxRecords);
    EXPECT_TRUE(loaded == asLoaded(table));
    EXPECT_EQ(loaded.back().RecordNo, 32765);
}

TEST_F(AccountFileFormatTest, MalformedInnerLayersAreRejectedWhole)
{
    const std::string empty = EncryptField("").value;
    const std::string h = "\"" + EncryptField(" 0").value + "\",\"" + EncryptField(kHeaderMarker).value + "\",\"" +
                          EncryptField("na").value + "\",\"" + empty + "\",\"" + empty + "\",\"" + empty + "\"\r\n";
    auto line = [](const std::string& no, int fields = 6) {
        std::string s;
        for (int f = 0; f < fields; ++f)
            s += (f ? ",\"" : "\"") + EncryptField(f == 0 ? no : "x").value + "\"";
        return s + "\r\n";
    };
    ASSERT_TRUE([&] {
        AccountTable t;
        return DecodeInnerLayer(h + line(" 1"), t) && t.size() == 2 && t[1].RecordNo == 1;
    }());

    struct Case
    {
        const char* what;
        std::string inner;
    };
    const Case cases[] = {
        {"no record", ""},
        {"only line breaks", "\r\n\r\n"},
        {"record number not a number", h + line("abc")},
        {"record number empty", h + line("")},
        {"record number out of range", h + line(" 40000")},
        {"record number with a fraction", h + line(" 1.5")},
        {"five fields", h + line(" 1", 5)},
        {"seven fields", h + line(" 1", 7)},
        {"field that does not decrypt", h + "\"QUJD\"" + line(" 1").substr(line(" 1").find(','))},
        {"field not Base64 cipher text", h + "\"!!!!\"" + line(" 1").substr(line(" 1").find(','))},
        {"missing closing quote", h + line(" 1").substr(0, 30)},
        {"text outside the quotes", h + "x" + line(" 1")},
        {"junk after the last field", h + line(" 1").substr(0, line(" 1").size() - 2) + "x\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AccountTable table = sampleTable();
        EXPECT_FALSE(DecodeInnerLayer(c.inner, table));
        EXPECT_EQ(table, sampleTable());
    }
}

// A number is read with its blanks and sign (anything else is damage), and the row then carries its place: a
// crafted number never points at another row.
TEST_F(AccountFileFormatTest, RecordNumbersReadWithBlanksAndSignsThenNumberedByPlace)
{
    for (const std::string text : {" 7", "-3", "  12  ", "+5", "-32768", " 32767"}) {
        SCOPED_TRACE(text);
        std::string inner;
        for (int f = 0; f < 6; ++f)
            inner += (f ? ",\"" : "\"") + EncryptField(f == 0 ? text : kHeaderMarker).value + "\"";
        AccountTable t;
        ASSERT_TRUE(DecodeInnerLayer(inner + "\r\n" + inner + "\r\n", t));
        EXPECT_EQ(t[0].RecordNo, 0);
        EXPECT_EQ(t[1].RecordNo, 1);
    }
}

// Large tables are sealed and opened on several threads; the bytes must be those of one field at a time.
TEST_F(AccountFileFormatTest, LargeTableEncodesAsFieldByField)
{
    std::mt19937 gen(11);
    AccountTable table{MakeHeaderRecord("", "", "")};
    for (int i = 1; i <= 3000; ++i) {
        AccountRecord r;
        r.RecordNo = static_cast<std::int16_t>(i);
        r.AccountName = randomText(gen, 1, 50);
        r.Website = randomText(gen, 0, 100);
        r.Notes = randomText(gen, 0, 100);
        r.UserId = randomText(gen, 0, 50);
        r.Password = randomText(gen, 0, 50);
        table.push_back(r);
    }
    std::string expected;
    auto line = [&expected](const std::array<std::string_view, 6>& fields) {
        for (std::size_t f = 0; f < fields.size(); ++f)
            expected += "\"" + EncryptField(fields[f]).value + (f + 1 < fields.size() ? "\"," : "\"\r\n");
    };
    line({" 0", "t1ckb0xr00tm4rkrz", "na", "user", "first", ""});
    for (std::size_t i = 1; i < table.size(); ++i) {
        const AccountRecord& r = table[i];
        line(
            {FormatRecordNo(r.RecordNo), r.AccountName, r.Website, r.Notes.view(), r.UserId.view(), r.Password.view()});
    }
    const Outcome<std::string> encoded = EncodeInnerLayer(login, table);
    ASSERT_TRUE(encoded.result.isOk());
    const std::string& inner = encoded.value;
    ASSERT_EQ(inner, expected);

    AccountTable back;
    ASSERT_TRUE(DecodeInnerLayer(inner, back));
    EXPECT_EQ(back, asLoaded(table));

    // One damaged field anywhere, here late in the second half, fails the whole file.
    std::string damaged = inner;
    damaged[damaged.size() - 40] = damaged[damaged.size() - 40] == 'A' ? 'B' : 'A';
    AccountTable untouched = back;
    EXPECT_FALSE(DecodeInnerLayer(damaged, untouched));
    EXPECT_EQ(untouched, back);
}
