// The Windows test program: GoogleTest with the Japanese code page the
// program's texts are in, so failures print readable messages in a terminal.
#include <windows.h>

#include "gtest/gtest.h"

int main(int argc, char** argv) {
  SetConsoleOutputCP(932);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
