// The common controls' declarations, which need the Windows header before them.
#pragma once

#include <windows.h>
// After <windows.h>:
#include <commctrl.h>
