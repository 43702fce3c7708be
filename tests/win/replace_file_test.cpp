// The writer that replaces a file whole, under names in code page 932 whose
// characters have 0x5C (a backslash) as their second byte: the bytes land
// where the path says, as under an ASCII name, and nothing else stays behind.
#include "file/replace_file.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(ReplaceFileTest, NamesWhoseSecondBytesAreBackslashesGetTheBytesOfAnAsciiName) {
  char temp[MAX_PATH];
  ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string root =
      std::string(temp) + "corvana-replace-" + std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  struct Case {
    const char* folder;  // under root, made for the case
    const char* name;
  };
  const Case cases[] = {
      {"", "board.cvn"},       {"", "ソルバー表.cvn"}, {"", "能予十申.cvn"},
      {"表ソ\\", "board.cvn"}, {"予定表\\", "十申"},
  };
  const std::vector<uint8_t> old = {0x01, 0x02, 0x72, 0x09};
  std::vector<uint8_t> fresh = {0x01, 0x02, 0x72, 0x10, 0x0D, 0x0A, 0x5C, 0x1A};
  fresh.resize(262, 0x5C);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + c.name);
    const std::string folder = root + c.folder;
    if (*c.folder != '\0') {
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    const std::string path = folder + c.name;
    EXPECT_EQ(WriteFileReplacing(path, old), ReplaceOutcome::kReplaced) << GetLastError();
    EXPECT_EQ(WriteFileReplacing(path, fresh), ReplaceOutcome::kReplaced) << GetLastError();
    EXPECT_EQ(Bytes(path), fresh);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{c.name});
    DeleteFileA(path.c_str());
    if (*c.folder != '\0') {
      EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
    }
  }
  EXPECT_TRUE(FilesIn(root).empty());
  EXPECT_TRUE(RemoveDirectoryA(root.c_str()));
}

}  // namespace
