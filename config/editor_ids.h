// Resource ids of the three editors: the word editor, the advanced settings editor and the
// key-function editor (shared by editors.rc and the code).
#pragma once

// Word editor.
#define IDD_WORD_EDITOR 153
#define IDC_WORD_TEXT 1014
#define IDC_WORD_CODE 1013
#define IDC_WORD_BEFORE_SYSTEM 1005
#define IDC_WORD_FROM_CLIPBOARD 1004
#define IDC_WORD_STATUS 1034
#define IDC_WORD_TEXT_LABEL 1040
#define IDC_WORD_CODE_LABEL 1041

// Advanced settings editor.
#define IDD_ADVANCED_EDITOR 157
#define IDC_ADV_FIND_TEXT 1003
#define IDC_ADV_EDITOR 1015
#define IDC_ADV_SAVE 40004
#define IDC_ADV_IMPORT 40005
#define IDC_ADV_EXPORT 40006
#define IDC_ADV_HINT 1042
#define IDM_EDITOR_CONTEXT 40008
#define IDM_EDIT_CUT 57635
#define IDM_EDIT_COPY 57634
#define IDM_EDIT_PASTE 32937
#define IDM_EDIT_CLEAR 32839
#define IDM_EDIT_UNDO 57643
#define IDM_EDIT_REDO 57644

// Key-function editor.
#define IDD_KEY_FUNCTIONS 137
#define IDC_KEYS_CTRL 1004
#define IDC_KEYS_ALT 1005
#define IDC_KEYS_SHIFT 1032
#define IDM_KEY_FUNCTIONS 145
#define IDC_KEY_FIRST 1100  // the key buttons: IDC_KEY_FIRST + their place in the key table
