#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/line_reader.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

std::vector<std::string> AllLines(const std::string& bytes) {
    test::TempDir dir;
    dir.Write("f.txt", bytes);
    LineReader file;
    file.Open(dir.file("f.txt"));
    std::vector<std::string> lines;
    while (!file.Eof()) {
        lines.push_back(file.ReadLine());
    }
    file.Close();
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, LineEndsAndEndOfFile) {
    EXPECT_EQ(AllLines("a\r\nb\r\n"), (Lines{"a", "b"})) << "no empty line after the last CR LF";
    EXPECT_EQ(AllLines("a\nb"), (Lines{"a", "b"})) << "bare LF and a last line without an end";
    EXPECT_EQ(AllLines("a\rb\r\nc\r"), (Lines{"ab", "c"})) << "a lone CR is dropped";
    EXPECT_EQ(AllLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"})) << "empty lines are kept";
    EXPECT_EQ(AllLines("a\r\nb\x1a"
                       "c\r\nd\r\n"),
              (Lines{"a", "b"}))
        << "byte 26 ends the file";
    EXPECT_EQ(AllLines("\x1a"), Lines{});
    EXPECT_EQ(AllLines(""), Lines{});
}

TEST(LineReader, ALineOverTheLimitIsAnErrorNamingTheFileAndLine) {
    const std::string longest(LineReader::kMaxLineLength, 'x');
    EXPECT_EQ(AllLines(longest + "\r\nend\r\n"), (Lines{longest, "end"}));
    // A CR LF split across two reads of the underlying file is still one line end.
    const std::string beforeSplit(8191, 'y');
    EXPECT_EQ(AllLines(beforeSplit + "\r\nz"), (Lines{beforeSplit, "z"}));
    for (const std::size_t length : {LineReader::kMaxLineLength + 1, std::size_t{1} << 20}) {
        try {
            AllLines("a\r\n" + std::string(length, 'x') + "\r\n");
            ADD_FAILURE() << length;
        } catch (const InOutError& error) {
            EXPECT_EQ(error.code(), io_code::kLineTooLong);
            EXPECT_NE(error.details().find("/f.txt\n"), std::string::npos) << error.details();
            EXPECT_NE(error.details().find("line 2 is longer than 65536 bytes"), std::string::npos)
                << error.details();
        }
    }
}

TEST(LineReader, TextAfterTheEndMarkIsMoreThanBlanks) {
    for (const auto& [bytes, text] :
         {std::pair<std::string, bool>{"a\x1a\r\n \t\x1a", false}, {"a\x1a\r\nb\r\n", true}}) {
        test::TempDir dir;
        dir.Write("f", bytes);
        LineReader file;
        file.Open(dir.file("f"));
        EXPECT_EQ(file.ReadLine(), "a");
        EXPECT_EQ(file.TextAfterEndMark(), text);
        EXPECT_TRUE(file.Eof()) << "nothing after the mark is read as a line";
    }
}

TEST(LineReader, KeepsEveryOtherByteAsItIs) {
    const std::string bytes = std::string("\x00\x98\xff\xc0\t ", 6);
    EXPECT_EQ(AllLines(bytes + "\r\n"), Lines{bytes});
}

// A checker reads the lines the program reads, and learns how they are stored.
TEST(LineReader, StoredLinesAreTheLinesReadAndHowTheyWereStored) {
    const Lines samples = {"a\r\nb\r\n",
                           "a\nb",
                           "a\rb\r\nc\r",
                           "\r",
                           "a\r\r\nb",
                           "\r\n\r\n",
                           "x\r\n\x1a\r\n",
                           "\x1a",
                           "",
                           "a\r\x1a",
                           std::string(8191, 'y') + "\r\nz"};
    for (const auto& bytes : samples) {
        test::TempDir dir;
        dir.Write("f", bytes);
        LineReader file;
        file.Open(dir.file("f"));
        Lines stored;
        StoredLine line;
        while (!file.Eof()) {
            file.ReadStoredLine(line, 100000);
            stored.push_back(line.text);
        }
        file.Close();
        EXPECT_EQ(stored, AllLines(bytes)) << testing::PrintToString(bytes);
    }

    test::TempDir dir;
    dir.Write("f", "a\rb\nc\r\n" + std::string(50, 'x') + "\x1a" + "after");
    LineReader file;
    file.Open(dir.file("f"));
    StoredLine line;
    file.ReadStoredLine(line, 10);
    EXPECT_EQ(line.text, "ab");
    EXPECT_EQ(line.raw, "a\rb");
    EXPECT_EQ(line.end, StoredLine::End::kLf);
    file.ReadStoredLine(line, 10);
    EXPECT_EQ(line.end, StoredLine::End::kCrLf);
    file.ReadStoredLine(line, 10);
    EXPECT_EQ(line.raw, std::string(10, 'x')) << "only the start is kept";
    EXPECT_EQ(line.length, 50u);
    EXPECT_EQ(line.end, StoredLine::End::kNone);
    EXPECT_TRUE(file.Eof());
    EXPECT_TRUE(file.AtEndMark());
    EXPECT_EQ(file.BytesAfterEndMark(), 5u);
}

TEST(LineReader, ReadingPastTheEndGivesEmptyLinesAndZero) {
    test::TempDir dir;
    dir.Write("f.txt", "only\r\n");
    LineReader file;
    file.Open(dir.file("f.txt"));
    EXPECT_EQ(file.ReadLine(), "only");
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.ReadLine(), "");
    EXPECT_EQ(file.ReadInteger(), 0);
    file.SkipLine();
    EXPECT_EQ(file.ReadLine(), "");
}

TEST(LineReader, ReopeningStartsAgainAtTheFirstLine) {
    test::TempDir dir;
    dir.Write("f.txt", "one\r\ntwo\r\n");
    LineReader file;
    file.Open(dir.file("f.txt"));
    EXPECT_EQ(file.ReadLine(), "one");
    file.Open(file.Path());
    EXPECT_EQ(file.ReadLine(), "one");
}

struct IntegerCase {
    const char* name;
    const char* bytes;
    std::int32_t first;
    std::int32_t second;
};

class LineReaderInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(LineReaderInteger, ReadsTwoNumbers) {
    test::TempDir dir;
    dir.Write("n.txt", GetParam().bytes);
    LineReader file;
    file.Open(dir.file("n.txt"));
    EXPECT_EQ(file.ReadInteger(), GetParam().first);
    EXPECT_EQ(file.ReadInteger(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LineReaderInteger,
    testing::Values(IntegerCase{"Decimal", "70\r\n12\r\n", 70, 12},
                    IntegerCase{"Signs", "-5 +7", -5, 7},
                    IntegerCase{"BlanksAndLineEnds", "  \t\r\n\r\n 3\r\n\r\n  4", 3, 4},
                    IntegerCase{"Hexadecimal", "$ff 0x10", 255, 16},
                    IntegerCase{"HexTakesAllBits", "$FFFFFFFF -$10", -1, -16},
                    IntegerCase{"Limits", "2147483647 -2147483648", 2147483647, INT32_MIN},
                    IntegerCase{"EndOfFileIsZero", "9", 9, 0},
                    IntegerCase{"StopsAtByte26",
                                "8\x1a"
                                "9",
                                8, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LineReaderInteger, RejectsWhatIsNotA32BitInteger) {
    for (const std::string& bad :
         std::vector<std::string>{"abc", "12abc", "2147483648", "-2147483649", "$100000000", "0x",
                                  "$", "-", "1.5", std::string(33, '1')}) {
        test::TempDir dir;
        dir.Write("n.txt", bad + "\r\n");
        LineReader file;
        file.Open(dir.file("n.txt"));
        try {
            file.ReadInteger();
            ADD_FAILURE() << "accepted " << bad;
        } catch (const InOutError& error) {
            EXPECT_EQ(error.code(), 106) << bad;
            EXPECT_STREQ(error.what(), "Invalid numeric input");
        }
    }
}

TEST(LineReaderInteger, ThirtyTwoCharactersAreStillANumber) {
    test::TempDir dir;
    dir.Write("n.txt", std::string(31, '0') + "7");
    LineReader file;
    file.Open(dir.file("n.txt"));
    EXPECT_EQ(file.ReadInteger(), 7);
}

void ExpectOpenFails(const std::string& path, int code, const char* message) {
    LineReader file;
    try {
        file.Open(path);
        ADD_FAILURE() << "opened " << path;
    } catch (const InOutError& error) {
        EXPECT_EQ(error.code(), code) << path;
        EXPECT_STREQ(error.what(), message) << path;
    }
}

TEST(LineReaderOpen, FailuresCarryTheirCodes) {
    test::TempDir dir;
    ExpectOpenFails(dir.file("missing.txt"), 2, "File not found");
    ExpectOpenFails(dir.file("nofolder/missing.txt"), 3, "Invalid filename");
    dir.Write("plain", "x");
    ExpectOpenFails(dir.file("plain/below.txt"), 3, "Invalid filename");
}

TEST(LineReaderOpen, AFolderCannotBeReadAsAFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    LineReader file;
    try {
        file.Open(dir.file("folder"));
        file.Eof();
        ADD_FAILURE() << "read a folder";
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), "File access denied");
    }
}

TEST(LineReaderOpen, BackslashesAreFolderSeparators) {
    test::TempDir dir;
    dir.Write("dlg/7.dlg", "$a\r\n");
    LineReader file;
    file.Open(dir.prefix() + "dlg\\7.dlg");
    EXPECT_EQ(file.ReadLine(), "$a");
}

TEST(LineReaderOpen, APathLongerThan259IsNeverCutShort) {
    test::TempDir dir;
    const std::string name(259 - dir.prefix().size(), 'n');
    dir.Write(name, "fits\r\n");
    LineReader file;
    file.Open(dir.prefix() + name);
    EXPECT_EQ(file.ReadLine(), "fits");
    file.Close();
    // The same name with one more character must not open the shorter file.
    ExpectOpenFails(dir.prefix() + name + "x", 3, "Invalid filename");
}

TEST(LineReaderOpen, AClosedFileIsNeitherReadNorClosed) {
    LineReader file;
    EXPECT_THROW(file.ReadLine(), InOutError);
    try {
        file.Close();
        ADD_FAILURE();
    } catch (const InOutError& error) {
        EXPECT_EQ(error.code(), 103);
    }
}

}  // namespace
}  // namespace tumbo
