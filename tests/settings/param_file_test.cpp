#include "settings/param_file.h"

#include <gtest/gtest.h>

#include "../support.h"

using ParamFile = ScratchTest;

TEST_F(ParamFile, LoadsTheRulesOfTheLineFormat) {
  const std::string file = write("params.cfg",
                                 "\n"
                                 "gramsSize = 4\n"
                                 "\ttabbed\t=\tvalue\t\n"
                                 "twoEquals=a=b = c\n"
                                 "// comment=ignored\n"
                                 " // notComment=kept\n"
                                 "trailing=value // not a comment\n"
                                 "   = no key\n"
                                 "noValue =   \n"
                                 "no separator here\n"
                                 "gramsSize=9\n"
                                 "Gramssize=5\n"
                                 "last=no line break");
  TParamFile map;
  EXPECT_EQ(7, map.load(file));
  EXPECT_EQ("4", map.get("gramsSize"));
  EXPECT_EQ("value", map.get("tabbed"));
  EXPECT_EQ("a=b = c", map.get("twoEquals"));
  EXPECT_EQ("", map.get("// comment"));
  EXPECT_EQ("kept", map.get("// notComment"));
  EXPECT_EQ("value // not a comment", map.get("trailing"));
  EXPECT_EQ("5", map.get("Gramssize"));
  EXPECT_EQ("no line break", map.get("last"));
  EXPECT_EQ("", map.get("noValue"));
  EXPECT_EQ("", map.get(""));
}

TEST_F(ParamFile, CrLfLineEndsGiveTheSameEntries) {
  TParamFile lf, crlf;
  lf.load(write("lf.cfg", "a=1\nb = 2\n"));
  crlf.load(write("crlf.cfg", "a=1\r\nb = 2\r\n"));
  EXPECT_EQ(2, crlf.count());
  EXPECT_EQ(lf.get("a"), crlf.get("a"));
  EXPECT_EQ("2", crlf.get("b"));
}

TEST_F(ParamFile, ByteOrderMarkStaysPartOfTheFirstKey) {
  TParamFile map;
  map.load(write("bom.cfg", "\xEF\xBB\xBFgramsSize=4\nother=1\n"));
  EXPECT_EQ("", map.get("gramsSize"));
  EXPECT_EQ("4", map.get("\xEF\xBB\xBFgramsSize"));
}

TEST_F(ParamFile, EmptyFileAndEmptyPath) {
  TParamFile map;
  EXPECT_EQ(0, map.load(write("empty.cfg", "")));
  EXPECT_EQ(-1, map.load(""));
  EXPECT_EQ("\n", TParamFile::readWholeFile(path("empty.cfg")));
  EXPECT_EQ("a\nb\n\n", TParamFile::readWholeFile(write("two.txt", "a\nb\n")));
  EXPECT_EQ("", TParamFile::readWholeFile(""));
}

TEST_F(ParamFile, UnreadableFileThrowsAndLeavesEntriesAlone) {
  TParamFile map;
  map.set("kept", "1");
  for (const std::string& bad : {path("missing.cfg"), dir_.string()}) {
    try {
      map.load(bad);
      FAIL() << "no exception for " << bad;
    } catch (const VrxException& e) {
      EXPECT_EQ("file_not_exists: " + bad, e.message());
    }
  }
  EXPECT_EQ(1, map.count());
}

TEST(ParamFileSet, ReplacesAndIgnoresEmptyParts) {
  TParamFile map;
  map.set("k", "1");
  map.set("k", "2");
  map.set("", "x");
  map.set("y", "");
  EXPECT_EQ(1, map.count());
  EXPECT_EQ("2", map.get("k"));
}

TEST(ParamFileMessageText, FillsTheFirstPlaceholderOnly) {
  TParamFile messages;
  messages.set("one", "File %S missing");
  messages.set("two", "%S and %S");
  messages.set("none", "No argument");
  EXPECT_EQ("File a.txt missing", messages.messageText("one", "a.txt"));
  EXPECT_EQ("x and %S", messages.messageText("two", "x"));
  EXPECT_EQ("No argument", messages.messageText("none", "x"));
  EXPECT_EQ("absent a.txt", messages.messageText("absent", "a.txt"));
  EXPECT_EQ("absent ", messages.messageText("absent", ""));
}
