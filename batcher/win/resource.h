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
