// WriteFileReplacing on the wide file calls, so that the path is taken as a
// whole string of characters and never parsed byte by byte.
#include <windows.h>

#include <string>

#include "file/replace_file.h"

namespace {

// How many names beside the target are tried when one is taken, by a file
// left over from a save that did not end or by a save running beside this one.
constexpr int kNewFileAttempts = 10;

bool Widen(const std::string& narrow, std::wstring* wide) {
  const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(),
                                       static_cast<int>(narrow.size()), nullptr, 0);
  if (size <= 0) return false;
  wide->assign(static_cast<size_t>(size), L'\0');
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(),
                             static_cast<int>(narrow.size()), &(*wide)[0], size) == size;
}

// A file made only if no file of its name exists, so another one's content is
// never written into.
HANDLE CreateNewFileBeside(const std::wstring& target, std::wstring* name) {
  for (int attempt = 0; attempt < kNewFileAttempts; ++attempt) {
    *name = target + L".~" + std::to_wstring(attempt);
    HANDLE file = CreateFileW(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(bytes.size() - written);
    if (!WriteFile(file, bytes.data() + written, want, &got, nullptr) || got == 0) return false;
    written += got;
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

ReplaceOutcome WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::wstring target;
  if (!Widen(path, &target)) return ReplaceOutcome::kCannotCreate;
  std::wstring name;
  HANDLE file = CreateNewFileBeside(target, &name);
  if (file == INVALID_HANDLE_VALUE) return ReplaceOutcome::kCannotCreate;
  const bool written = WriteAll(file, bytes);
  const bool closed = CloseHandle(file) != 0;
  if (written && closed &&
      MoveFileExW(name.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return ReplaceOutcome::kReplaced;
  }
  const DWORD error = GetLastError();
  DeleteFileW(name.c_str());
  SetLastError(error);
  return ReplaceOutcome::kCannotWrite;
}
