// Answers the modal dialogs and pop-up menus that the real window opens while
// a test drives it, as a user would: a thread that looks for the process's
// dialog windows ("#32770") and menu windows ("#32768"), reads what they say
// and presses their buttons or picks their items. Replies are used in the
// order they were queued; a window that finds no queued reply is cancelled
// (a message box gets its default answer, a menu is dismissed).
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct Reply {
  enum Kind { kPress, kFile, kCancel, kMenuDigit, kMenuCancel, kMenuDismiss };
  Kind kind;
  int button = IDOK;  // kPress: the button to press
  std::string path;   // kFile: typed into the file name box before OK
  int digit = 0;      // kMenuDigit: the digit to pick
};

// What the watcher found in one window it answered.
struct SeenWindow {
  bool isMenu = false;
  std::string caption;  // dialog title
  std::string text;     // message box text, or the file name box as the dialog opened
  HWND owner = nullptr;
  // Menus: the top-level item texts with their sub-menus' item texts and ids.
  std::vector<std::string> labels;
  std::vector<std::vector<std::pair<std::string, UINT>>> groups;
  std::vector<std::pair<std::string, UINT>> items;  // top-level items that are not sub-menus
};

class DialogWatcher {
 public:
  DialogWatcher();
  ~DialogWatcher();

  void Queue(const Reply& reply);
  // Everything answered so far, in order, and forgets it.
  std::vector<SeenWindow> TakeSeen();
  // True once every queued reply has been used.
  bool Idle();

 private:
  void Run();
  void Answer(HWND window, HMENU menu);  // menu: what a pop-up shows, else null
  void Record(const SeenWindow& seen);

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::deque<Reply> replies_;
  std::vector<SeenWindow> seen_;
  std::vector<HWND> answered_;
  HMENU lastMenu_ = nullptr;  // the pop-up answered last; watcher thread only
  std::thread thread_;        // last: it starts once everything above exists
};

Reply Press(int button);
Reply ChooseFile(const std::string& path);
Reply CancelDialog();
Reply PickDigit(int digit);
Reply PickMenuCancel();
Reply DismissMenu();
