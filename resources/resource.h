// Resource ids of corvasin.dll. The icon order (by id) is the order of the icon indices that
// the folders hand to the shell.
#pragma once

// Icons, bitmaps, dialog templates, menus and embedded files.
#define IDI_REGISTRY 20000
#define IDI_KEY 20001
#define IDI_KEY_OPEN 20002
#define IDI_VALUE_TEXT 20003
#define IDI_VALUE_BINARY 20004
#define IDD_EDIT_TEXT 20005
#define IDD_EDIT_DWORD 20006
#define IDD_EDIT_MULTI_TEXT 20007
#define IDB_TOOLBAR 20008
#define IDD_FIND 20009
#define IDD_EDIT_BINARY 20010
#define IDR_WEB_TEMPLATE 20011 // "Corvasin.htt", resource type "File"
#define IDR_WEB_ABOUT 20018    // "Corvasin.html"
#define IDR_WEB_STYLE 20019    // "Corvasin.css"
#define IDR_WEB_CORNER 20020   // "cvcorner.gif"
#define IDD_RESULTS 20021
#define IDI_SEARCH 20022
#define IDM_RESULTS 20023
#define IDD_EXPORT_TYPE 20026
#define IDR_WEB_BACKGROUND 20029 // "cvbgcrnr.gif"

// Controls of the value dialogs.
#define IDC_VALUE_EDIT 20000
#define IDC_VALUE_LABEL 20001
#define IDC_RADIO_DECIMAL 20003
#define IDC_RADIO_HEX 20004

// Controls of the find dialog.
#define IDC_FIND_TEXT 20000
#define IDC_FIND_KEYS 20005
#define IDC_FIND_VALUES 20006
#define IDC_FIND_DATA 20007
#define IDC_FIND_IGNORE_CASE 20016
#define IDC_FIND_LOW_PRIORITY 20017

// Controls of the search results window, and the command of its item menu.
#define IDC_RESULTS_LIST 20014
#define IDC_RESULTS_STATUS 20015
#define ID_RESULTS_OPEN_FOLDER 32771

// Controls of the export type dialog.
#define IDC_EXPORT_NORMAL 20018
#define IDC_EXPORT_INVERSE 20009

// The change list window: what a compare found, or what a registration file would change.
#define IDD_CHANGES 20030
#define IDC_CHANGES_LIST 20031
#define IDC_CHANGES_STATUS 20032
