// NotifyIME: changes of the context the application made, and composition requests.
#pragma once
#include "textservice/imm/imm_driver.h"

BOOL NotifyImeOn(HIMC himc, DWORD action, DWORD index, DWORD value);
