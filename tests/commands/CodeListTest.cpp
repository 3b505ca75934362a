#include "CodeList.h"

#include <gtest/gtest.h>

namespace lettore::test {
namespace {

// "line:code" per entry and "line:kind:cell" per problem, "|" between, then the header's line.
std::string readOf(const CodeList& list)
{
    const char* kinds[] = {"malformed", "overlong", "duplicate"};
    std::string out;
    for (const auto& entry : list.entries)
        out += std::to_string(entry.line) + ":" + entry.code + "|";
    for (const auto& issue : list.issues)
        out += std::to_string(issue.line) + ":" + kinds[int(issue.problem)] + ":" + issue.text + "|";
    return out + "header " + std::to_string(list.headerLine);
}

// UTF-16 of ASCII text, with its byte-order mark.
std::string utf16(const std::string& text, bool little)
{
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text)
        out += little ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
}

// Codes padded from whatever a spreadsheet or editor saved; every other non-blank line is a problem.
TEST(CodeListTest, ReadsEveryFormAndNamesEveryProblem)
{
    const struct {
        const char* name;
        std::string bytes, read;
    } rows[] = {
        {"one a line, padded", "42\n0000000043\n7", "1:0000000042|2:0000000043|3:0000000007|header 0"},
        {"CR LF, CR alone, blank lines", "1\r\n\r\n2\r3\r\n", "1:0000000001|3:0000000002|4:0000000003|header 0"},
        {"UTF-8 mark before a code",
         "\xEF\xBB\xBF"
         "0042\n43\n",
         "1:0000000042|2:0000000043|header 0"},
        {"UTF-16 little-endian", utf16("Codice\r\n42\r\n", true), "2:0000000042|header 1"},
        {"UTF-16 big-endian, accent", utf16("Tessera\xE8\n42\n", false), "2:0000000042|header 1"},
        {"header picks the column", "Nome,Badge\nRossi,42\n,\n", "2:0000000042|header 1"},
        {"semicolons, quoted comma", "Badge;Nome\n\"0042\";\"Rossi, Mario\"\n", "2:0000000042|header 1"},
        {"tabs, no header", "42\tRossi\n43\tBianchi\n", "1:0000000042|2:0000000043|header 0"},
        {"spreadsheet-safe cells, blanks", "=\"0000000042\"\n\"=\"\"43\"\"\"\n 44 \n",
         "1:0000000042|2:0000000043|3:0000000044|header 0"},
        {"malformed", "12a4,x\n4.2E+10\n-42\n+42\n42.0\n0042 17\n,Rossi\n",
         "1:malformed:12a4|2:malformed:4.2E+10|"
         "3:malformed:-42|4:malformed:+42|5:malformed:42.0|6:malformed:0042 17|7:malformed:|header 0"},
        {"UTF-16 without its mark", std::string("4\0002\0", 4) + "\n",
         "1:malformed:" + std::string("4\0002\0", 4) + "|header 0"},
        {"overlong, also behind zeros", "12345678901\n00000000042\n",
         "1:overlong:12345678901|2:overlong:00000000042|header 0"},
        {"duplicates after padding", "42\n0000000042\n43\n042\n",
         "1:0000000042|3:0000000043|2:duplicate:0000000042|4:duplicate:042|header 0"},
        {"a header only on the first line", "Codice\nBadge\n", "2:malformed:Badge|header 1"},
        {"a first line with a digit is data", "Badge 1\n42\n", "2:0000000042|1:malformed:Badge 1|header 0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(readOf(CodeList::parse(row.bytes)), row.read) << row.name;
}

TEST(CodeListTest, MessagesNameTheCellAndWhatToDo)
{
    const CodeList list = CodeList::parse("42\n4.2E+10\n0042\n\n");
    ASSERT_EQ(list.issues.size(), 2u);
    EXPECT_EQ(
        list.issues[0].message(),
        "not a badge code (1 to 10 digits): \"4.2E+10\"; a spreadsheet made it a number: format the column as text");
    EXPECT_EQ(list.issues[1].message(), "badge code 0000000042 (\"0042\") is already on line 1");
}

}  // namespace
}  // namespace lettore::test
