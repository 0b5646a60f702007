// Resource ids of the program's own templates and icons (shared by the .rc and the code).
#pragma once

#define IDI_PROGRAM 101
#define IDD_MAIN_DIALOG 102
#define IDC_MAIN_TABS 1024
#define IDC_MAIN_PAGE_AREA 1031
#define IDC_MAIN_FRAME 1030

// Tab icons (also looked for in the input method module first).
#define IDI_TAB_ADVANCED 117
#define IDI_TAB_APPEARANCE 118
#define IDI_TAB_ABOUT 119
#define IDI_TAB_INPUT 120
#define IDI_TAB_TABLES 121

#define IDD_DLL_INPUT_PAGE 146
#define IDD_DLL_APPEARANCE_PAGE 149
#define IDD_SYSTEM_PAGE 150
#define IDC_SYS_EMBEDDING 40004
#define IDC_SYS_ADVANCED 40005
#define IDC_SYS_KEYS 40006
#define IDC_SYS_NO_COMBOS 1024
#define IDC_SYS_BOTH_TABLES 1020
#define IDC_SYS_MAIN_TABLE 1021
#define IDC_SYS_AUX_TABLE 1022
#define IDC_SYS_SCHEME_GROUP 1027
#define IDC_SYS_SEARCH 1017
#define IDC_SYS_NO_SEARCH 1018
#define IDC_SYS_SEARCH_GROUP 1028
#define IDC_SYS_SEARCH_ON_EMPTY 1032
#define IDC_SYS_TEXT_MODE 1033
#define IDC_SYS_EMBED_LABEL 1023

// Stand-ins for dialogs and pages not built into the program.
#define IDD_PLACEHOLDER 198
#define IDD_EMPTY_PAGE 199
