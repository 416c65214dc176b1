// Resource and command ids. Each number is used once.
#ifndef ORVANEL_RESOURCES_RESOURCE_H
#define ORVANEL_RESOURCES_RESOURCE_H

// Menus and accelerators
#define IDR_MAINMENU 1
#define IDR_POPUPMENU 2
#define IDR_ACCEL 1

// Icons
#define IDI_APP 101
#define IDI_DISK 102
#define IDI_DISK_PROTECTED 103
#define IDI_DISK_ERRORS 104  // drawn over a disk a check found errors in

// Dialogs
#define IDD_ABOUT 1
#define IDD_SETTINGS 2
#define IDD_PROMPT 3
#define IDD_PROPERTIES 4
#define IDD_FILES 5     // the files of a disk
#define IDD_CHECK 6     // the findings of the selected disks
#define IDD_FORMAT 7    // a question about an image of another format (its losses, its geometry)

// File menu
#define IDM_NEW 101
#define IDM_OPEN 102
#define IDM_SAVE 103
#define IDM_SAVEAS 104
#define IDM_SETTINGS 105
#define IDM_EXIT 109

// Disk menu
#define IDM_NEWDISK 201
#define IDM_ADDDISK 202
#define IDM_DELETEDISK 203
#define IDM_EXTRACT 204
#define IDM_RENAME 205
#define IDM_WRITEPROTECT 206
#define IDM_PROPERTIES 209
#define IDM_FILES 210
#define IDM_CHECK 211
#define IDM_EXPORT 212

// View menu
#define IDM_STATUSBAR 301
#define IDM_LARGEICON 302
#define IDM_SMALLICON 303
#define IDM_LIST 304
#define IDM_DETAILS 305

// Help menu
#define IDM_HELPTOPICS 901
#define IDM_ABOUT 909

// Drop menu
#define IDM_DROP_OPEN 1001
#define IDM_DROP_ADD 1002
#define IDM_DROP_CANCEL 1003

// Child windows of the main window
#define IDC_DISKLIST 1
#define IDC_STATUSBAR 2

// About dialog
#define IDC_ABOUT_ICON 101

// Settings dialog
#define IDC_DROPGROUP 101
#define IDC_DROP_OPEN 102
#define IDC_DROP_ADD 103
#define IDC_MAKE_BACKUP 104

// Prompt dialog
#define IDC_ALLYES 101
#define IDC_PROMPTTEXT 102

// Properties dialog
#define IDC_DISKNAME 101
#define IDC_MEDIATYPE 102
#define IDC_DISKSIZE 103
#define IDC_WRITEPROTECT 104

// Files window (ids 301-399)
#define IDC_FILES_SYSTEM 301
#define IDC_FILES_DETAIL 302
#define IDC_FILES_LIST 303
#define IDC_FILES_DELETED 304
#define IDC_FILES_AS_TEXT 305
#define IDC_FILES_EXTRACT 306
#define IDC_FILES_SELECT_ALL 307  // Ctrl+A in the list
#define IDC_FILES_COPY 308        // Ctrl+C in the list

// Check window (ids 401-499)
#define IDC_CHECK_SUMMARY 401
#define IDC_CHECK_LIST 402
#define IDC_CHECK_SELECT_ALL 403  // Ctrl+A in the list
#define IDC_CHECK_COPY 404        // Ctrl+C in the list

// Format question (ids 501-599)
#define IDC_FORMAT_QUESTION 501
#define IDC_FORMAT_REPORT 502
#define IDC_FORMAT_CHOICES 503

#endif
