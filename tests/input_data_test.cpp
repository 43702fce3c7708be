#include "file/input_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/fake_window.h"

namespace {

InputData Board(int n) {
  InputData data = {};
  data.gridSize = n;
  return data;
}

InputDataStatus Decode(const std::vector<uint8_t>& bytes, InputData* data) {
  return DecodeInputData(bytes.data(), bytes.size(), data);
}

bool SameClues(const InputData& a, const InputData& b) {
  if (a.gridSize != b.gridSize) return false;
  for (int x = 0; x < a.gridSize; ++x) {
    for (int y = 0; y < a.gridSize; ++y) {
      if (a.given[x][y] != b.given[x][y]) return false;
    }
  }
  return true;
}

TEST(InputDataTest, EmptyNineByNineIsHeaderAndEightyOneZeros) {
  const std::vector<uint8_t> bytes = EncodeInputData(Board(9));
  ASSERT_EQ(bytes.size(), 85u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4),
            (std::vector<uint8_t>{0x01, 0x02, 0x72, 0x09}));
  for (size_t i = 4; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0);
}

TEST(InputDataTest, CluesStandRowByRow) {
  InputData data = Board(9);
  data.given[1][0] = 3;
  data.given[0][1] = 8;
  const std::vector<uint8_t> bytes = EncodeInputData(data);
  EXPECT_EQ(bytes[5], 3) << "the sixth byte";
  EXPECT_EQ(bytes[13], 8) << "the fourteenth byte";
}

TEST(InputDataTest, TenIsStoredAsCarriageReturnLineFeed) {
  InputData data = Board(16);
  data.given[0][0] = 10;
  std::vector<uint8_t> bytes = EncodeInputData(data);
  ASSERT_EQ(bytes.size(), 261u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
            (std::vector<uint8_t>{0x01, 0x02, 0x72, 0x10, 0x0D, 0x0A}));
  InputData read = {};
  ASSERT_EQ(Decode(bytes, &read), InputDataStatus::kOk);
  EXPECT_EQ(read.given[0][0], 10);

  data.given[0][0] = 13;
  data.given[1][0] = 10;
  bytes = EncodeInputData(data);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 7),
            (std::vector<uint8_t>{0x0D, 0x0D, 0x0A}));
  ASSERT_EQ(Decode(bytes, &read), InputDataStatus::kOk);
  EXPECT_EQ(read.given[0][0], 13);
  EXPECT_EQ(read.given[1][0], 10);
}

TEST(InputDataTest, RoundTripsEveryClueOfEverySize) {
  for (int n : {9, 16, 25}) {
    SCOPED_TRACE(n);
    InputData data = Board(n);
    int tens = 0;
    for (int i = 0; i < n * n; ++i) {
      data.given[i % n][i / n] = i % (n + 1);  // every value 0..N, 10s next to 13s
      tens += i % (n + 1) == 10;
    }
    const std::vector<uint8_t> bytes = EncodeInputData(data);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(4 + n * n + tens));
    InputData read = {};
    ASSERT_EQ(Decode(bytes, &read), InputDataStatus::kOk);
    EXPECT_TRUE(SameClues(data, read));
  }
}

TEST(InputDataTest, MarkersAreNotTestedAndTrailingBytesDoNotMatter) {
  InputData data = Board(9);
  data.given[8][8] = 9;
  std::vector<uint8_t> bytes = EncodeInputData(data);
  bytes[0] = 'C';
  bytes[1] = 'V';
  bytes[2] = 0x00;
  bytes.insert(bytes.end(), {0xFF, 0x1A, 0x42});
  InputData read = {};
  ASSERT_EQ(Decode(bytes, &read), InputDataStatus::kOk);
  EXPECT_TRUE(SameClues(data, read));
}

TEST(InputDataTest, RejectsBadSizesAndCluesAndLeavesTheTargetAlone) {
  InputData untouched = Board(25);
  untouched.given[3][3] = 7;
  InputData read = untouched;

  std::vector<uint8_t> bytes = EncodeInputData(Board(9));
  bytes[3] = 12;
  EXPECT_EQ(Decode(bytes, &read), InputDataStatus::kBadHeader);

  InputData data = Board(16);
  data.given[5][5] = 16;
  bytes = EncodeInputData(data);
  EXPECT_EQ(Decode(bytes, &read), InputDataStatus::kOk) << "a clue equal to N is fine";
  read = untouched;
  bytes[4 + 5 * 16 + 5] = 17;
  EXPECT_EQ(Decode(bytes, &read), InputDataStatus::kBadClues);
  bytes[4 + 5 * 16 + 5] = 0x1A;
  EXPECT_EQ(Decode(bytes, &read), InputDataStatus::kBadClues) << "0x1A ends the data";
  EXPECT_TRUE(SameClues(read, untouched));
}

// Bytes behind the clues are no part of the board, however many: a reader
// takes in only the bytes on disk the header's size can need (4 + 2 N N) and
// the decoder looks no further.
TEST(InputDataTest, BytesBehindTheCluesAreIgnoredAndNotEvenRead) {
  for (int n : {9, 16, 25}) {
    InputData data = Board(n);
    for (int i = 0; i < n * n; i += 2) data.given[i % n][i / n] = i % 3 == 0 ? 10 % (n + 1) : n;
    const std::vector<uint8_t> clues = EncodeInputData(data);
    const size_t limit = 4 + 2 * static_cast<size_t>(n * n);
    for (size_t behind : {size_t{0}, size_t{1}, kMaxInputDataFileSize, size_t{1} << 20}) {
      SCOPED_TRACE(std::to_string(n) + " + " + std::to_string(behind));
      std::vector<uint8_t> bytes = clues;
      bytes.resize(clues.size() + behind, 0x33);
      if (behind > 0) bytes[clues.size()] = 0xFF;
      InputData read = {};
      ASSERT_EQ(Decode(bytes, &read), InputDataStatus::kOk);
      EXPECT_TRUE(SameClues(read, data));

      std::FILE* file = std::tmpfile();
      ASSERT_NE(file, nullptr);
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::rewind(file);
      std::vector<uint8_t> taken;
      ReadInputDataFile(file, &taken);
      EXPECT_EQ(std::ftell(file), static_cast<long>(std::min(bytes.size(), limit)));
      std::fclose(file);
      EXPECT_EQ(taken, std::vector<uint8_t>(bytes.begin(), bytes.begin() + taken.size()));
      read = {};
      ASSERT_EQ(Decode(taken, &read), InputDataStatus::kOk);
      EXPECT_TRUE(SameClues(read, data));
    }
  }
}

TEST(InputDataTest, EveryTruncationIsRejected) {
  for (int n : {9, 16, 25}) {
    InputData data = Board(n);
    for (int i = 0; i < n * n; i += 3) data.given[i % n][i / n] = 1 + i % n;
    const std::vector<uint8_t> bytes = EncodeInputData(data);
    for (size_t size = 0; size < bytes.size(); ++size) {
      InputData read = {};
      const InputDataStatus status = DecodeInputData(bytes.data(), size, &read);
      ASSERT_EQ(status, size < 4 ? InputDataStatus::kBadHeader : InputDataStatus::kBadClues)
          << n << " cut at " << size;
    }
  }
}

// Each bit of each byte of a 9x9 file flipped in turn. A marker may take any
// value but 0x1A; the size byte must stay 9 (16 or 25 find too few clues); a
// clue must stay 0..9 and then changes that one cell.
TEST(InputDataTest, EverySingleBitFlipHasItsExactOutcome) {
  InputData data = Board(9);
  for (int i = 0; i < 81; i += 2) data.given[i % 9][i / 9] = 1 + i % 9;
  const std::vector<uint8_t> original = EncodeInputData(data);
  for (size_t position = 0; position < original.size(); ++position) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<uint8_t> bytes = original;
      bytes[position] ^= static_cast<uint8_t>(1 << bit);
      const int v = bytes[position];
      InputData expected = data;
      InputDataStatus want = InputDataStatus::kOk;
      if (position < 3) {
        if (v == 0x1A) want = InputDataStatus::kBadHeader;
      } else if (position == 3) {
        want = v == 16 || v == 25 ? InputDataStatus::kBadClues : InputDataStatus::kBadHeader;
      } else if (v > 9) {
        want = InputDataStatus::kBadClues;
      } else {
        const int cell = static_cast<int>(position) - 4;
        expected.given[cell % 9][cell / 9] = v;
      }
      InputData read = {};
      ASSERT_EQ(Decode(bytes, &read), want) << "byte " << position << " bit " << bit;
      if (want == InputDataStatus::kOk) {
        ASSERT_TRUE(SameClues(read, expected));
      }
    }
  }
}

TEST(InputDataTest, ApplyingAFileStartsABoardOfItsSizeWithItsClues) {
  ResetFakeWindow();
  board.gridSize = 9;
  ResetBoard(nullptr);
  board.shown[3][3] = 5;
  board.solutionShown = 1;
  InputData data = Board(16);
  data.given[15][15] = 16;
  ApplyInputData(nullptr, data);
  EXPECT_EQ(board.gridSize, 16);
  EXPECT_EQ(board.boxSize, 4);
  EXPECT_EQ(board.given[15][15], 16);
  EXPECT_EQ(board.fixed[15][15], 16);
  EXPECT_EQ(board.shown[15][15], 16);
  EXPECT_EQ(board.shown[3][3], 0);
  EXPECT_EQ(board.solutionShown, 0);
  EXPECT_TRUE(SameClues(InputDataFromBoard(), data)) << "only the clues go back to a file";
}

}  // namespace
