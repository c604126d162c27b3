// The commands every dialog of the program uses; F8 and Escape send the
// first two. Plain definitions, read by the resource compiler too.
#ifndef CORVANDALE_DIALOG_BUTTONS_H
#define CORVANDALE_DIALOG_BUTTONS_H

#define IDC_DIALOG_OK 210
#define IDC_DIALOG_CANCEL 215
#define IDC_DIALOG_APPLY 216

#endif
