#include "file/input_data_win.h"

#include <commdlg.h>

#include <cstddef>
#include <cstdio>
#include <vector>

#include "file/input_data.h"
#include "file/replace_file.h"
#include "solver/board.h"
#include "solver/worker.h"

char filePath[256] = "";
const char kBadFileText[] = "不正なファイルです。";

// The dialog record of the 32-bit program is the 76-byte one, without the
// fields added after Windows NT 4.
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "dialog record size");

namespace {

// Description and pattern pairs, ended by an empty string.
const char kFilter[] = "Corvana(*.cvn)\0*.cvn\0All\0*.*\0";

OPENFILENAMEA DialogRecord(HWND window, char* fileTitle, DWORD flags) {
  OPENFILENAMEA record = {};
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes on 32-bit Windows
  record.hwndOwner = window;
  record.lpstrFilter = kFilter;
  record.nFilterIndex = 1;
  record.lpstrFile = filePath;
  record.nMaxFile = sizeof filePath;
  record.lpstrFileTitle = fileTitle;
  record.nMaxFileTitle = 63;
  record.Flags = flags;
  return record;
}

// The file's bytes as far as its board takes them, so that a huge file chosen
// with the "All" filter is neither read whole nor taken in memory; false when
// it cannot be opened or read.
bool ReadBoardFile(const char* path, std::vector<uint8_t>* bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  ReadInputDataFile(file, bytes);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

}  // namespace

void SaveInputData(HWND window) {
  if (!StopWorker(window)) return;
  char fileTitle[64] = "";
  OPENFILENAMEA record = DialogRecord(window, fileTitle, OFN_HIDEREADONLY);
  record.lpstrDefExt = "cvn";
  // The dialog handles every message, a close of the window among them.
  if (GetSaveFileNameA(&record) == 0 || !IsWindow(window)) return;
  switch (WriteFileReplacing(filePath, EncodeInputData(InputDataFromBoard()))) {
    case ReplaceOutcome::kReplaced:
      break;
    case ReplaceOutcome::kCannotCreate:
      MessageBoxA(window, filePath, "Cannot Open File", MB_OK);
      return;
    case ReplaceOutcome::kCannotWrite:
      MessageBoxA(window, filePath, "Cannot Write File", MB_OK);
      return;
  }
  InvalidateRect(window, nullptr, TRUE);
}

void LoadInputData(HWND window) {
  if (!StopWorker(window)) return;
  char fileTitle[64] = "";
  OPENFILENAMEA record = DialogRecord(window, fileTitle, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  if (GetOpenFileNameA(&record) == 0 || !IsWindow(window)) return;
  std::vector<uint8_t> bytes;
  if (!ReadBoardFile(filePath, &bytes)) {
    MessageBoxA(window, filePath, "Cannot Open File", MB_OK);
    return;
  }
  TakeInputData(window, bytes);
}

void TakeInputData(HWND window, const std::vector<uint8_t>& bytes) {
  InputData data;
  if (DecodeInputData(bytes.data(), bytes.size(), &data) != InputDataStatus::kOk) {
    MessageBoxA(window, kBadFileText, kBadFileText, MB_OK);
    return;
  }
  ShowInputData(window, data);
}

void ShowInputData(HWND window, const InputData& data) {
  ApplyInputData(window, data);
  DrawAllCells(window);
  InvalidateRect(window, nullptr, TRUE);
}
