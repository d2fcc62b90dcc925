#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3";

class Registry : public testing::Test {
protected:
    std::string Read(const std::string& contents) {
        dir_.Write("tumbo3.reg", contents);
        return ReadRegistryString(dir_.file("tumbo3.reg"), kKey, "programdir");
    }
    test::TempDir dir_;
};

TEST_F(Registry, ReadsAStringValueWithItsEscapes) {
    EXPECT_EQ(Read("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\r\n"
                   "\"programdir\"=\"C:\\\\Dir\\\\\"\r\n"),
              "C:\\Dir\\");
    EXPECT_EQ(Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\n"
                   "\"other\"=\"x\"\n\"programdir\"=\"/home/a \\\"b\\\"/\"\n"),
              "/home/a \"b\"/");
}

TEST_F(Registry, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(Read("REGEDIT4\n[hkey_local_machine\\software\\TUMBO3]\n\"ProgramDir\"=\"/d/\"\n"),
              "/d/");
}

TEST_F(Registry, MissingFileKeyOrValueIsEmpty) {
    EXPECT_EQ(ReadRegistryString(dir_.file("none.reg"), kKey, "programdir"), "");
    EXPECT_EQ(Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\other]\n\"programdir\"=\"/x/\"\n"),
              "");
    EXPECT_EQ(Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\n\"other\"=\"/x/\"\n"), "");
    EXPECT_EQ(Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\n\"programdir\"=-\n"), "");
    EXPECT_EQ(Read(""), "");
}

TEST_F(Registry, ValuesOfAnotherKeyAreNotTaken) {
    EXPECT_EQ(Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\n\"programdir\"=\"/mine/\"\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3\\sub]\n\"programdir\"=\"/sub/\"\n"),
              "/mine/");
}

TEST_F(Registry, AnExpandableStringIsAString) {
    // "/opt/t/" as bytes, split over a continued line, ending at the zero byte.
    EXPECT_EQ(Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\n"
                   "\"programdir\"=hex(2):2f,6f,70,74,\\\n  2f,74,2f,00\n"),
              "/opt/t/");
}

TEST_F(Registry, OtherTypesAreRefused) {
    for (const std::string data : {"dword:00000001", "hex:2f,00", "hex(7):2f,00,00", "oops",
                                   "\"unterminated", "hex(2):zz"}) {
        try {
            Read("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\n\"programdir\"=" + data + "\n");
            ADD_FAILURE() << data;
        } catch (const RegistryError& error) {
            EXPECT_STREQ(error.what(), "Invalid data type for 'programdir'") << data;
        }
    }
}

}  // namespace
}  // namespace tumbo
