#include "app/files/CsvReader.h"

#include "CheckingAllocator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

TEST(CsvReader, ReadsRowsAsWritten)
{
    const struct
    {
        const char* what;
        std::string bytes;
        Rows rows;
        std::vector<int> lines;
    } cases[] = {
        {"plain, LF", "a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"CR LF, no end", "a,b\r\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"lone CR", "a\rb\r", {{"a"}, {"b"}}, {1, 2}},
        {"byte-order mark", "\xEF\xBB\xBFname\n", {{"name"}}, {1}},
        {"quoted comma, doubled quote", "\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}, {1}},
        {"line breaks in quotes",
         "\"one\r\ntwo\nthree\",z\r\nnext\r\n",
         {{"one\r\ntwo\nthree", "z"}, {"next"}},
         {1, 4}},
        {"empty values", ",\"\",\n", {{"", "", ""}}, {1}},
        {"rows wider and narrower than the header",
         "a\nb,\"c,\"\"d\",e\nf\n",
         {{"a"}, {"b", "c,\"d", "e"}, {"f"}},
         {1, 2, 3}},
        {"empty lines carry no row", "\n\r\na\n\n", {{"a"}}, {3}},
        {"quote inside a bare value", "a\"b,c\n", {{"a\"b", "c"}}, {1}},
        {"non-ASCII", "Caf\xC3\xA9,\xF0\x9F\x94\x91\n", {{"Caf\xC3\xA9", "\xF0\x9F\x94\x91"}}, {1}},
        {"empty file", "", {}, {}},
        {"quotes at the ends of values",
         "a,b,c\n\"\"\"x\",\"y\"\"\",\"\"\"\"\n",
         {{"a", "b", "c"}, {"\"x", "y\"", "\""}},
         {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CsvResult r = ReadCsv(c.bytes);
        ASSERT_TRUE(r.result.isOk()) << r.result.message();
        EXPECT_EQ(r.value.rows, c.rows);
        EXPECT_EQ(r.value.lines, c.lines);
        // Rows are as wide as their line from the start: a grown row would leave moved values unwiped.
        for (const auto& row : r.value.rows)
            EXPECT_EQ(row.capacity(), row.size());
    }
}

TEST(CsvReader, RefusesMalformedTextNamingTheLine)
{
    const struct
    {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"a,b\n\"c,d\ne", "Line 2: a value starts with a double quote that is never closed: the file ends inside it, "
                          "so it may have been cut short."},
        {"a\n\"b\"c\n", "Line 2: there is text after the closing double quote of a value; values must be separated "
                        "by commas."},
        {"a\n\"x\ny\"z", "Line 3: there is text after the closing double quote of a value; values must be separated "
                         "by commas."},
        {"a\nb\n\xC3(\n", "Line 3: the text is not valid UTF-8."},
    };
    for (const auto& c : cases) {
        const CsvResult r = ReadCsv(c.bytes);
        EXPECT_EQ(r.result.message(), c.message) << c.bytes;
        EXPECT_TRUE(r.value.rows.empty());
    }
}

// Values too long to be kept inside the string, read before a malformed line: the failure wipes them all, and so
// does every buffer on the way (a quoted value grown by appends would leave copies behind), in both dialects.
TEST(CsvReader, AFailureAfterSecretRowsLeavesNoUnwipedCopy)
{
    using Checked = std::basic_string<char, std::char_traits<char>, CheckingAllocator>;
    const std::string secret = "a password long enough for the heap";
    const std::string row = "\"" + secret + "\",\"" + secret + " \"\"quoted\"\"\"," + secret + "\r\n";
    for (const CsvDialect dialect : {CsvDialect::Common, CsvDialect::Exchange})
        for (const std::string& fault : {std::string("\"never closed"), "\"x\",\"" + secret + "\" x\r\n"}) {
            SCOPED_TRACE(fault);
            CheckingAllocator::reset();
            {
                const auto r = ReadCsvRows<Checked>(row + row + fault, dialect);
                EXPECT_FALSE(r.result.isOk());
                EXPECT_TRUE(r.value.rows.empty());
            }
            EXPECT_GE(CheckingAllocator::allocations, 6);
            EXPECT_EQ(CheckingAllocator::releases, CheckingAllocator::allocations);
            EXPECT_EQ(CheckingAllocator::dirtyReleases, 0);
        }
}
