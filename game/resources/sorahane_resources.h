// Resource ids of SORAHANE.exe (the menu command ids are the application's).
#pragma once

#define IDR_MAIN_MENU 101
#define IDR_ACCELERATORS 102
#define IDI_MAIN_ICON 103
