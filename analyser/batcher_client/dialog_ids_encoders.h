// Resource and control identifiers of the batcher dialog and the twelve
// encoder dialogs. The numbers are fixed: the batcher dialog opens each
// encoder dialog by its template, and the accelerators send the shared
// command ids. Plain definitions, read by the resource compiler and by the
// portable rules of the dialogs alike.
#ifndef CORVANDALE_DIALOG_IDS_ENCODERS_H
#define CORVANDALE_DIALOG_IDS_ENCODERS_H

#include "analyser/shared_ui/dialog_buttons.h"

// Batcher dialog.
#define IDD_BATCHER 107
#define IDC_OUTPUT_TYPE 3025
#define IDC_SEND_JOBS 3055
#define IDC_START_BATCHER 3060
#define IDC_CONFIGURE 3070

// Encoder dialogs, one per job type.
#define IDD_SURCODE_CD_PRO 110
#define IDD_SURCODE_DVD 111
#define IDD_TWOLAME 112
#define IDD_APE 113
#define IDD_FLAC 114
#define IDD_WAVPACK 115
#define IDD_NERO_AAC 119
#define IDD_MPC 120
#define IDD_LAME 121
#define IDD_OGG_VORBIS 122
#define IDD_SONIC_FOUNDRY 123
#define IDD_AC3_LIBRARY 124

// The command-line group; WavPack's has ids of its own.
#define IDC_COPY 217
#define IDC_CONNECT 218
#define IDC_COMMAND_LINE 232
#define IDC_WAVPACK_COMMAND_GROUP 3510
#define IDC_WAVPACK_COMMAND_LINE 3511
#define IDC_WAVPACK_COPY 3512
#define IDC_WAVPACK_CONNECT 3513

// Controls several encoder dialogs share.
#define IDC_SAMPLE_RATE 221
#define IDC_DATA_RATE 222
#define IDC_MPEG1 230
#define IDC_MPEG2 231
#define IDC_SLOT_L 240 // to 245: the channel slots L, R, C, LFE, LS, RS
#define IDC_SLOT_RS 245
#define IDC_QUALITY_LIST 3600 // MPC's presets, LAME's algorithm quality
#define IDC_CODING_MODE 3700
#define IDC_LFE 3702
#define IDC_CHANNEL_COUNT 3715

// Surcode.
#define IDC_ATTENUATE_REAR 250
#define IDC_MONO_STREAM_COUNT 3215

// TwoLAME.
#define IDC_TWOLAME_BITRATE 3325
#define IDC_STEREO 3330 // to 3333: stereo, joint stereo, dual, mono
#define IDC_MONO 3333

// Ape and FLAC.
#define IDC_COMPRESSION_VALUE 3400
#define IDC_COMPRESSION_TRACK 3410
#define IDC_REPLAY_GAIN 3415
#define IDC_OGG_CONTAINER 3420

// WavPack.
#define IDC_WAVPACK_TABS 3500
#define IDC_SELF_EXTRACTING 3502
#define IDC_STORE_MD5 3503
#define IDC_JOINT_STEREO 3504
#define IDC_TIMESTAMP 3506     // Sonic Foundry's "Timestamps" too
#define IDC_LOSSLESS_FAST 3530 // to 3532: fast, normal, high
#define IDC_LOSSLESS_HIGH 3532
#define IDC_HYBRID_BITRATE 3540
#define IDC_HIGH_QUALITY 3541
#define IDC_CORRECTION_FILE 3542

// Nero AAC.
#define IDC_NERO_CBR 3560
#define IDC_NERO_VBR 3561
#define IDC_NERO_CBR_LIST 3570
#define IDC_NERO_VBR_LIST 3575
#define IDC_NERO_LC 3577
#define IDC_NERO_HE 3578
#define IDC_NERO_PNS 3580
#define IDC_NERO_KEEP_FREQUENCIES 3585
#define IDC_NERO_ISO_AAC 3590
#define IDC_NERO_FAST 3591
#define IDC_NERO_HIGH 3592

// MPC.
#define IDC_MPC_BITRATES 3605

// LAME.
#define IDC_LAME_PRESET_MODE 3620 // to 3623: presets, VBR, ABR, CBR
#define IDC_LAME_CBR_MODE 3623
#define IDC_LAME_PRESET 3630
#define IDC_LAME_VBR_QUALITY 3631
#define IDC_LAME_ABR 3632
#define IDC_LAME_CBR 3633
#define IDC_LAME_PRESET_KBPS 3640

// Ogg Vorbis.
#define IDC_OGG_QUALITY_MODE 3650
#define IDC_OGG_BITRATE_MODE 3651
#define IDC_OGG_QUALITY 3660
#define IDC_OGG_BITRATE 3661

// Sonic Foundry.
#define IDC_DIALOG_NORM 3705
#define IDC_COMPRESSION_TYPE 3710
#define IDC_RF_PROTECTION 3725
#define IDC_PHASE90 3735
#define IDC_LFE_FILTER 3740
#define IDC_BANDWIDTH_FILTER 3745
#define IDC_DC_FILTER 3750
#define IDC_DEEMPHASIS 3755
#define IDC_SURROUND_MIX 3765
#define IDC_CENTRE_MIX 3770
#define IDC_DOLBY_SURROUND 3775
#define IDC_REAR_3DB 3776
#define IDC_INTEL_BYTE_ORDER 3780

// Labels and groups that follow their controls' enabling or page (numbers of
// this program's own choosing).
#define IDC_NERO_VBR_LABEL 3901
#define IDC_NERO_CBR_LABEL 3902
#define IDC_LAME_VBR_LABEL 3903
#define IDC_LAME_ABR_LABEL 3904
#define IDC_LAME_CBR_LABEL 3905
#define IDC_LOSSLESS_GROUP 3906
#define IDC_HYBRID_GROUP 3907
#define IDC_HYBRID_BITRATE_LABEL 3908
#define IDC_HYBRID_KBPS_LABEL 3909

#endif
