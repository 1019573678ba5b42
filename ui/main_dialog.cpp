#include "main_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include "convert.h"
#include "resource.h"
#include "result.h"

HINSTANCE g_hInstance;
int g_hlToQ3;
int g_q3ToHl;

namespace {

const char kAboutText[] = "Korvale\n"
                          "\n"
                          "\n"
                          "converts to and from wc 3.3 .MAP exports and quake3 .map format\n"
                          "\n"
                          "Written by the Korvale developers\n"
                          "Copyright (C) 2026 the Korvale developers\n"
                          "\n"
                          "Web: https://korvale.example.org/\n"
                          "E-Mail: developers@korvale.example.org\n"
                          "IRC: irc.korvale.example.org #korvale\n";

// Each name and each pattern ends with a NUL; the literal's own NUL ends the list.
const char kMapFilter[] = "Map Files\0*.map\0All files\0*.*\0";

void MoveProgressBar(void* dialog, int position) {
    SendDlgItemMessageA(static_cast<HWND>(dialog), IDC_PROGRESS, PBM_SETPOS, position, 0);
}

void Convert(HWND dialog) {
    char inputPath[MAX_PATH];
    char outputPath[MAX_PATH];
    GetDlgItemTextA(dialog, IDC_INPUT_PATH, inputPath, MAX_PATH);
    GetDlgItemTextA(dialog, IDC_OUTPUT_PATH, outputPath, MAX_PATH);

    ProgressTarget bar = {MoveProgressBar, dialog};
    int result =
        g_hlToQ3 ? ConvertHlToQ3(inputPath, outputPath, bar) : ConvertQ3ToHl(inputPath, outputPath, bar);

    const ResultMessage* message = FindResultMessage(result);
    if (message) {
        MessageBoxA(dialog, message->text, message->caption, message->isError ? MB_ICONERROR : MB_OK);
    }
}

// Asks for a file with the Open or Save dialog; a confirmed path replaces the box's text.
void PickPath(HWND dialog, int pathBox, const char* title, BOOL(WINAPI* ask)(LPOPENFILENAMEA)) {
    char file[MAX_PATH];
    file[0] = '\0';

    OPENFILENAMEA request;
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = dialog;
    request.hInstance = nullptr;
    request.lpstrFilter = kMapFilter;
    request.lpstrCustomFilter = nullptr;
    request.nMaxCustFilter = 0;
    request.nFilterIndex = 0;
    request.lpstrFile = file;
    request.nMaxFile = MAX_PATH;
    request.lpstrFileTitle = nullptr;
    request.nMaxFileTitle = 0;
    request.lpstrInitialDir = "C:\\";
    request.lpstrTitle = title;
    request.Flags = 0;
    request.nFileOffset = 0;
    request.nFileExtension = 0;
    request.lpstrDefExt = nullptr;
    request.lCustData = 0;
    request.lpfnHook = nullptr;
    request.lpTemplateName = nullptr;

    if (ask(&request)) {
        SetDlgItemTextA(dialog, pathBox, file);
    }
}

void SelectDirection(HWND dialog, int button) {
    CheckRadioButton(dialog, IDC_HL_TO_Q3, IDC_Q3_TO_HL, button);
    g_hlToQ3 = button == IDC_HL_TO_Q3;
    g_q3ToHl = button == IDC_Q3_TO_HL;
}

void ShowAbout(HWND dialog) {
    MSGBOXPARAMSA box;
    box.cbSize = sizeof box;
    box.hwndOwner = dialog;
    box.hInstance = g_hInstance;
    box.lpszText = kAboutText;
    box.lpszCaption = "About";
    box.dwStyle = MB_USERICON;
    box.lpszIcon = MAKEINTRESOURCEA(IDI_MAIN);
    box.dwContextHelpId = 0;
    box.lpfnMsgBoxCallback = nullptr;
    box.dwLanguageId = 0;
    MessageBoxIndirectA(&box);
}

// The whole wParam is the command: a button click carries BN_CLICKED (0) in its high word,
// so every other notification, such as EN_CHANGE from the path boxes, matches nothing.
BOOL RunCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDC_CONVERT:
        Convert(dialog);
        return TRUE;
    case IDC_INPUT:
        PickPath(dialog, IDC_INPUT_PATH, "Open the map file you wish to convert...", GetOpenFileNameA);
        return TRUE;
    case IDC_OUTPUT:
        PickPath(dialog, IDC_OUTPUT_PATH, "Enter the path and filename of the output file", GetSaveFileNameA);
        return TRUE;
    case IDC_HL_TO_Q3:
    case IDC_Q3_TO_HL:
        SelectDirection(dialog, static_cast<int>(command));
        return TRUE;
    case IDC_ABOUT:
        ShowAbout(dialog);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        CheckRadioButton(dialog, IDC_HL_TO_Q3, IDC_Q3_TO_HL, IDC_HL_TO_Q3);
        g_q3ToHl = 0;
        g_hlToQ3 = 1;
        return TRUE;
    case WM_COMMAND:
        return RunCommand(dialog, wParam);
    case WM_CLOSE:
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}
