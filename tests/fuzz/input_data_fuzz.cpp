// libFuzzer target: the loader of input-data files on any bytes, as many as
// the window reads of a file from outside. Besides not crashing or reading out
// of bounds, a refused file must leave the board record untouched, and an
// accepted one must hold clues 0..N that save and load back the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "file/input_data.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  InputData data;
  std::memset(&data, 0x5A, sizeof data);
  InputData untouched;
  std::memcpy(&untouched, &data, sizeof data);
  if (DecodeInputData(bytes, size, &data) != InputDataStatus::kOk) {
    Check(std::memcmp(&data, &untouched, sizeof data) == 0);
    return 0;
  }
  const int n = data.gridSize;
  Check(n == 9 || n == 16 || n == 25);
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) Check(data.given[x][y] >= 0 && data.given[x][y] <= n);
  }
  const std::vector<uint8_t> saved = EncodeInputData(data);
  InputData again;
  Check(DecodeInputData(saved.data(), saved.size(), &again) == InputDataStatus::kOk);
  Check(again.gridSize == n);
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) Check(again.given[x][y] == data.given[x][y]);
  }
  return 0;
}
