#include "file/input_data.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kEndOfFile = 0x1A;

// Undoes the text-mode translation: CR LF reads as LF, a lone CR as CR, and
// a byte 0x1A ends the data.
std::vector<uint8_t> FromTextMode(const uint8_t* bytes, size_t size) {
  std::vector<uint8_t> logical;
  logical.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] == kEndOfFile) break;
    if (bytes[i] == kCarriageReturn && i + 1 < size && bytes[i + 1] == kLineFeed) continue;
    logical.push_back(bytes[i]);
  }
  return logical;
}

}  // namespace

std::vector<uint8_t> EncodeInputData(const InputData& data) {
  const int n = data.gridSize;
  std::vector<uint8_t> logical(std::begin(kInputDataMarker), std::end(kInputDataMarker));
  logical.push_back(static_cast<uint8_t>(n));
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) logical.push_back(static_cast<uint8_t>(data.given[x][y]));
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(logical.size() + 16);
  for (uint8_t byte : logical) {
    if (byte == kLineFeed) bytes.push_back(kCarriageReturn);
    bytes.push_back(byte);
  }
  return bytes;
}

void ReadUpTo(std::FILE* file, size_t bound, std::vector<uint8_t>* bytes) {
  uint8_t chunk[4096];
  while (bytes->size() < bound) {
    const size_t want = std::min(sizeof chunk, bound - bytes->size());
    const size_t got = std::fread(chunk, 1, want, file);
    bytes->insert(bytes->end(), chunk, chunk + got);
    if (got < want) break;
  }
}

// The header stored with a 0x0D before each of its bytes: as far as a reader
// looks to know what the board takes.
constexpr size_t kLongestStoredHeader = 2 * kInputDataHeaderSize;

size_t InputDataBytesNeeded(const uint8_t* bytes, size_t size) {
  size_t at = 0;
  size_t logical = 0;
  uint8_t gridSize = 0;
  for (; logical < kInputDataHeaderSize && at < size && bytes[at] != kEndOfFile; ++logical) {
    if (bytes[at] == kCarriageReturn && at + 1 < size && bytes[at + 1] == kLineFeed) ++at;
    gridSize = bytes[at++];
  }
  if (logical < kInputDataHeaderSize || !IsGridSize(gridSize)) return at;
  return at + 2 * static_cast<size_t>(gridSize * gridSize);
}

void ReadInputDataFile(std::FILE* file, std::vector<uint8_t>* bytes) {
  ReadUpTo(file, kLongestStoredHeader, bytes);
  const size_t needed = InputDataBytesNeeded(bytes->data(), bytes->size());
  if (bytes->size() > needed) {
    bytes->resize(needed);
  } else {
    ReadUpTo(file, needed, bytes);
  }
}

InputDataStatus DecodeInputData(const uint8_t* bytes, size_t size, InputData* data) {
  const std::vector<uint8_t> logical =
      FromTextMode(bytes, std::min(size, InputDataBytesNeeded(bytes, size)));
  if (logical.size() < kInputDataHeaderSize) return InputDataStatus::kBadHeader;
  const int n = logical[3];
  if (!IsGridSize(n)) return InputDataStatus::kBadHeader;
  if (logical.size() < kInputDataHeaderSize + static_cast<size_t>(n * n))
    return InputDataStatus::kBadClues;

  InputData parsed = {};
  parsed.gridSize = n;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int v = logical[kInputDataHeaderSize + y * n + x];
      if (v > n) return InputDataStatus::kBadClues;
      parsed.given[x][y] = v;
    }
  }
  std::memcpy(data, &parsed, sizeof parsed);
  return InputDataStatus::kOk;
}

InputData InputDataFromBoard() {
  InputData data = {};
  data.gridSize = board.gridSize;
  for (int x = 0; x < board.gridSize; ++x) {
    for (int y = 0; y < board.gridSize; ++y) data.given[x][y] = board.given[x][y];
  }
  return data;
}

void ApplyInputData(WindowHandle window, const InputData& data) {
  board.gridSize = data.gridSize;
  ResetBoard(window);
  for (int x = 0; x < data.gridSize; ++x) {
    for (int y = 0; y < data.gridSize; ++y) {
      board.given[x][y] = data.given[x][y];
      board.fixed[x][y] = data.given[x][y];
      board.shown[x][y] = data.given[x][y];
    }
  }
}
