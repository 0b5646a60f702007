// Templates and controls of the repair and the uninstall dialogs.
#pragma once

#define IDD_REPAIR 140
#define IDD_UNINSTALL 141
#define IDI_REPAIR 102
#define IDI_UNINSTALL 103

#define IDC_MAINTENANCE_LOG 1006
#define IDC_MAINTENANCE_PROGRESS 1008
#define IDC_MAINTENANCE_HEADER 1032
