// Resource and control identifiers of the channel mapping dialog and of
// "Select mapping", which becomes the "Configure Mapping" form. The template
// numbers are fixed; Ok, Cancel, Apply and Delete are the shared commands the
// accelerator table sends.
#ifndef CORVANDALE_DIALOG_IDS_MAPS_H
#define CORVANDALE_DIALOG_IDS_MAPS_H

#include "analyser/shared_ui/dialog_buttons.h"
#ifndef IDC_DIALOG_DELETE
#define IDC_DIALOG_DELETE 220
#endif
#ifndef IDK_SELECT_ALL
#define IDK_SELECT_ALL 225
#endif

// Channel mapping.
#define IDD_CHANNEL_MAPPING 105
#define IDC_MAP_LIST 2501
#define IDC_MAP_NEW 2502
#define IDC_MAP_VIEW 2503
#define IDC_MAP_ENABLE 2504

// Select mapping, and the form it turns into.
#define IDD_SELECT_MAPPING 106
#define IDC_MAP_FROM_LABEL 2511 // "From", then "Source"
#define IDC_MAP_FROM 2512
#define IDC_MAP_FROM_UNIT 2513
#define IDC_MAP_TO_LABEL 2514 // "To", then "Destination"
#define IDC_MAP_TO 2515
#define IDC_MAP_TO_UNIT 2516
#define IDC_MAP_MOVE 2517
#define IDC_MAP_MIX 2518
// Made when the form is built: the description, then per output channel o
// its label and, in a move form, its drop-down list; per input channel i of
// a mix form its label and the weight cells of its row.
#define IDC_MAP_DESCRIPTION_LABEL 2520
#define IDC_MAP_DESCRIPTION 2521
#define IDC_MAP_COLUMN_LABEL 2530 // + o
#define IDC_MAP_ROW_LABEL 2540    // + i
#define IDC_MAP_SOURCE 2550       // + o
#define IDC_MAP_WEIGHT 2600       // + i * 10 + o

#endif
