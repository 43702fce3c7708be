// Replacing a file whole: the new content goes into a file of its own beside
// the target and is moved over the target only once every byte is written and
// the file closed, so a failure at any step leaves an existing target as it
// was. The new file is named as the target's whole path with a suffix, so the
// path is never taken apart: in code page 932 the second byte of a character
// such as 表 or ソ is 0x5C, a backslash, and a split by bytes would cut the
// name inside it. Callable from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ReplaceOutcome {
  kReplaced,
  kCannotCreate,  // no new file could be made beside the target
  kCannotWrite,   // made, but a write, the close or the move over the target failed
};

// Writes `bytes` as the whole content of `path`, a path in the platform's
// narrow encoding (on Windows the ANSI code page). On a failure no new file is
// left behind, and errno (POSIX) or GetLastError (Windows) says why.
ReplaceOutcome WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes);
