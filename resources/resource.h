// Resource ids of corvasin.dll. The icon order (by id) is the order of the icon indices that
// the folders hand to the shell.
#pragma once

#define IDI_REGISTRY 20000
#define IDI_KEY 20001
#define IDI_KEY_OPEN 20002
#define IDI_VALUE_TEXT 20003
#define IDI_VALUE_BINARY 20004
#define IDD_EDIT_TEXT 20005
#define IDD_EDIT_DWORD 20006
#define IDD_EDIT_MULTI_TEXT 20007
#define IDB_TOOLBAR 20008
#define IDD_EXPORT 20009
#define IDD_EDIT_BINARY 20010
#define IDD_FIND 20021
#define IDI_SEARCH 20022
#define IDM_RESULTS 20023
#define IDD_RESULTS 20026

// Controls of the value dialogs.
#define IDC_VALUE_EDIT 20000
#define IDC_VALUE_LABEL 20001
#define IDC_RADIO_DECIMAL 20003
#define IDC_RADIO_HEX 20004
