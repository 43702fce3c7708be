// WriteFileReplacing on POSIX: mkstemp makes the new file beside the target,
// rename(2) moves it over the target in one step.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "file/replace_file.h"

ReplaceOutcome WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temporary = path + ".XXXXXX";
  const int descriptor = mkstemp(&temporary[0]);
  if (descriptor < 0) return ReplaceOutcome::kCannotCreate;
  // mkstemp makes the file for its owner alone; the file gets the mode any
  // new file would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t got = write(descriptor, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = EIO;
      break;
    }
    written += static_cast<size_t>(got);
  }
  const bool closed = close(descriptor) == 0;
  if (written == bytes.size() && closed && std::rename(temporary.c_str(), path.c_str()) == 0) {
    return ReplaceOutcome::kReplaced;
  }
  const int saved = errno;
  std::remove(temporary.c_str());
  errno = saved;
  return ReplaceOutcome::kCannotWrite;
}
