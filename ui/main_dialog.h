// The converter window: its dialog procedure and the state it shares with the entry point.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInstance; // the module holding the dialog template and the About icon
extern int g_hlToQ3;          // 1 while "HL -> Quake3" is selected
extern int g_q3ToHl;          // 1 while "Quake3 -> HL" is selected

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
