// The real Corvana.exe in a process of its own, and what a user's hands do
// with it: keys and mouse clicks through SendInput, which reach the program
// through its input queue as a keyboard's and a mouse's would, text put on
// and read from the clipboard, and the message boxes and menus that open on
// the screen, answered or closed. Everything runs on the driver's one thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Sleeps for `ms` while answering the messages that come to the driver's own
// window: the program that takes the clipboard over tells its last owner, and
// waits for the answer.
void Wait(DWORD ms);

// A message box, file dialog or any other dialog the program opened.
struct SeenBox {
  std::string caption;  // UTF-8
  std::string text;     // UTF-8, the message box's text when it has one
};

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the program and waits for its main window; false with *error set
  // when it does not come up.
  bool Start(const std::string& program, std::string* error);
  bool Alive();
  // True when the window thread answers a sent message within `ms`.
  bool Responds(DWORD ms);
  // Brings the main window to the front, where the keys go.
  void Focus();

  // Keys written as xdotool writes them, separated by spaces: "alt+s n Down
  // Return", "ctrl+v", "KP7". Each chord is pressed and released in order.
  void Keys(const std::string& keys);
  // A left or right click at a client position of the main window.
  void Click(int x, int y, bool right);

  // What another program would put on the clipboard: UTF-16 text, ANSI
  // bytes (code page 932), or nothing at all.
  bool PutText(const std::wstring& text);
  bool PutAnsi(const std::string& bytes);
  bool PutNothing();
  // Presses Ctrl+C (Ctrl+Shift+C with `cluesOnly`) and reads the text the
  // program put on the clipboard, as ASCII; false when no copy arrived within
  // `ms`.
  bool Copy(bool cluesOnly, DWORD ms, std::string* text);

  // Answers every dialog that is open, with IDCANCEL where there is one,
  // else `noOrYes` where the box has it (IDNO or IDYES), else IDOK, and closes
  // every open menu with Escape. Returns the dialogs answered. A dialog that
  // will not close is reported in *stuck.
  std::vector<SeenBox> Dismiss(int noOrYes, std::string* stuck);
  // Waits for the program to end; true with its exit code in *code.
  bool WaitForExit(DWORD ms, DWORD* code);
  void Kill();

 private:
  void Send(std::vector<INPUT>* inputs);
  bool HasFocus();

  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  HWND owner_ = nullptr;  // the driver's own window, owner of what it puts on the clipboard
};
