// Saving and loading through the real file dialogs: the bytes on disk, the
// round trip, the rejected files that leave the board alone, and a failed
// save that leaves the old file alone.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "file/input_data_win.h"
#include "solver/board.h"
#include "tests/win/window_fixture.h"

namespace {

class FileTest : public FolderWindowTest {
 protected:
  FileTest() : FolderWindowTest("corvana-file-test") {}

  void Save(const std::string& path) {
    watcher_->Queue(ChooseFile(path));
    Command(101);
  }
  void Load(const std::string& path) {
    watcher_->Queue(ChooseFile(path));
    Command(102);
  }

  static std::vector<unsigned char> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  int FilesInDirectory() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory_ + "*").c_str(), &found);
    int count = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
      count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
  }
};

TEST_F(FileTest, EmptyNineBoardIs85BytesAndLoadsBackEmpty) {
  const std::string path = PathOf("empty.cvn");
  Save(path);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].owner, window_);
  std::vector<unsigned char> expected = {0x01, 0x02, 0x72, 0x09};
  expected.resize(85, 0);
  EXPECT_EQ(Bytes(path), expected);

  NewBoard(16);
  EnterClue(3, 3, 12);
  Load(path);
  EXPECT_EQ(board.gridSize, 9);
  EXPECT_TRUE(IsChecked(300));
  EXPECT_EQ(board.given[3][3], 0);
}

TEST_F(FileTest, ClueTenIsStoredAsCarriageReturnLineFeedAndReadsBack) {
  NewBoard(16);
  EnterClue(0, 0, 10);
  EnterClue(1, 0, 13);
  EnterClue(2, 0, 10);
  const std::string path = PathOf("ten.cvn");
  Save(path);
  const std::vector<unsigned char> bytes = Bytes(path);
  ASSERT_EQ(bytes.size(), 4u + 256u + 2u);
  const std::vector<unsigned char> head(bytes.begin(), bytes.begin() + 10);
  EXPECT_EQ(head, (std::vector<unsigned char>{0x01, 0x02, 0x72, 0x10, 0x0D, 0x0A, 0x0D, 0x0D, 0x0A,
                                              0x00}));

  NewBoard(9);
  Load(path);
  EXPECT_EQ(board.gridSize, 16);
  EXPECT_EQ(board.given[0][0], 10);
  EXPECT_EQ(board.given[1][0], 13);
  EXPECT_EQ(board.shown[2][0], 10);
  EXPECT_EQ(board.fixed[2][0], 10);
}

TEST_F(FileTest, OnlyTheCluesAreSavedNotTheSolution) {
  EnterClue(1, 0, 4);  // the sixth byte
  EnterClue(0, 1, 7);  // the fourteenth byte
  Command(500);
  WaitForSolve();
  ASSERT_EQ(board.solutionShown, 1);
  const std::string path = PathOf("clues.cvn");
  Save(path);
  const std::vector<unsigned char> bytes = Bytes(path);
  ASSERT_EQ(bytes.size(), 85u);
  int nonZero = 0;
  for (size_t i = 4; i < bytes.size(); ++i) nonZero += bytes[i] != 0;
  EXPECT_EQ(nonZero, 2);
  EXPECT_EQ(bytes[5], 4);
  EXPECT_EQ(bytes[13], 7);
  Load(path);
  EXPECT_EQ(board.shown[2][0], 0);
  EXPECT_EQ(board.given[1][0], 4);
  EXPECT_EQ(board.solutionShown, 0);
}

TEST_F(FileTest, RejectedFilesLeaveTheBoardItsSizeAndItsCluesAsTheyWere) {
  std::vector<unsigned char> badSize = {0x01, 0x02, 0x72, 12};
  badSize.resize(4 + 144, 0);
  std::vector<unsigned char> clueTooBig = {0x01, 0x02, 0x72, 9};
  clueTooBig.resize(85, 0);
  clueTooBig[40] = 10;
  std::vector<unsigned char> endOfFileMark = {0x01, 0x02, 0x72, 9};
  endOfFileMark.resize(85, 0);
  endOfFileMark[30] = 0x1A;
  std::vector<unsigned char> shortHeader = {0x01, 0x02, 0x72};
  std::vector<unsigned char> shortClues = {0x01, 0x02, 0x72, 25, 1, 2, 3};

  NewBoard(16);
  EnterClue(5, 5, 16);
  EnterClue(0, 15, 9);
  int index = 0;
  for (const auto* bytes : {&badSize, &clueTooBig, &endOfFileMark, &shortHeader, &shortClues}) {
    SCOPED_TRACE(index);
    const std::string path = PathOf(("bad" + std::to_string(index++) + ".cvn").c_str());
    Write(path, *bytes);
    Load(path);
    const auto seen = watcher_->TakeSeen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].caption, "不正なファイルです。");
    EXPECT_EQ(seen[1].text, "不正なファイルです。");
    EXPECT_EQ(seen[1].owner, window_);
    EXPECT_EQ(board.gridSize, 16);
    EXPECT_TRUE(IsChecked(301));
    EXPECT_EQ(board.given[5][5], 16);
    EXPECT_EQ(board.shown[0][15], 9);
    EXPECT_EQ(board.cursor.x, 0);
    EXPECT_EQ(board.cursor.y, 15);
  }
}

TEST_F(FileTest, AnyMarkerBytesAndTrailingBytesAreAccepted) {
  std::vector<unsigned char> bytes = {0x55, 0x66, 0x77, 9};
  bytes.resize(85, 0);
  bytes[4 + 8 * 9 + 8] = 9;  // a clue equal to N, at (8, 8)
  bytes.push_back(0xFF);
  bytes.push_back(0x1A);
  bytes.resize(1 << 20, 0x33);  // far longer than any board takes
  const std::string path = PathOf("markers.cvn");
  Write(path, bytes);
  NewBoard(25);
  Load(path);
  EXPECT_EQ(board.gridSize, 9);
  EXPECT_EQ(board.given[8][8], 9);
  EXPECT_EQ(watcher_->TakeSeen().size(), 1u);  // the dialog only
}

TEST_F(FileTest, TheLongestFileABoardMakesLoads) {
  NewBoard(25);
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 25; ++x) board.given[x][y] = board.fixed[x][y] = board.shown[x][y] = 10;
  }
  const std::string path = PathOf("tens.cvn");
  Save(path);
  ASSERT_EQ(Bytes(path).size(), 1254u);
  NewBoard(9);
  Load(path);
  EXPECT_EQ(watcher_->TakeSeen().size(), 2u) << "the two dialogs, no message";
  EXPECT_EQ(board.gridSize, 25);
  EXPECT_EQ(board.given[24][24], 10);
}

// In code page 932 the second byte of 表, ソ, 能, 予, 十 and 申 is 0x5C, a
// backslash: a save under such a name writes the bytes an ASCII name gets.
TEST_F(FileTest, JapaneseFileNamesSaveAndLoadLikeAsciiOnes) {
  NewBoard(16);
  EnterClue(0, 0, 10);
  EnterClue(15, 15, 16);
  const std::string ascii = PathOf("board.cvn");
  Save(ascii);
  const std::vector<unsigned char> expected = Bytes(ascii);
  ASSERT_EQ(expected.size(), 261u);
  watcher_->TakeSeen();
  int files = 1;
  for (const char* name : {"ソルバー表.cvn", "能予十申.cvn"}) {
    SCOPED_TRACE(name);
    const std::string path = PathOf(name);
    Save(path);
    EXPECT_EQ(watcher_->TakeSeen().size(), 1u) << "the dialog, no message";
    EXPECT_EQ(Bytes(path), expected);
    EXPECT_EQ(FilesInDirectory(), ++files);
    NewBoard(9);
    Load(path);
    EXPECT_EQ(board.gridSize, 16);
    EXPECT_EQ(board.given[0][0], 10);
    EXPECT_EQ(board.given[15][15], 16);
    EXPECT_EQ(watcher_->TakeSeen().size(), 1u) << "the dialog, no message";
    EXPECT_EQ(std::string(filePath), path);
  }
}

TEST_F(FileTest, FailedSaveReportsThePathAndLeavesTheOldFile) {
  const std::string path = PathOf("locked.cvn");
  const std::vector<unsigned char> old = {0x01, 0x02, 0x72, 9, 1, 2, 3};
  Write(path, old);
  // Another program holds the file open without letting it be replaced.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EnterClue(0, 0, 5);
  Save(path);
  CloseHandle(held);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].caption, "Cannot Write File");
  EXPECT_EQ(seen[1].text, path);
  EXPECT_EQ(Bytes(path), old);
  EXPECT_EQ(FilesInDirectory(), 1);  // no temporary file left behind
}

// A file that cannot be made where the user pointed (here a folder that does
// not exist) is reported as one that cannot be opened, with its path.
TEST_F(FileTest, ASaveWhoseFileCannotBeCreatedReportsCannotOpenWithThePath) {
  const std::string path = directory_ + "missing\\board.cvn";
  EnterClue(0, 0, 5);
  Save(path);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].caption, "Cannot Open File");
  EXPECT_EQ(seen[1].text, path);
  EXPECT_EQ(seen[1].owner, window_);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FilesInDirectory(), 0);
  EXPECT_EQ(board.given[0][0], 5);
}

TEST_F(FileTest, CancellingEitherDialogStillStopsTheSolveAndChangesNothing) {
  EnterClue(2, 2, 2);
  board.searchStopped.store(0);
  EnableStartSearch(window_, false);
  watcher_->Queue(CancelDialog());
  Command(101);
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_FALSE(IsStartGreyed());
  board.searchStopped.store(0);
  watcher_->Queue(CancelDialog());
  Command(102);
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.given[2][2], 2);
  EXPECT_EQ(watcher_->TakeSeen().size(), 2u);
}

TEST_F(FileTest, BothDialogsOpenWithThePathLastChosenInEither) {
  const std::string path = PathOf("last.cvn");
  Save(path);
  watcher_->Queue(CancelDialog());
  Command(102);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[1].text.find("last.cvn"), std::string::npos) << seen[1].text;
  EXPECT_EQ(std::string(filePath), path);
}

}  // namespace
