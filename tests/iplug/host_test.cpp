#include <gtest/gtest.h>

#include <string>

#include "recording_plug.h"

TEST(IdentifyHost, EveryKeywordGivesItsCode) {
  const struct {
    const char* name;
    int code;
  } table[] = {
      {"cubase", 3},      {"reaper", 1},     {"nuendo", 4},       {"cakewalk", 5},
      {"samplitude", 8},  {"fruity", 7},     {"live", 9},         {"melodyne", 12},
      {"vstmanlib", 13},  {"aulab", 14},     {"garageband", 22},  {"forte", 15},
      {"chainer", 16},    {"audition", 17},  {"orion", 18},       {"sawstudio", 20},
      {"logic", 21},      {"digital", 23},   {"audiomulch", 25},  {"presonus", 26},
      {"vst3plugintesthost", 27}, {"protools", 2}, {"ardour", 28}, {"openmpt", 30},
      {"renoise", 29},    {"standalone", 24}, {"wavelab", 31},
  };
  for (const auto& entry : table) {
    EXPECT_EQ(IdentifyHost(entry.name), entry.code) << entry.name;
    EXPECT_EQ(IdentifyHost((std::string("My ") + entry.name + " 9").c_str()), entry.code) << entry.name;
  }
}

TEST(IdentifyHost, TableOrderSettlesOverlaps) {
  EXPECT_EQ(IdentifyHost("Cubase Nuendo"), 3);
  EXPECT_EQ(IdentifyHost("Nuendo Cubase"), 3);
  EXPECT_EQ(IdentifyHost("Steinberg Nuendo"), 4);
  EXPECT_EQ(IdentifyHost("Logic Pro X"), 21);
  EXPECT_EQ(IdentifyHost("LoGiC"), 21);
  EXPECT_EQ(IdentifyHost("Deliverance Logic"), 9);  // "live" inside a longer word comes first
  EXPECT_EQ(IdentifyHost("Ableton Live 11"), 9);
  EXPECT_EQ(IdentifyHost("Cockos REAPER x64"), 1);
  EXPECT_EQ(IdentifyHost("ProTools"), 2);
  EXPECT_EQ(IdentifyHost("Pro Tools"), 0);  // a blank inside the keyword does not match
  EXPECT_EQ(IdentifyHost("PreSonus Studio One"), 26);
}

TEST(IdentifyHost, UnknownEmptyAndLongNames) {
  EXPECT_EQ(IdentifyHost(""), 0);
  EXPECT_EQ(IdentifyHost(nullptr), 0);
  EXPECT_EQ(IdentifyHost("Some Other Host"), 0);
  std::string name(255 - 6, 'x');
  EXPECT_EQ(IdentifyHost((name + "Reaper").c_str()), 1);  // ends at character 255
  name += "xReaper";  // 300-character names are judged on their first 255 characters
  name.append(300 - name.size(), 'y');
  ASSERT_EQ(name.size(), 300u);
  EXPECT_EQ(IdentifyHost(name.c_str()), 0);
}

TEST(IdentifyHost, OnlyAsciiLettersAreFolded) {
  // Bytes above 127 are negative chars on these platforms; they stay as they are.
  EXPECT_EQ(IdentifyHost("\xC4\xD6\xDC REAPER \xE9\xFF"), 1);
  EXPECT_EQ(IdentifyHost("LOGIC\xC9"), 21);
  EXPECT_EQ(IdentifyHost("\xC3\x9C" "berHost"), 0);
}

TEST(SetHost, StoresCodeAndVersion) {
  RecordingPlug plug;
  EXPECT_EQ(plug.GetHostCode(), -1);
  EXPECT_EQ(plug.GetHostVersion(), 0);
  plug.SetHost("WaveLab 11", 0x000B0001);
  EXPECT_EQ(plug.GetHostCode(), 31);
  EXPECT_EQ(plug.GetHostVersion(), 0x000B0001);
  plug.SetHost("", 0);
  EXPECT_EQ(plug.GetHostCode(), 0);
}
