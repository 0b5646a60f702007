// Resource ids of the dialog layer's test templates (shared by the .rc and the tests).
#pragma once

#define IDD_TEST_MODAL 100
#define IDC_TEST_EDIT 1001
#define IDC_TEST_OTHER 1002
#define IDD_TEST_PAGE 200
#define IDC_TEST_PAGE_EDIT 2001
#define IDD_TEST_HOST 300
#define IDC_TEST_HOST_BUTTON 3001
#define IDR_TEST_ACCELERATORS 400
#define IDM_TEST_ACCELERATED 4001
