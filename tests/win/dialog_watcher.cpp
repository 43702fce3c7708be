#include "tests/win/dialog_watcher.h"

#include <dlgs.h>

#include <chrono>

namespace {

// Message boxes keep their text in a static control with this id.
constexpr int kMessageBoxTextId = 0xFFFF;
// MN_GETHMENU: the menu a pop-up menu window shows.
constexpr UINT kGetMenuHandle = 0x01E1;

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string MenuItemText(HMENU menu, UINT position) {
  char text[128] = "";
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

struct Found {
  std::vector<std::pair<HWND, bool>> windows;  // window, is a menu
};

HMENU MenuOf(HWND menuWindow) {
  DWORD_PTR menu = 0;
  SendMessageTimeoutA(menuWindow, kGetMenuHandle, 0, 0, SMTO_NORMAL, 1000, &menu);
  return reinterpret_cast<HMENU>(menu);
}

bool IsSubMenuOf(HMENU top, HMENU menu) {
  if (top == nullptr) return false;
  for (int i = 0; i < GetMenuItemCount(top); ++i) {
    if (GetSubMenu(top, i) == menu) return true;
  }
  return false;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  const std::string name = ClassOf(window);
  auto* found = reinterpret_cast<Found*>(context);
  if (name == "#32770") found->windows.emplace_back(window, false);
  if (name == "#32768") found->windows.emplace_back(window, true);
  return TRUE;
}

// Keys go to the thread that runs the menu, through its message queue.
void PostKey(HWND target, UINT key) {
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// The position of the item `menu` highlights, or -1.
int Highlighted(HMENU menu) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if ((GetMenuState(menu, i, MF_BYPOSITION) & MF_HILITE) != 0) return i;
  }
  return -1;
}

// Waits up to a fifth of a second for `menu` to highlight something other
// than `before`.
int WaitForHighlightChange(HMENU menu, int before) {
  for (int wait = 0; wait < 40 && Highlighted(menu) == before; ++wait) Sleep(5);
  return Highlighted(menu);
}

// Presses `key` on the menu until `menu` highlights `position`. A key that
// reaches the menu before its loop is ready is lost, so every press is
// checked before the next.
bool MoveTo(HWND target, HMENU menu, UINT key, int position) {
  for (int press = 0; press < 50; ++press) {
    const int now = Highlighted(menu);
    if (now == position) return true;
    PostKey(target, key);
    WaitForHighlightChange(menu, now);
  }
  return Highlighted(menu) == position;
}

bool IsOpen(HWND menuWindow) { return IsWindow(menuWindow) && IsWindowVisible(menuWindow); }

// Presses `key` until the menu closes: the last key can be lost as well, and
// the menu would then wait for one forever.
void CloseWith(HWND menuWindow, UINT key) {
  for (int press = 0; press < 20 && IsOpen(menuWindow); ++press) {
    PostKey(menuWindow, key);
    for (int wait = 0; wait < 40 && IsOpen(menuWindow); ++wait) Sleep(5);
  }
}

void PickFromMenu(HWND menuWindow, HMENU menu, const Reply& reply) {
  HWND target = menuWindow;
  if (reply.kind == Reply::kMenuDismiss) {
    CloseWith(target, VK_ESCAPE);
    return;
  }
  const int count = GetMenuItemCount(menu);
  if (reply.kind == Reply::kMenuCancel) {
    CloseWith(target, MoveTo(target, menu, VK_UP, count - 1) ? VK_RETURN : VK_ESCAPE);
    return;
  }
  // The digit's sub-menu is found by its ids, so the test does not assume
  // the layout it checks elsewhere.
  for (int group = 0; group < count; ++group) {
    HMENU sub = GetSubMenu(menu, group);
    if (sub == nullptr) continue;
    for (int item = 0; item < GetMenuItemCount(sub); ++item) {
      if (GetMenuItemID(sub, item) != static_cast<UINT>(700 + reply.digit)) continue;
      if (!MoveTo(target, menu, VK_DOWN, group)) break;
      // Opening the sub-menu highlights its first item.
      for (int press = 0; press < 10 && Highlighted(sub) < 0; ++press) {
        PostKey(target, VK_RIGHT);
        WaitForHighlightChange(sub, -1);
      }
      CloseWith(target, MoveTo(target, sub, VK_DOWN, item) ? VK_RETURN : VK_ESCAPE);
      return;
    }
  }
  CloseWith(target, VK_ESCAPE);
}

}  // namespace

Reply Press(int button) { return Reply{Reply::kPress, button, "", 0}; }
Reply ChooseFile(const std::string& path) { return Reply{Reply::kFile, IDOK, path, 0}; }
Reply CancelDialog() { return Reply{Reply::kCancel, IDCANCEL, "", 0}; }
Reply PickDigit(int digit) { return Reply{Reply::kMenuDigit, 0, "", digit}; }
Reply PickMenuCancel() { return Reply{Reply::kMenuCancel, 0, "", 0}; }
Reply DismissMenu() { return Reply{Reply::kMenuDismiss, 0, "", 0}; }

DialogWatcher::DialogWatcher() {
  thread_ = std::thread([this] { Run(); });
}

DialogWatcher::~DialogWatcher() {
  stop_ = true;
  thread_.join();
}

void DialogWatcher::Queue(const Reply& reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_.push_back(reply);
}

std::vector<SeenWindow> DialogWatcher::TakeSeen() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<SeenWindow> seen;
  seen.swap(seen_);
  return seen;
}

bool DialogWatcher::Idle() {
  std::lock_guard<std::mutex> lock(mutex_);
  return replies_.empty();
}

void DialogWatcher::Run() {
  while (!stop_) {
    Found found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    std::vector<HWND> stillOpen;
    bool anyMenu = false;
    for (const auto& [window, isMenu] : found.windows) {
      stillOpen.push_back(window);
      anyMenu = anyMenu || isMenu;
      if (isMenu) {
        // A sub-menu opening while a pop-up is being answered is part of
        // that answer; a pop-up showing another menu is a new one.
        const HMENU menu = MenuOf(window);
        if (menu == nullptr || menu == lastMenu_ || IsSubMenuOf(lastMenu_, menu)) continue;
        lastMenu_ = menu;
        Answer(window, menu);
        continue;
      }
      bool done = false;
      for (HWND old : answered_) done = done || old == window;
      if (!done) Answer(window, nullptr);
    }
    if (!anyMenu) lastMenu_ = nullptr;
    // A window handle may come back for the next dialog once this one is gone.
    std::vector<HWND> keep;
    for (HWND old : answered_) {
      for (HWND open : stillOpen) {
        if (open == old) keep.push_back(old);
      }
    }
    answered_.swap(keep);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
}

void DialogWatcher::Answer(HWND window, HMENU menu) {
  const bool isMenu = menu != nullptr;
  Reply reply = isMenu ? DismissMenu() : CancelDialog();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!replies_.empty()) {
      reply = replies_.front();
      replies_.pop_front();
    }
  }
  SeenWindow seen;
  seen.isMenu = isMenu;
  seen.owner = GetWindow(window, GW_OWNER);
  if (isMenu) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      HMENU sub = GetSubMenu(menu, i);
      if (sub == nullptr) {
        seen.items.emplace_back(MenuItemText(menu, i), GetMenuItemID(menu, i));
        continue;
      }
      seen.labels.push_back(MenuItemText(menu, i));
      seen.groups.emplace_back();
      for (int j = 0; j < GetMenuItemCount(sub); ++j) {
        seen.groups.back().emplace_back(MenuItemText(sub, j), GetMenuItemID(sub, j));
      }
    }
    Record(seen);
    PickFromMenu(window, menu, reply);
  } else {
    // Give the dialog a moment to fill in its controls.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    seen.caption = WindowText(window);
    HWND text = GetDlgItem(window, kMessageBoxTextId);
    HWND fileName =
        GetDlgItem(window, cmb13) ? GetDlgItem(window, cmb13) : GetDlgItem(window, edt1);
    if (text != nullptr) seen.text = WindowText(text);
    if (text == nullptr && fileName != nullptr) seen.text = WindowText(fileName);
    Record(seen);
    if (reply.kind == Reply::kFile && fileName != nullptr) {
      SendMessageA(fileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(reply.path.c_str()));
    }
    int button = reply.button;
    if (reply.kind == Reply::kCancel) {
      // The default answer: Cancel where there is one, else No, else OK.
      button = GetDlgItem(window, IDCANCEL) ? IDCANCEL : GetDlgItem(window, IDNO) ? IDNO : IDOK;
    }
    // Clicks the button itself, as a user would.
    HWND control = GetDlgItem(window, button);
    if (control != nullptr) {
      PostMessageA(control, BM_CLICK, 0, 0);
    } else {
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }
  }
  answered_.push_back(window);
}

// Before the answer, so that a test that returns from the modal call finds it.
void DialogWatcher::Record(const SeenWindow& seen) {
  std::lock_guard<std::mutex> lock(mutex_);
  seen_.push_back(seen);
}
