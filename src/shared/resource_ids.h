/* Resource and control ids shared by resources/setup.rc and the wizard.
   Plain defines, so that the resource compiler can read them too. */
#pragma once

/* Dialogs: the frame and the pages (English / Russian). */
#define DIALOG_FRAME 107
#define DIALOG_LANGUAGE 108
#define DIALOG_OPTIONS_EN 112
#define DIALOG_OPTIONS_RU 101
#define DIALOG_TIMESHIFT_EN 115
#define DIALOG_TIMESHIFT_RU 117
#define DIALOG_MODULES_EN 116
#define DIALOG_MODULES_RU 114
#define DIALOG_EXTRACT_EN 111
#define DIALOG_EXTRACT_RU 106
#define DIALOG_FINISH_EN 110
#define DIALOG_FINISH_RU 109

#define ICON_PRODUCT 104
#define ARCHIVE_RESOURCE 105
/* The CRC-32 of the archive resource, recorded by the build (RCDATA). */
#define ARCHIVE_CHECK_RESOURCE 120

/* Frame buttons. */
#define ID_CANCEL 2
#define ID_NEXT 1006
#define ID_BACK 1007

/* Page controls. */
#define ID_ELECARD_FILTERS 1001
#define ID_DESTINATION 1002 /* also the timeshift file edit */
#define ID_BROWSE 1003
#define ID_PROGRESS 1005
#define ID_ENGLISH 1007
#define ID_RUSSIAN 1008
#define ID_FINISH_TEXT 1009
#define ID_RUN_PRODUCT 1010
#define ID_MODULE_LIST 1014
#define ID_TWINHAN_SOURCE 1019
#define ID_DEVICE_LIST 1023
#define ID_TIMESHIFT_MEMORY 1026
#define ID_TIMESHIFT_FILE 1027
#define ID_TIMESHIFT_DISABLE 1028
#define ID_BUFFER_SIZE 1029

/* String table. */
#define STRING_BROWSE_TITLE_EN 1
#define STRING_BROWSER_CAPTION 2
#define STRING_EXTRACT_ERROR_EN 3
#define STRING_CREATE_ERROR_EN 4
#define STRING_PRODUCT_NAME 5
#define STRING_TERMINATED_EN 6
#define STRING_BROWSE_TITLE_RU 7
#define STRING_TERMINATED_RU 8
#define STRING_EXTRACT_ERROR_RU 9
#define STRING_CREATE_ERROR_RU 10
/* 11 to 32: the device labels (DeviceTable). */
#define STRING_DESTINATION_TOO_LONG_EN 33
#define STRING_DESTINATION_TOO_LONG_RU 34
#define STRING_DESTINATION_REFUSED_EN 35
#define STRING_DESTINATION_REFUSED_RU 36
#define STRING_DAMAGED_INSTALLER_EN 37
#define STRING_DAMAGED_INSTALLER_RU 38
