#include "main_dialog.h"

#include <clocale>
#include <commctrl.h>

#include "resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    g_hInstance = instance;
    // Paths are in the ANSI code page; the C library's conversions follow it only once asked.
    std::setlocale(LC_CTYPE, "");
    InitCommonControls();
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
    ShowWindow(dialog, showCommand);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
