// Command ids of the menu bar, the accelerator and the digit pop-up, grouped by
// the menu that sends them. Shared by the resource script and the C++ code, so
// it holds nothing but #defines.
#pragma once

// システム (&S)
#define IDM_EXIT 100
#define IDM_SAVE 101
#define IDM_LOAD 102
// 新規作成(&N), a sub-pop-up of システム
#define IDM_NEW_9 300
#define IDM_NEW_16 301
#define IDM_NEW_25 302

// クリア(&C)
#define IDM_CLEAR_ALL 200
#define IDM_CLEAR_WORKING 201

// 検索(&R)
#define IDM_START_SEARCH 500
#define IDM_STOP_SEARCH 501

// 過程表示(&P)
#define IDM_SHOW_PROGRESS 800
#define IDM_HIDE_PROGRESS 801

// ヘルプ(&H); F1 sends IDM_HELP too
#define IDM_ABOUT 400
#define IDM_HELP 401

// The digit pop-up of a right click: "Cancel", and IDM_DIGIT_BASE + d for d.
#define IDM_CLEAR_CELL 600
#define IDM_DIGIT_BASE 700
#define IDM_DIGIT_FIRST 701
#define IDM_DIGIT_LAST 725

// Position of the search pop-up on the menu bar.
#define SEARCH_MENU_POSITION 2

// Resource ids that are numbers rather than names.
#define IDR_MANIFEST 1
