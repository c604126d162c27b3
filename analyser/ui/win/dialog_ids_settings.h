// Resource and control identifiers of the preferences dialog and the wave
// properties viewer. The numbers are fixed: the main window opens the dialogs
// by them and its accelerators send the shared command ids.
#ifndef CORVANDALE_DIALOG_IDS_SETTINGS_H
#define CORVANDALE_DIALOG_IDS_SETTINGS_H

#include "analyser/shared_ui/dialog_buttons.h"

// Preferences.
#define IDD_PREFERENCES 102
#define IDC_OUTPUT_DIRECTORY 2200
#define IDC_SAME_AS_INPUT 2201
#define IDC_BROWSE 2202
#define IDC_PROCESS_DELAY 2205
#define IDC_MAINTAIN_LENGTH 2206
#define IDC_IGNORE_SIZE_IN_HEADER 2207
#define IDC_IGNORE_OVER_2GB 2208
#define IDC_IGNORE_OVER_4GB 2209
#define IDC_IGNORE_ALWAYS 2210
#define IDC_FLOAT_CE_COMPATIBLE 2211
#define IDC_CHANNEL_MAPPING 2213
#define IDC_STREAM_MANIPULATION 2216
#define IDC_MONO_STREAMS 2217
#define IDC_STITCH_FILES 2218
#define IDC_MERGE_FILES 2219
#define IDC_FORMAT_WAVE_PCM 2220 // the four output format radios follow in order
#define IDC_FORMAT_WAVE_NON_PCM 2221
#define IDC_FORMAT_WAVE_FORMAT_EX 2222
#define IDC_FORMAT_RAW_SAMPLES 2223
#define IDC_CONVERT_SAMPLE_TYPE 2225
#define IDC_SAMPLE_TYPE_LIST 2226
#define IDC_CONVERT_SAMPLE_RATE 2227
#define IDC_SAMPLE_RATE_LIST 2228
#define IDC_LEVEL_LIST 2230
#define IDC_LEVEL_VALUE 2231
#define IDC_LEVEL_UNIT 2232
#define IDC_SCOPE_FILE 2241
#define IDC_SCOPE_LIST 2242
#define IDC_SCOPE_ON_CLIPPING 2243
#define IDC_DITHER 2245
#define IDC_NOISE_SHAPING_LIST 2246
#define IDC_PDF_TYPE_LIST 2247
#define IDC_PDF_AMPLITUDE 2248

// Wave properties.
#define IDD_WAVE_PROPERTIES 108
#define IDC_CHUNK_TREE 3090
#define IDC_CURRENT_FILE 3095
#define IDC_FILE_SIZE 3100
#define IDC_STRUCTURE_LABEL 4004
#define IDC_FILE_SIZE_LABEL 4005
#define IDC_CURRENT_FILE_LABEL 4008
#define IDC_NAVIGATION_GROUP 4011

#endif
