// The menu, message-box and message-pump calls the solver core makes on the
// window (solver/window_hooks.h); the drawing calls live in view/draw.cpp.
#include <windows.h>

#include "app/resource.h"
#include "solver/window_hooks.h"

void CheckMenuCommand(HWND window, int commandId, bool checked) {
  CheckMenuItem(GetMenu(window), commandId, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void EnableStartSearch(HWND window, bool enabled) {
  HMENU searchMenu = GetSubMenu(GetMenu(window), SEARCH_MENU_POSITION);
  EnableMenuItem(searchMenu, IDM_START_SEARCH, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void ShowResultMessage(HWND window, ResultMessage message) {
  const char* text = "";
  switch (message) {
    case ResultMessage::kInputConflict:
      text = "入力ミスがみつかりました。\n解答検索を中断します。";
      break;
    case ResultMessage::kNoSolution:
      text = "正解がありません。";
      break;
    case ResultMessage::kCannotStart:
      text = "解答検索を開始できませんでした。";
      break;
  }
  MessageBoxA(window, text, "Result", MB_OK);
}

// Only sent messages: the PM_QS_SENDMESSAGE filter dispatches them inside
// PeekMessage and leaves posted input queued for the message loop.
void HandleSentMessages(HWND) {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}
