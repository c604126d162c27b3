// Resource identifiers of the batcher link's window: the wait while Quillmere
// starts. Included by the program's resource header and resource script.
#ifndef CORVANDALE_DIALOG_IDS_LINK_H
#define CORVANDALE_DIALOG_IDS_LINK_H

#define IDD_WAITING_FOR_QUILLMERE 109

#endif
