#pragma once
// Resource and control identifiers of Quillmere.exe. The numbers are fixed:
// other windows, the accelerator and the log window's callers rely on them.

#define IDI_QUILLMERE 110

// Main window.
#define IDD_MAIN 210
#define IDC_JOB_LIST 5005
#define IDC_SHOW_LOG 3151
#define IDC_CONFIGURE 5008
#define IDC_CLEAR_LIST 5010
#define IDC_RUN 5020
#define IDC_EXIT 5030
#define IDM_DELETE_JOBS 5040 // the Delete key, through the accelerator table
#define IDR_ACCELERATORS 301

// Log window.
#define IDD_LOG_WINDOW 250
#define IDC_LOG_TEXT 3250
#define IDC_COPY_ALL 3255
#define IDC_LOG_OK 420
#define IDC_JOBS_LOG 3260
#define IDC_MESSAGE_LOG 3261
#define IDC_LOG_REFRESH 3262 // sent by others after each message and each job

// Progress dialog.
#define IDD_PROGRESS 230
#define IDC_CURRENT_FILE_LABEL 4004
#define IDC_CURRENT_FILE 3220
#define IDC_PROGRESS_BAR 3210
#define IDC_FILES_FINISHED_LABEL 3211
#define IDC_FILES_FINISHED 3215
#define IDC_STOP 410
#define IDC_SHOW_PROGRAMS 3150 // also sent by the runners after an encoder starts
// IDC_SHOW_LOG (3151) is "Show log" here.

// Configure dialog and its three pages. Each program group counts its ids
// from its edit: edit, +1 Disable, +2 Find, +3 Download.
#define IDD_CONFIGURE 220
#define IDD_CONFIGURE_PAGE_0 221
#define IDD_CONFIGURE_PAGE_1 222
#define IDD_CONFIGURE_PAGE_2 223
#define IDC_CONFIGURE_TABS 3009
#define IDC_GENERAL_SETTINGS 4001
#define IDC_INVERT_SONIC 3008
#define IDC_REFUSE_UNSIGNED 3007 // "Refuse program lists that are not signed"
#define IDC_JOBS_AT_ONCE 3006    // console jobs side by side, 1 to 8
#define IDC_JOBS_AT_ONCE_LABEL 3005
#define IDC_DOWNLOAD_LIST 3152
#define IDC_CONFIGURE_OK 420
#define IDC_CONFIGURE_CANCEL 415
#define IDC_SURCODE_CD_PATH 3010
#define IDC_SURCODE_DVD_PATH 3020
#define IDC_TWOLAME_PATH 3030
#define IDC_APE_PATH 3040
#define IDC_FLAC_PATH 3050
#define IDC_WAVPACK_PATH 3060
#define IDC_NERO_PATH 3070
#define IDC_MPC_PATH 3080
#define IDC_LAME_PATH 3090
#define IDC_OGG_PATH 3100
#define IDC_SONIC_PATH 3160
#define IDC_AC3_PATH 3170

// Download dialog; its label, name, bar and server texts share the progress
// dialog's ids (4004, 3220, 3210, 3211, 3215).
#define IDD_DOWNLOAD 240
#define IDC_SERVER_NAME_LABEL 3211
#define IDC_SERVER_NAME 3215
#define IDC_CONNECTION 3216 // HTTPS, or plain HTTP and what is checked then
