#pragma once
// Resource and control identifiers of Corvandale.exe. The numbers are fixed:
// the accelerator table sends the shared command ids to whichever of the
// program's dialogs is open, and the dialogs use them for the same buttons.
#include "analyser/batcher_client/win/dialog_ids_link.h" // the wait for Quillmere
#include "dialog_ids_maps.h"                             // the channel mapping dialogs
#include "dialog_ids_settings.h"                         // the preferences and properties dialogs

#define IDI_CORVANDALE 1001

// Commands shared by the program's dialogs: Ok 210, Cancel 215 and Apply 216
// come with the dialog ids above.
#define IDC_DIALOG_DELETE 220

// Main window.
#define IDD_MAIN 101
#define IDC_ADD 2101
#define IDC_CONVERT 2103
#define IDC_EXIT 2104
#define IDC_CLEAR_LIST 2105
#define IDC_ANALYSE_LIST 2106
#define IDC_PROPERTIES 2107
#define IDC_FILE_LIST 2108

// Menu 201 and the accelerator table 301.
#define IDR_MAIN_MENU 201
#define IDR_ACCELERATORS 301
#define IDM_EXIT 8005
#define IDM_PREFERENCES 8010
#define IDM_CHANNEL_MAPPING 8012
#define IDM_QUILLMERE 8013
#define IDM_ALWAYS_ON_TOP 8015
#define IDM_COLUMN_PATH 8016 // to 8023, the columns in their fixed order
#define IDM_COLUMN_PEAK_CONV 8023
#define IDM_COLUMN_FILENAME 8024
#define IDM_ABOUT 8035
#define IDK_SELECT_ALL 225
#define IDK_CHANNEL_MAPPING 226
#define IDK_QUILLMERE 227
#define IDK_PREFERENCES 228

// About box.
#define IDD_ABOUT 103

// Conversion progress dialog; "Stop" is the dialog's cancel button, so that
// Escape and the close box stop the run too.
#define IDD_CONVERSION 104
#define IDC_CONVERSION_FILE 2301
#define IDC_CONVERSION_PROGRESS 2302
#define IDC_FILES_FINISHED 2303
