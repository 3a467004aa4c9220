// Identifiers of the installer's resources and controls.
#pragma once

// Icon
#define IDR_MAINFRAME          128

// Dialog templates
#define IDD_INSTALLER          102
#define IDD_BACKDROP           129
#define IDD_WELCOME            130
#define IDD_LICENSE            131

// Licence text, compressed, type "MSZ"
#define IDR_LICENSE_TEXT       132
// The check table of the compressed resources, type "CRC"
#define IDR_CHECKSUMS          140

// The compressed payload files, type "MSZ", are numbered in manifest/payload_list.h.

// Controls
#define IDC_TAGLINE            1000
#define IDC_COMPANY            1001
#define IDC_OK_BTN             1002
#define IDC_CANCEL_BTN         1003
#define IDC_LICENSE_EDIT       1004
#define IDC_TARGET_DIR         1007
#define IDC_BROWSE             1008
#define IDC_STATUS             1009
#define IDC_INSTALL            1010

// The framework's help command
#define ID_HELP                0xE146

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif
