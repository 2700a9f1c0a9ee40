// The rules for names, row by row, and the numbering of names taken twice.
#include "export/safe_name.h"

#include <gtest/gtest.h>

#include <string>

namespace romscope {
namespace {

TEST(SafeNameTest, Rules) {
  const struct {
    std::string image;
    std::string suffix;
    std::string name;
    uint16_t changes;
  } rows[] = {
      {"plain.txt", "", "plain.txt", 0},
      {"dir/x", "", "dir_x", kNameCharacters},
      {"dir\\x", "", "dir_x", kNameCharacters},
      {"<>:\"|?*", "", "_______", kNameCharacters},
      {std::string("a\0b\x1F\x7F\x80\x9F", 7), "", "a_b____", kNameCharacters},
      {"C:", "", "C_", kNameDrive},
      {"z:\\root", "", "z__root", kNameDrive | kNameCharacters},
      {"1:x", "", "1_x", kNameCharacters},
      {"", "", "_", kNameEmpty},
      {".", "", "_", kNameDots},
      {"..", "", "__", kNameDots},
      {"...", "", "___", kNameTrailing},
      {"..hidden", "", "..hidden", 0},
      {"name. .", "", "name___", kNameTrailing},
      {"name.", ".stored", "name..stored", 0},
      {"CON", "", "_CON", kNameDevice},
      {"con.txt", "", "_con.txt", kNameDevice},
      {"Aux .c", "", "_Aux .c", kNameDevice},
      {"nul", ".stored", "_nul.stored", kNameDevice},
      {"COM0", "", "COM0", 0},
      {"com9.x.y", "", "_com9.x.y", kNameDevice},
      {"LPT\xB3", "", "_LPT\xC2\xB3", kNameDevice},
      {"CONIN$", "", "_CONIN$", kNameDevice},
      {"conout$.log", "", "_conout$.log", kNameDevice},
      {"CONSOLE", "", "CONSOLE", 0},
      {"\xE9t\xE9", "", "\xC3\xA9t\xC3\xA9", 0},
      {std::string(201, 'a'), "", std::string(200, 'a'), kNameCut},
      {std::string(199, 'a') + "\xE9", "", std::string(199, 'a'), kNameCut},
      {std::string(198, 'a') + ". x", "", std::string(198, 'a') + "__", kNameCut | kNameTrailing},
      {std::string(200, 'a'), ".stored", std::string(193, 'a') + ".stored", kNameCut},
  };
  for (const auto& row : rows) {
    const SafeName safe = MakeSafeName(row.image, row.suffix);
    EXPECT_EQ(safe.base + safe.suffix, row.name) << row.image;
    EXPECT_EQ(safe.changes, row.changes) << row.image;
    EXPECT_LE((safe.base + safe.suffix).size(), kMaxNameBytes);
  }
}

TEST(SafeNameTest, NamesTakenTwiceAreNumberedAsWindowsComparesThem) {
  FolderNames names;
  uint16_t changes = 0;
  const auto claim = [&](const std::string& image, const std::string& suffix = "") {
    changes = 0;
    return names.Claim(MakeSafeName(image, suffix), &changes);
  };
  EXPECT_EQ(claim("data.bin"), "data.bin");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(claim("DATA.BIN"), "DATA (2).BIN");
  EXPECT_EQ(changes, kNameNumbered);
  EXPECT_EQ(claim("Data.Bin"), "Data (3).Bin");
  EXPECT_EQ(claim("data (2).bin"), "data (2) (2).bin");  // "data (2).bin" is taken
  EXPECT_EQ(claim("\xE0"), "\xC3\xA0");
  EXPECT_EQ(claim("\xC0"), "\xC3\x80 (2)");
  EXPECT_EQ(claim("\xF7"), "\xC3\xB7");
  EXPECT_EQ(claim("\xD7"), "\xC3\x97");  // no case of each other
  EXPECT_EQ(claim("p", ".stored"), "p.stored");
  EXPECT_EQ(claim("P", ".stored"), "P (2).stored");
  // A long name keeps its number within 200 bytes.
  const std::string longName(200, 'x');
  EXPECT_EQ(claim(longName), longName);
  const std::string second = claim(longName + "y");
  EXPECT_EQ(second, std::string(196, 'x') + " (2)");
  // Ten thousand entries of one name take one try each.
  for (int i = 0; i < 10000; ++i) claim("same");
  EXPECT_EQ(claim("same"), "same (10001)");
}

}  // namespace
}  // namespace romscope
