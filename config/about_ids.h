// Resource ids of the about page, the HTML viewer, the embedding dialog and the updater.
#pragma once

#define IDD_ABOUT_PAGE 141
#define IDD_HTML_VIEWER 148
#define IDD_EMBEDDING 156
#define IDD_UPDATER 168

// About page and viewer.
#define IDC_ABOUT_VERSION 1003
#define IDC_HTML_BROWSER 1029
#define IDC_ABOUT_CHECK_UPDATE 40004

// Embedding dialog.
#define IDC_EMBED_IME_CLASSIC 1017
#define IDC_EMBED_CODE 1018
#define IDC_EMBED_FIRST 1019
#define IDC_EMBED_TSF_CLASSIC 1020
#define IDC_EMBED_ONLY_WHEN_MANY 1004
#define IDC_EMBED_HIDE_FIRST 1005

// Updater.
#define IDC_UPDATE_LOG 1006
#define IDC_UPDATE_CHECK 40004
#define IDC_UPDATE_PROGRESS 1043
