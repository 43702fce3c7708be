// The input-data file (".cvn"): a header 0x01 0x02 0x72 N, then N x N clue
// bytes in reading order (cell (x, y) at logical position 4 + y*N + x), stored
// through the text-mode line-end translation of the platform's file streams.
// We do that translation ourselves so the bytes on disk are the same on every
// platform: writing stores 0x0A as 0x0D 0x0A; reading turns 0x0D 0x0A back into
// 0x0A and stops at a byte 0x1A. The encoding and decoding are pure functions,
// callable from any thread, and ReadUpTo reads a file the caller has opened;
// the two that go between a file's content and the board touch the
// process-wide board and belong to the window thread. Opening, writing and
// replacing files is the callers' (file/replace_file.h for the last).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "solver/board.h"

// The header: the marker bytes, then the board side N.
constexpr uint8_t kInputDataMarker[3] = {0x01, 0x02, 0x72};
constexpr size_t kInputDataHeaderSize = sizeof kInputDataMarker + 1;

// The content of a file: the board side and its clues, indexed [x][y].
struct InputData {
  int32_t gridSize;
  int32_t given[kMaxGridSize][kMaxGridSize];
};

// The longest file the program writes: the header and a 25 x 25 board whose
// every clue is 10, each stored as two bytes.
constexpr size_t kMaxInputDataFileSize = kInputDataHeaderSize + 2 * kMaxGridSize * kMaxGridSize;

enum class InputDataStatus {
  kOk,
  kBadHeader,  // the data ends within the header, or the size is not 9/16/25
  kBadClues,   // a clue above N, or the data ends before all N x N clues
};

// The bytes on disk for `data`.
std::vector<uint8_t> EncodeInputData(const InputData& data);

// Parses the bytes on disk of a file into *data; bytes behind the N x N clues
// are no part of the board and are not looked at. *data is written in full
// only when the result is kOk; otherwise it is left untouched.
InputDataStatus DecodeInputData(const uint8_t* bytes, size_t size, InputData* data);

// How many of a file's first bytes its board can take up on disk, told by the
// header among `bytes`: the header as stored, then two bytes a clue at most.
// For a header that ends early or names no board size, the bytes up to there.
size_t InputDataBytesNeeded(const uint8_t* bytes, size_t size);

// Appends the next bytes of an open file to *bytes until it holds `bound`
// bytes or the file ends; whether reading failed, std::ferror tells.
void ReadUpTo(std::FILE* file, size_t bound, std::vector<uint8_t>* bytes);

// Reads an input-data file from an open file whose first bytes *bytes may
// already hold, only as far as its header says its board takes, however long
// the file is; whether reading failed, std::ferror tells.
void ReadInputDataFile(std::FILE* file, std::vector<uint8_t>* bytes);

// The clues of the board (board.given at board.gridSize).
InputData InputDataFromBoard();

// Starts a board of the file's size with its clues: sets gridSize, ResetBoard,
// then the clues into given, fixed and shown. Window thread, no worker running.
void ApplyInputData(WindowHandle window, const InputData& data);
