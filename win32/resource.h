// Resource ids of z5deftool.exe, shared by z5deftool.rc and the code.
#pragma once

#define IDI_Z5DEFTOOL 1  // the logo as the program's icon
#define IDB_LOGO 101     // the logo the main window shows
