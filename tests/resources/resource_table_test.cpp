// The resource script compiled into a Windows module: the six bitmaps are "PNG" resources
// 100 to 105 in English (United States), each holding exactly the committed file.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "resources/resource.h"
#include "tests/resources/PngFile.h"

namespace {

const struct {
  int id;
  const char* path;
} kBitmaps[] = {{BKG_ID, BKG_FN},       {KNOB_ID, KNOB_FN}, {DOT_SWITCH_ID, DOT_SWITCH_FN},
                {BUTTON_ID, BUTTON_FN}, {LOCK_ID, LOCK_FN}, {ON_OFF_ID, ON_OFF_FN}};

const WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(name));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
  reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
  return TRUE;
}

TEST(ResourceScript, HoldsTheSixBitmapsAsUsEnglishPngResources) {
  HMODULE module = GetModuleHandleA(nullptr);
  std::vector<ULONG_PTR> names;
  EnumResourceNamesA(module, "PNG", CollectName, reinterpret_cast<LONG_PTR>(&names));
  ASSERT_EQ(names.size(), 6u);
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], static_cast<ULONG_PTR>(100 + i));  // integer ids, ascending
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module, "PNG", MAKEINTRESOURCEA(names[i]), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    ASSERT_EQ(languages.size(), 1u);
    EXPECT_EQ(languages[0], 1033);
  }
}

TEST(ResourceScript, EachResourceIsTheCommittedFile) {
  HMODULE module = GetModuleHandleA(nullptr);
  for (const auto& b : kBitmaps) {
    SCOPED_TRACE(b.path);
    HRSRC found = FindResourceExA(module, "PNG", MAKEINTRESOURCEA(b.id), kUsEnglish);
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(loaded, nullptr);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
    const DWORD size = SizeofResource(module, found);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(corvane::test::ReadWholeFile(corvane::test::SourcePath(b.path), file));
    ASSERT_EQ(size, file.size());
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + size), file);
  }
}

}  // namespace
