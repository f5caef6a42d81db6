// Identifiers of every dialog template, control, command, icon and bitmap. The numbers
// are part of the program's external interface: keep them.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_FILE_BROWSER 102
#define IDD_PROGRESS 132
#define IDD_ENCRYPT_PASSWORD 134
#define IDD_DECRYPT_PASSWORD 135
#define IDD_PASSPHRASE 138

#define IDI_PROGRAM 128
#define IDI_ENCRYPTED_FILE 129
#define IDB_BANNER 137

#define IDC_FILE_LIST 1000
#define IDC_PATH_LABEL 1002
#define IDC_FILE_TYPE 1003
#define IDC_DRIVE 1004
#define IDC_BACK 1009
#define IDC_PROGRESS_BAR 1010
#define IDC_PROGRESS_TEXT 1011
#define ID_MENU_DECRYPT 1012
#define ID_MENU_ENCRYPT 1013
#define IDC_VENDOR_LINK 1014
#define IDC_PASSWORD 1015
#define IDC_RETYPE 1016
#define IDC_STRONG 1017
#define ID_MENU_UPGRADE 1018
#define IDC_PROGRESS_NAME 1019
#define IDC_PROGRESS_SPEED 1020
#define IDC_PROGRESS_BATCH 1021
#define IDC_PROGRESS_TOTAL 1022
#define IDC_STRONG_NOTE 1023
#define IDC_STRENGTH 1024
#define IDC_GENERATE 1025
#define IDC_PASSPHRASE 1026
#define IDC_COPY 1027
#define IDC_WHOLE_TREE 1028

#ifndef ID_HELP
#define ID_HELP 57670
#endif
