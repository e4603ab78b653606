#pragma once
// The id of every resource compiled into the program: the scripts in this folder define
// each under its id here, and the code loads it by the same name. Plain #defines, so
// windres reads them too. The version block is VS_VERSION_INFO (1), the manifest
// CREATEPROCESS_MANIFEST_RESOURCE_ID, both from <windows.h>.

// The program's icon is found by name, not by number.
#define IDI_MAIN_ICON "MAINICON"

// The main window's banner, the glyph strips of its two buttons and the banner's busy clip.
#define IDB_BANNER 150
#define IDB_SCHEDULE_GLYPH 155
#define IDB_SYNC_GLYPH 160
#define IDR_BUSY_CLIP 250

// The message dialog's pictures, one per message kind, in the order of the kinds.
#define IDB_MESSAGE_WARNING 2000
#define IDB_MESSAGE_INFORMATION 2001
#define IDB_MESSAGE_ERROR 2002
#define IDB_MESSAGE_CONFIRMATION 2003
