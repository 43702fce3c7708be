#include "tests/win/random_user/session.h"

#include <cctype>
#include <cstring>
#include <sstream>

namespace {

const char kMainClass[] = "MyWin";
// Message boxes keep their text in a static control with this id.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return "";
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size,
                      nullptr, nullptr);
  return text;
}

std::string TextOf(HWND window) {
  wchar_t text[1024] = L"";
  DWORD_PTR length = 0;
  // Another process's window: asked with a time limit, as it may be busy.
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, &length);
  text[1023] = L'\0';
  return Utf8(text);
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Search {
  DWORD process;
  std::vector<HWND> found;
  const char* className;  // nullptr: dialogs and menus
};

BOOL CALLBACK Collect(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  const std::string name = ClassOf(window);
  const bool wanted = search->className != nullptr ? name == search->className
                                                   : name == "#32770" || name == "#32768";
  if (wanted) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> WindowsOf(DWORD process, const char* className) {
  Search search{process, {}, className};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Virtual-key code of one key name; 0 for an unknown name.
WORD KeyCode(const std::string& name) {
  static const struct {
    const char* name;
    WORD code;
  } kNamed[] = {{"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"space", VK_SPACE},
                {"Left", VK_LEFT},     {"Up", VK_UP},         {"Right", VK_RIGHT},
                {"Down", VK_DOWN},     {"ctrl", VK_CONTROL},  {"alt", VK_MENU},
                {"shift", VK_SHIFT}};
  for (const auto& key : kNamed) {
    if (name == key.name) return key.code;
  }
  if (name.size() == 3 && name.compare(0, 2, "KP") == 0 && name[2] >= '0' && name[2] <= '9') {
    return static_cast<WORD>(VK_NUMPAD0 + name[2] - '0');
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  return 0;
}

INPUT KeyInput(WORD code, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
  const bool extended = code == VK_LEFT || code == VK_UP || code == VK_RIGHT || code == VK_DOWN;
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

bool OpenClipboardFor(HWND owner) {
  // The program may hold the clipboard for a moment.
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Wait(10);
  }
  return false;
}

}  // namespace

void Wait(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

Session::Session() {
  owner_ = CreateWindowExA(0, "STATIC", "random user", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

Session::~Session() {
  Kill();
  if (owner_ != nullptr) DestroyWindow(owner_);
}

bool Session::Start(const std::string& program, std::string* error) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + program + "\"";
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process_)) {
    *error = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  WaitForInputIdle(process_.hProcess, 20000);
  for (int wait = 0; wait < 200 && window_ == nullptr; ++wait) {
    const std::vector<HWND> windows = WindowsOf(process_.dwProcessId, kMainClass);
    if (!windows.empty()) window_ = windows.front();
    if (window_ == nullptr) Wait(100);
  }
  if (window_ == nullptr) {
    *error = "the Corvana window did not appear";
    return false;
  }
  Focus();
  return true;
}

bool Session::Alive() { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

bool Session::Responds(DWORD ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &result) != 0;
}

// The keys go to the window that has the focus at the moment they are
// queued; while a box closes there is none for a moment, and keys are lost.
bool Session::HasFocus() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetForegroundWindow() == window_ && GetGUIThreadInfo(process_.dwThreadId, &info) &&
         info.hwndFocus == window_;
}

void Session::Focus() {
  for (int wait = 0; wait < 100 && !HasFocus(); ++wait) {
    if (GetForegroundWindow() != window_) SetForegroundWindow(window_);
    Wait(10);
  }
}

void Session::Send(std::vector<INPUT>* inputs) {
  if (inputs->empty()) return;
  SendInput(static_cast<UINT>(inputs->size()), inputs->data(), sizeof(INPUT));
  inputs->clear();
}

void Session::Keys(const std::string& keys) {
  std::istringstream chords(keys);
  std::string chord;
  std::vector<INPUT> inputs;
  while (chords >> chord) {
    std::vector<WORD> held;
    size_t start = 0;
    for (;;) {
      const size_t plus = chord.find('+', start);
      held.push_back(KeyCode(chord.substr(start, plus - start)));
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
    for (WORD code : held) inputs.push_back(KeyInput(code, false));
    for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    Send(&inputs);
    // A person's keys come some milliseconds apart; a menu opened by one
    // chord gets the time to show before the next.
    Wait(15);
  }
}

void Session::Click(int x, int y, bool right) {
  POINT point = {x, y};
  ClientToScreen(window_, &point);
  SetCursorPos(point.x, point.y);
  std::vector<INPUT> inputs(2);
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  Send(&inputs);
  Wait(15);
}

bool Session::PutText(const std::wstring& text) {
  if (!OpenClipboardFor(owner_)) return false;
  EmptyClipboard();
  const size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  bool put = false;
  if (memory != nullptr) {
    std::memcpy(GlobalLock(memory), text.c_str(), size);
    GlobalUnlock(memory);
    put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put) GlobalFree(memory);
  }
  CloseClipboard();
  return put;
}

bool Session::PutAnsi(const std::string& bytes) {
  if (!OpenClipboardFor(owner_)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
  bool put = false;
  if (memory != nullptr) {
    std::memcpy(GlobalLock(memory), bytes.c_str(), bytes.size() + 1);
    GlobalUnlock(memory);
    put = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!put) GlobalFree(memory);
  }
  CloseClipboard();
  return put;
}

bool Session::PutNothing() {
  if (!OpenClipboardFor(owner_)) return false;
  EmptyClipboard();
  CloseClipboard();
  return true;
}

bool Session::Copy(bool cluesOnly, DWORD ms, std::string* text) {
  const DWORD before = GetClipboardSequenceNumber();
  Keys(cluesOnly ? "ctrl+shift+c" : "ctrl+c");
  const DWORD start = GetTickCount();
  while (GetClipboardSequenceNumber() == before) {
    if (GetTickCount() - start > ms) return false;
    Wait(10);
  }
  if (!OpenClipboardFor(owner_)) return false;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text->clear();
      for (const wchar_t* c = wide; *c != L'\0'; ++c) *text += *c < 0x80 ? char(*c) : '?';
      GlobalUnlock(data);
      found = true;
    }
  }
  CloseClipboard();
  return found;
}

std::vector<SeenBox> Session::Dismiss(int noOrYes, std::string* stuck) {
  std::vector<SeenBox> seen;
  std::vector<HWND> answered;
  for (int round = 0; round < 100; ++round) {
    const std::vector<HWND> open = WindowsOf(process_.dwProcessId, nullptr);
    // A closing box is hidden before it is destroyed and its owner enabled
    // again; until then the keys would go nowhere.
    bool closing = IsWindow(window_) && !IsWindowEnabled(window_);
    for (HWND old : answered) closing = closing || IsWindow(old);
    if (open.empty() && !closing) return seen;
    for (HWND window : open) {
      if (ClassOf(window) == "#32768") {
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        continue;
      }
      bool again = false;
      for (HWND old : answered) again = again || old == window;
      if (!again) {
        // Its controls are filled in while it opens.
        Wait(50);
        HWND text = GetDlgItem(window, kMessageBoxTextId);
        seen.push_back({TextOf(window), text != nullptr ? TextOf(text) : ""});
        answered.push_back(window);
      }
      const int button = GetDlgItem(window, IDCANCEL)  ? IDCANCEL
                         : GetDlgItem(window, noOrYes) ? noOrYes
                                                       : IDOK;
      // Clicks the button itself, as a user would.
      HWND control = GetDlgItem(window, button);
      if (control != nullptr) {
        PostMessageA(control, BM_CLICK, 0, 0);
      } else {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      }
    }
    Wait(round < 10 ? 20 : 200);
  }
  if (stuck != nullptr) *stuck = "a dialog or menu would not close";
  return seen;
}

bool Session::WaitForExit(DWORD ms, DWORD* code) {
  if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_.hProcess, code);
  return true;
}

void Session::Kill() {
  if (process_.hProcess == nullptr) return;
  if (Alive()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  process_ = {};
}
