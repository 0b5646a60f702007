// Resource ids of the extraction dialog.
#pragma once

#define IDD_EXTRACT 142
#define IDC_EXTRACT_STATUS 1002
#define IDC_EXTRACT_PROGRESS 1008
