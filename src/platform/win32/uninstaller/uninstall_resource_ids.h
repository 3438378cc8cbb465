// Resource ids of uninstall.exe.
#pragma once

#define UNINSTALL_ICON 1
#define UNINSTALL_PROGRESS_DIALOG 100
#define UNINSTALL_PROGRESS_TEXT 1001
#define UNINSTALL_PROGRESS_BAR 1002
