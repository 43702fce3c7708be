// The main window as the program creates it: class, placement, resources,
// menu texts and marks, and the two ways the program ends.
#include "app/shell.h"

#include <utility>

#include "app/commands.h"
#include "solver/board.h"
#include "tests/win/window_fixture.h"
#include "view/canvas.h"

namespace {

std::string PopupText(HMENU menu, int position) {
  char text[128] = "";
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

using ShellTest = WindowTest;

// GetMessageA for the loop, failing (-1) from the given call on; the
// message record is left as it was, as a failing GetMessageA leaves it.
int getMessageCalls = 0;
int failFromCall = 0;
BOOL WINAPI GetMessageFailingLater(LPMSG message, HWND window, UINT first, UINT last) {
  if (++getMessageCalls >= failFromCall) return -1;
  return GetMessageA(message, window, first, last);
}

TEST_F(ShellTest, WindowIsTheFixedSizeMyWinCentredOnTheDesktop) {
  char className[32] = "";
  char title[64] = "";
  GetClassNameA(window_, className, sizeof className);
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_STREQ(className, "MyWin");
  EXPECT_STREQ(title, "Corvana Ver.1.2a");
  RECT own;
  RECT desktop;
  GetWindowRect(window_, &own);
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(own.right - own.left, 540);
  EXPECT_EQ(own.bottom - own.top, 564);
  EXPECT_EQ(own.left, (desktop.right - 540) / 2);
  EXPECT_EQ(own.top, (desktop.bottom - 564) / 2);
  const LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(ShellTest, MenuBarHasTheJapaneseTextsWithTheirExactSpacing) {
  HMENU bar = GetMenu(window_);
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  EXPECT_EQ(PopupText(bar, 0), "システム (&S)");
  EXPECT_EQ(PopupText(bar, 1), "クリア(&C)");
  EXPECT_EQ(PopupText(bar, 2), "検索(&R)");
  EXPECT_EQ(PopupText(bar, 3), "過程表示(&P)");
  EXPECT_EQ(PopupText(bar, 4), "ヘルプ(&H)");

  HMENU system = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(system), 6);
  EXPECT_EQ(PopupText(system, 0), "新規作成(&N)");
  EXPECT_NE(GetSubMenu(system, 0), nullptr);
  EXPECT_EQ(GetMenuState(system, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(system, 2), 101u);
  EXPECT_EQ(GetMenuItemID(system, 3), 102u);
  EXPECT_EQ(GetMenuState(system, 4, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(system, 5), 100u);

  EXPECT_EQ(MenuText(300), "９   ＊ ９");
  EXPECT_EQ(MenuText(301), "１６ ＊ １６");
  EXPECT_EQ(MenuText(302), "２５ ＊ ２５");
  EXPECT_EQ(MenuText(101), "入力データセーブ(&S)");
  EXPECT_EQ(MenuText(102), "入力データロード(&L)");
  EXPECT_EQ(MenuText(100), "&Exit");
  EXPECT_EQ(MenuText(200), "全面クリア (&A)");
  EXPECT_EQ(MenuText(201), "赤字以外クリア (&B)");
  EXPECT_EQ(MenuText(500), "検索開始  (&A)");
  EXPECT_EQ(MenuText(501), "検索中断  (&B)");
  EXPECT_EQ(MenuText(800), "表示する");
  EXPECT_EQ(MenuText(801), "表示しない");
  EXPECT_EQ(MenuText(401), "ヘルプ(&H)");
  EXPECT_EQ(MenuText(400), "About(&A)");
  EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 2), 0), 500u);
}

TEST_F(ShellTest, CreationChecksTheNineBoardAndShowsProgressWithStartEnabled) {
  EXPECT_TRUE(IsChecked(300));
  EXPECT_FALSE(IsChecked(301));
  EXPECT_FALSE(IsChecked(302));  // the resource checks it; creation corrects it
  EXPECT_TRUE(IsChecked(800));
  EXPECT_FALSE(IsChecked(801));
  EXPECT_EQ(board.showProgress.load(), 1) << "the check mark on 800 must tell the truth";
  EXPECT_FALSE(IsStartGreyed());
  EXPECT_EQ(board.gridSize, 9);
  EXPECT_EQ(board.searchStopped.load(), 1);
  EXPECT_EQ(board.cursor.x, 0);
  EXPECT_EQ(board.cursor.y, 0);
}

TEST_F(ShellTest, ResourcesAreJapaneseWithF1AcceleratorIconAndManifest) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
  EXPECT_EQ(japanese, 0x0411);
  EXPECT_NE(FindResourceExA(instance, RT_MENU, "MYMENU", japanese), nullptr);
  EXPECT_NE(FindResourceExA(instance, RT_ACCELERATOR, "MYMENU", japanese), nullptr);
  EXPECT_NE(FindResourceExA(instance, RT_GROUP_ICON, "MYICON", japanese), nullptr);
  // The common-controls 6 manifest, for native-looking dialogs.
  HRSRC manifest = FindResourceA(instance, MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string manifestText(
      static_cast<const char*>(LockResource(LoadResource(instance, manifest))),
      SizeofResource(instance, manifest));
  EXPECT_NE(manifestText.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifestText.find("version=\"6.0.0.0\""), std::string::npos);

  HACCEL accelerators = LoadAcceleratorsA(instance, "MYMENU");
  ACCEL entries[4];
  ASSERT_EQ(CopyAcceleratorTableA(accelerators, entries, 4), 1);
  EXPECT_EQ(entries[0].key, VK_F1);
  EXPECT_EQ(entries[0].cmd, 401);
  EXPECT_EQ(entries[0].fVirt & (FVIRTKEY | FSHIFT | FCONTROL | FALT), FVIRTKEY);

  // The icon group holds one 32 x 32 image of 8 bits a pixel (256 colours).
  HRSRC group = FindResourceA(instance, "MYICON", RT_GROUP_ICON);
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(instance, group)));
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(directory[4] | directory[5] << 8, 1);  // image count
  const BYTE* entry = directory + 6;
  EXPECT_EQ(entry[0], 32);
  EXPECT_EQ(entry[1], 32);
  EXPECT_EQ(entry[6] | entry[7] << 8, 8);  // bits a pixel

  HICON icon = static_cast<HICON>(LoadImageA(instance, "MYICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  ASSERT_NE(icon, nullptr);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap;
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 32);
  EXPECT_EQ(bitmap.bmHeight, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

TEST_F(ShellTest, HelpFileIsFoundBesideTheProgramFromAnyCurrentDirectory) {
  char before[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, before);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  ASSERT_TRUE(SetCurrentDirectoryA(temp));
  const std::string path = HelpFilePath();
  SetCurrentDirectoryA(before);
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string directory(module);
  directory.resize(directory.find_last_of('\\') + 1);
  EXPECT_EQ(path, directory + "cv_help.chm");
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

// The folder of a program whose path holds characters with 0x5C as their
// second byte in code page 932 (表, ソ, 能, 予, 十, 申) ends at a real backslash.
TEST(HelpFileTest, HelpFileBesideAProgramSplitsItsPathByCharacter) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Corvana\\Corvana.exe", "C:\\Corvana\\cv_help.chm"},
      {"C:\\ソフト\\ソルバー表.exe", "C:\\ソフト\\cv_help.chm"},
      {"D:\\予定表\\十申", "D:\\予定表\\cv_help.chm"},
      {"能.exe", "cv_help.chm"},
      {"C:/表/x.exe", "C:/表/cv_help.chm"},
  };
  for (const auto& [program, help] : cases) EXPECT_EQ(HelpFileBeside(program), help) << program;
}

TEST_F(ShellTest, AboutShowsTheVersionAndTheWarningAboutSparse25Boards) {
  Command(400);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Help");
  EXPECT_EQ(
      seen[0].text,
      "Corvana Ver.1.2a\n注意\n25*25で数字の入力量が少ないと、\n計算時間が非常に長くなります。");
  EXPECT_EQ(seen[0].owner, window_);
}

TEST_F(ShellTest, ExitAnsweredNoKeepsEverything) {
  EnterClue(2, 3, 7);
  watcher_->Queue(Press(IDNO));
  Command(100);
  const auto seen = watcher_->TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Exit");
  EXPECT_EQ(seen[0].text, "終了しますか？");
  EXPECT_NE(canvas, nullptr);
  EXPECT_EQ(board.given[2][3], 7);
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(ShellTest, ExitAnsweredYesReleasesTheCanvasAndPostsQuitZero) {
  watcher_->Queue(Press(IDYES));
  Command(100);
  EXPECT_EQ(canvas, nullptr);
  EXPECT_TRUE(IsWindow(window_));  // the window itself is not destroyed first
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
  // Nothing draws on a released canvas; a paint copies nothing.
  Command(300);
  InvalidateRect(window_, nullptr, TRUE);
  UpdateWindow(window_);
  EXPECT_EQ(canvas, nullptr);
}

TEST_F(ShellTest, TheMessageLoopDispatchesUntilTheQuitMessageAndReturnsItsCode) {
  HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYMENU");
  EnterClue(2, 3, 7);
  PostMessageA(window_, WM_COMMAND, 200, 0);  // clear everything
  PostQuitMessage(3);
  EXPECT_EQ(RunMessageLoop(window_, accelerators), 3);
  EXPECT_EQ(board.given[2][3], 0) << "the command before the quit message was dispatched";

  // Closing the window ends the loop with the program's own code 0.
  EnterClue(2, 3, 7);
  PostMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunMessageLoop(window_, accelerators), 0);
  EXPECT_FALSE(IsWindow(window_));
  window_ = nullptr;
}

// GetMessageA fails only for a bad window filter or message record, neither of
// which the loop passes; if it ever does, the program ends at once with exit
// code 1 rather than spin or return whatever the last message left behind.
TEST_F(ShellTest, AFailingGetMessageEndsTheLoopWithExitCodeOne) {
  HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), "MYMENU");
  EnterClue(2, 3, 7);
  PostMessageA(window_, WM_COMMAND, 200, 0);
  getMessageCalls = 0;
  failFromCall = 2;
  EXPECT_EQ(RunMessageLoop(window_, accelerators, GetMessageFailingLater), 1);
  EXPECT_EQ(getMessageCalls, 2) << "no second try after the failure";
  EXPECT_EQ(board.given[2][3], 0) << "the message before the failure was dispatched";
}

TEST_F(ShellTest, ClosingTheWindowEndsWithoutAQuestion) {
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_));
  window_ = nullptr;
  EXPECT_TRUE(watcher_->TakeSeen().empty());
  EXPECT_EQ(canvas, nullptr);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(ShellTest, UnknownCommandIdsChangeNothing) {
  EnterClue(0, 0, 5);
  for (int id : {0, 99, 103, 202, 303, 402, 502, 601, 700, 726, 802, 65535}) {
    EXPECT_EQ(SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0), 0) << id;
  }
  EXPECT_EQ(board.given[0][0], 5);
  EXPECT_EQ(board.gridSize, 9);
  EXPECT_TRUE(watcher_->TakeSeen().empty());
}

}  // namespace
