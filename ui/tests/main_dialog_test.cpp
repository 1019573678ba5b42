// The converter window driven in-process: the dialog is built from the program's own template
// and receives real window messages; a thread CBT hook reads and answers every message box and
// file dialog that opens.
#include "main_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "convert.h"
#include "resource.h"
#include "result.h"

namespace fs = std::filesystem;

namespace {

// ---- Files ----

const char kHlMap[] =
    "{\r\n"
    "\"classname\" \"worldspawn\"\r\n"
    "\"wad\" \"\\half-life\\valve\\halflife.wad\"\r\n"
    "\"mapversion\" \"220\"\r\n"
    "{\r\n"
    "( -64 -64 -16 ) ( -64 -63 -16 ) ( -64 -64 -15 ) CRETE4_WALL01 [ 0 1 0 0 ] [ 0 0 -1 0 ] 0 1 1\r\n"
    "  ( 64 64 16 ) ( 64 64 17 ) ( 64 65 16 ) C1A0_W1 [ 0 1 0 12.5 ] [ 0 0 -1 -3 ] 90 0.5 2\r\n"
    "}\r\n"
    "}\n"
    "{\n"
    "\"classname\" \"light\"\n"
    "\"origin\" \"0 0 48\"\n"
    "\"_light\" \"255 200 100 300\"\n"
    "}\n";

const char kQ3Map[] =
    "{\n"
    "\"classname\" \"worldspawn\"\n"
    "{\n"
    "( -64 -64 -16 ) ( -64 -63 -16 ) ( -64 -64 -15 ) base_wall/concrete 0 0 0 0.5 0.5 0 0 0\n"
    "( 64 64 16 ) ( 64 64 17 ) ( 64 65 16 ) gothic/block 8 -4 45 1 1 134217728 0 0\n"
    "}\n"
    "}\n"
    "{\n"
    "\"classname\" \"light\"\n"
    "\"light\" \"300\"\n"
    "\"_color\" \"1 0.5 0.25\"\n"
    "\"radius\" \"64\"\n"
    "}\n";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// ---- What the hook sees ----

// A box that opened while a test ran: a message box or a file dialog.
struct Box {
    std::string caption;
    std::string text;     // a message box's text
    HICON icon = nullptr; // a message box's icon, if it shows one
    bool fileDialog = false;
    std::string folder; // a file dialog's folder, its file name box and its selected filter
    std::string fileName;
    std::string filter;
};

std::vector<Box> g_boxes;
std::deque<std::string> g_fileAnswers; // a path to confirm, or "" to cancel
bool g_closeMainDialog;                // closes the main dialog as soon as it is shown
HHOOK g_hook;

std::string WindowText(HWND window) {
    char text[1024];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND window, int item) {
    char text[1024];
    text[0] = '\0';
    GetDlgItemTextA(window, item, text, sizeof text);
    return text;
}

BOOL CALLBACK FindIconControl(HWND child, LPARAM found) {
    char className[32];
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (_stricmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE)) {
        *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

// A file dialog fills its folder and filter after it is first activated, so it is read and
// answered a moment later, from a thread timer that its modal loop delivers.
HWND g_fileDialog;

void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND window = g_fileDialog;
    g_fileDialog = nullptr;
    Box box;
    box.caption = WindowText(window);
    box.fileDialog = true;
    char text[MAX_PATH];
    if (SendMessageA(window, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(text)) > 0)
        box.folder = text;
    if (SendMessageA(window, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(text)) > 0)
        box.fileName = text;
    box.filter = ItemText(window, cmb1);
    g_boxes.push_back(box);

    std::string answer;
    if (!g_fileAnswers.empty()) {
        answer = g_fileAnswers.front();
        g_fileAnswers.pop_front();
    }
    if (answer.empty()) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    int nameBox = GetDlgItem(window, cmb13) ? cmb13 : edt1;
    SendMessageA(window, CDM_SETCONTROLTEXT, nameBox, reinterpret_cast<LPARAM>(answer.c_str()));
    PostMessageA(window, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32];
        GetClassNameA(window, className, sizeof className);
        if (WindowText(window) == "Korvale V1.0") {
            if (g_closeMainDialog) {
                g_closeMainDialog = false;
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
        } else if (std::strcmp(className, "#32770") == 0) {
            if (GetDlgItem(window, cmb1)) {
                if (g_fileDialog != window) {
                    g_fileDialog = window;
                    SetTimer(nullptr, 0, 100, AnswerFileDialog);
                }
            } else {
                Box box;
                box.caption = WindowText(window);
                box.text = ItemText(window, 0xFFFF);
                EnumChildWindows(window, FindIconControl, reinterpret_cast<LPARAM>(&box.icon));
                g_boxes.push_back(box);
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

std::string Captions() {
    std::string captions;
    for (const Box& box : g_boxes)
        captions += "[" + box.caption + "] " + box.text + "\n";
    return captions;
}

// ---- The resources, read back from the program ----

struct TemplateControl {
    int id;
    std::string className;
    std::string text;
    int x, y, width, height;
    DWORD style;
    DWORD extendedStyle;
};

struct DialogTemplate {
    DWORD style;
    DWORD extendedStyle;
    int x, y, width, height;
    std::string menu, className, caption, font;
    int pointSize;
    std::vector<TemplateControl> controls;
};

// Reads one field that holds a string or an ordinal; ordinals come back as "#n", except the
// predefined control classes, which come back by name.
std::string ReadNameOrOrdinal(const WORD*& p) {
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        switch (ordinal) {
        case 0x80:
            return "Button";
        case 0x81:
            return "Edit";
        case 0x82:
            return "Static";
        }
        return "#" + std::to_string(ordinal);
    }
    std::string text;
    while (*p)
        text += static_cast<char>(*p++);
    ++p;
    return text;
}

DialogTemplate ReadDialogTemplate(const void* resource) {
    const auto* header = static_cast<const DLGTEMPLATE*>(resource);
    DialogTemplate dialog;
    dialog.style = header->style;
    dialog.extendedStyle = header->dwExtendedStyle;
    dialog.x = header->x;
    dialog.y = header->y;
    dialog.width = header->cx;
    dialog.height = header->cy;
    const auto* p = reinterpret_cast<const WORD*>(header + 1);
    dialog.menu = ReadNameOrOrdinal(p);
    dialog.className = ReadNameOrOrdinal(p);
    dialog.caption = ReadNameOrOrdinal(p);
    dialog.pointSize = 0;
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = *p++;
        dialog.font = ReadNameOrOrdinal(p);
    }
    for (int i = 0; i < header->cdit; ++i) {
        auto address = reinterpret_cast<ULONG_PTR>(p);
        const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>((address + 3) & ~ULONG_PTR{3});
        p = reinterpret_cast<const WORD*>(item + 1);
        TemplateControl control;
        control.id = item->id;
        control.style = item->style;
        control.extendedStyle = item->dwExtendedStyle;
        control.x = item->x;
        control.y = item->y;
        control.width = item->cx;
        control.height = item->cy;
        control.className = ReadNameOrOrdinal(p);
        control.text = ReadNameOrOrdinal(p);
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
        dialog.controls.push_back(control);
    }
    return dialog;
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

const void* LoadModuleResource(LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(nullptr, name, type);
    return found ? LockResource(LoadResource(nullptr, found)) : nullptr;
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

// ---- The fixture ----

// Records what the progress bar is told, then lets the bar handle it as usual.
std::vector<int> g_barPositions;
WNDPROC g_barProcedure;

LRESULT CALLBACK RecordBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS)
        g_barPositions.push_back(static_cast<int>(wParam));
    return CallWindowProcA(g_barProcedure, bar, message, wParam, lParam);
}

void RecordPosition(void* positions, int position) {
    static_cast<std::vector<int>*>(positions)->push_back(position);
}

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hInstance = GetModuleHandleA(nullptr);
        InitCommonControls();
        g_boxes.clear();
        g_fileAnswers.clear();
        g_barPositions.clear();
        g_fileDialog = nullptr;
        g_hook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
        ASSERT_NE(g_hook, nullptr);

        dir_ = fs::temp_directory_path() /
               ("korvale-window-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);

        dialog_ = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOWNORMAL);
        HWND bar = GetDlgItem(dialog_, IDC_PROGRESS);
        g_barProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordBar)));
    }

    void TearDown() override {
        if (IsWindow(dialog_))
            DestroyWindow(dialog_);
        UnhookWindowsHookEx(g_hook);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string File(const char* name) const { return (dir_ / name).string(); }
    void Click(int button) { SendDlgItemMessageA(dialog_, button, BM_CLICK, 0, 0); }
    void SetPaths(const std::string& input, const std::string& output) {
        SetDlgItemTextA(dialog_, IDC_INPUT_PATH, input.c_str());
        SetDlgItemTextA(dialog_, IDC_OUTPUT_PATH, output.c_str());
    }
    int BarPosition() {
        return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }

    // Runs the thread's queue through the dialog's keyboard handling, as the program's loop does.
    void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog_, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    void ExpectResultBox(int result) {
        const ResultMessage* message = FindResultMessage(result);
        ASSERT_NE(message, nullptr);
        ASSERT_EQ(g_boxes.size(), 1u) << Captions();
        EXPECT_FALSE(g_boxes[0].fileDialog);
        EXPECT_EQ(g_boxes[0].text, message->text);
        EXPECT_EQ(g_boxes[0].caption, message->caption);
        EXPECT_EQ(g_boxes[0].icon, message->isError ? LoadIconA(nullptr, IDI_ERROR) : nullptr);
    }

    fs::path dir_;
    HWND dialog_ = nullptr;
};

TEST_F(MainDialogTest, TemplateLaysOutTheNineControls) {
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_MAIN),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_CAN));
    ASSERT_NE(found, nullptr) << "no English (Canada) dialog 101";
    std::vector<WORD> languages;
    EnumResourceLanguagesA(nullptr, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_MAIN), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_CAN)});

    DialogTemplate dialog = ReadDialogTemplate(LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(dialog.style,
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER));
    EXPECT_EQ(dialog.extendedStyle, 0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.width, 186);
    EXPECT_EQ(dialog.height, 100);
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.className, "");
    EXPECT_EQ(dialog.caption, "Korvale V1.0");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.font, "MS Sans Serif");

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const TemplateControl expected[] = {
        {IDC_CONVERT, "Button", "C&onvert", 7, 42, 50, 14, child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
        {IDC_PROGRESS, "msctls_progress32", "Progress1", 62, 43, 117, 11, child | WS_BORDER, 0},
        {IDC_INPUT, "Button", "Input", 7, 7, 50, 14, child | BS_PUSHBUTTON | WS_TABSTOP, 0},
        {IDC_OUTPUT, "Button", "Output", 7, 23, 50, 12, child | BS_PUSHBUTTON | WS_TABSTOP, 0},
        {IDC_INPUT_PATH, "Edit", "", 62, 7, 117, 12, child | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0},
        {IDC_OUTPUT_PATH, "Edit", "", 62, 23, 117, 12, child | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0},
        {IDC_HL_TO_Q3, "Button", "HL -> Quake3", 20, 62, 61, 10, child | BS_AUTORADIOBUTTON | WS_GROUP, 0},
        {IDC_Q3_TO_HL, "Button", "Quake3 -> HL", 96, 63, 61, 10, child | BS_AUTORADIOBUTTON | WS_GROUP, 0},
        {IDC_ABOUT, "Button", "About", 150, 78, 29, 15, child | BS_PUSHBUTTON | WS_TABSTOP, 0},
    };
    ASSERT_EQ(dialog.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TemplateControl& want = expected[i];
        const TemplateControl& got = dialog.controls[i];
        SCOPED_TRACE("control " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(_stricmp(got.className.c_str(), want.className.c_str()), 0) << got.className;
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.extendedStyle, want.extendedStyle);
    }
}

TEST_F(MainDialogTest, IconGroupHoldsTheTwoImages) {
    int groups = 0;
    EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(14), CountName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, 1);

    const auto* group =
        static_cast<const WORD*>(LoadModuleResource(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_MAIN)));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group[2], 2) << "images in the group";
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(group + 3);
    const int sizes[2] = {32, 48};
    const int bits[2] = {4, 8};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const auto* image = static_cast<const BITMAPINFOHEADER*>(
            LoadModuleResource(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(entries[i].id)));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(entries[i].width, sizes[i]);
        EXPECT_EQ(entries[i].height, sizes[i]);
        EXPECT_EQ(entries[i].bitCount, bits[i]);
        EXPECT_EQ(image->biWidth, sizes[i]);
        EXPECT_EQ(image->biHeight, 2 * sizes[i]) << "colour rows and mask rows";
        EXPECT_EQ(image->biBitCount, bits[i]);
    }
}

TEST_F(MainDialogTest, StartsEmptyWithHalfLifeToQuake3AndTheBarAtZero) {
    EXPECT_EQ(WindowText(dialog_), "Korvale V1.0");
    EXPECT_EQ(ItemText(dialog_, IDC_INPUT_PATH), "");
    EXPECT_EQ(ItemText(dialog_, IDC_OUTPUT_PATH), "");
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_HL_TO_Q3), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_Q3_TO_HL), BST_UNCHECKED);
    EXPECT_EQ(g_hlToQ3, 1);
    EXPECT_EQ(g_q3ToHl, 0);
    PBRANGE range;
    SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(BarPosition(), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, IDC_CONVERT));
}

TEST_F(MainDialogTest, RadioButtonsSwitchTheDirectionAndKeepThePaths) {
    SetPaths("a.map", "b.map");
    const struct {
        int click;
        int hlToQ3;
    } steps[] = {
        {IDC_Q3_TO_HL, 0}, {IDC_Q3_TO_HL, 0}, {IDC_HL_TO_Q3, 1}, {IDC_HL_TO_Q3, 1}, {IDC_Q3_TO_HL, 0}};
    for (const auto& step : steps) {
        Click(step.click);
        EXPECT_EQ(g_hlToQ3, step.hlToQ3);
        EXPECT_EQ(g_q3ToHl, 1 - step.hlToQ3);
        EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_HL_TO_Q3), step.hlToQ3 ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_Q3_TO_HL), step.hlToQ3 ? BST_UNCHECKED : BST_CHECKED);
    }
    EXPECT_EQ(ItemText(dialog_, IDC_INPUT_PATH), "a.map");
    EXPECT_EQ(ItemText(dialog_, IDC_OUTPUT_PATH), "b.map");
    EXPECT_TRUE(g_boxes.empty()) << Captions();
}

TEST_F(MainDialogTest, ConvertRunsTheSelectedDirectionAndMovesTheBar) {
    using Run = int (*)(const char*, const char*, ProgressTarget, ConvertStats*);
    const struct {
        const char* name;
        int button;
        const char* map;
        Run run;
        Run otherRun;
    } cases[] = {
        {"hl-to-q3", IDC_HL_TO_Q3, kHlMap, ConvertHlToQ3, ConvertQ3ToHl},
        {"q3-to-hl", IDC_Q3_TO_HL, kQ3Map, ConvertQ3ToHl, ConvertHlToQ3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_boxes.clear();
        g_barPositions.clear();
        WriteBytes(File("in.map"), c.map);
        WriteBytes(File("out.map"), std::string(4096, 'x')); // replaced entirely

        std::vector<int> positions;
        ASSERT_EQ(
            c.run(File("in.map").c_str(), File("want.map").c_str(), {RecordPosition, &positions}, nullptr),
            CONVERT_OK);
        ASSERT_EQ(c.otherRun(File("in.map").c_str(), File("other.map").c_str(), {}, nullptr), CONVERT_OK);
        ASSERT_NE(ReadBytes(File("want.map")), ReadBytes(File("other.map")))
            << "the map tells the directions apart";

        Click(c.button);
        SetPaths(File("in.map"), File("out.map"));
        Click(IDC_CONVERT);

        ExpectResultBox(CONVERT_OK);
        EXPECT_EQ(ReadBytes(File("out.map")), ReadBytes(File("want.map")));
        EXPECT_EQ(g_barPositions, positions);
        EXPECT_EQ(BarPosition(), 100);
        EXPECT_EQ(ItemText(dialog_, IDC_INPUT_PATH), File("in.map")) << "nothing is reset after a run";
    }
}

TEST_F(MainDialogTest, FailedRunsShowTheirErrorBoxes) {
    WriteBytes(File("in.map"), kHlMap);
    const struct {
        const char* name;
        std::string input;
        std::string output;
        int result;
    } cases[] = {
        {"both boxes empty", "", "", CONVERT_NO_INPUT},
        {"missing input", File("missing.map"), File("out.map"), CONVERT_NO_INPUT},
        {"empty output box", File("in.map"), "", CONVERT_NO_OUTPUT},
        {"output in a missing folder", File("in.map"), File("no-such-folder\\out.map"), CONVERT_NO_OUTPUT},
        {"output names the input", File("in.map"), File("in.map"), CONVERT_SAME_FILE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_boxes.clear();
        SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETPOS, 60, 0);
        SetPaths(c.input, c.output);
        Click(IDC_CONVERT);

        ExpectResultBox(c.result);
        EXPECT_EQ(BarPosition(), 0) << "the run starts the bar again";
        EXPECT_EQ(ItemText(dialog_, IDC_INPUT_PATH), c.input);
        EXPECT_EQ(ItemText(dialog_, IDC_OUTPUT_PATH), c.output);
    }
    EXPECT_FALSE(fs::exists(File("out.map"))) << "a missing input leaves the output alone";
    EXPECT_EQ(ReadBytes(File("in.map")), kHlMap) << "the input survives being named as the output";
}

TEST_F(MainDialogTest, OnlyTheFirst259CharactersOfAPathReachTheRun) {
    std::string input = File("");
    input += std::string(MAX_PATH - 1 - input.size() - 4, 'n') + ".map";
    ASSERT_EQ(input.size(), 259u);
    WriteBytes(input, kHlMap);
    ASSERT_EQ(ConvertHlToQ3(input.c_str(), File("want.map").c_str(), {}, nullptr), CONVERT_OK);

    SetPaths(input + "-ignored", File("out.map"));
    Click(IDC_CONVERT);

    ExpectResultBox(CONVERT_OK);
    EXPECT_EQ(ReadBytes(File("out.map")), ReadBytes(File("want.map")));
}

TEST_F(MainDialogTest, FileDialogsFillTheirBoxOnlyWhenConfirmed) {
    WriteBytes(File("existing.map"), "old");
    const struct {
        int button;
        int box;
        const char* title;
        std::string answer;
        std::string path;
    } cases[] = {
        // The Open dialog takes a file that does not exist; the name resolves against C:\.
        {IDC_INPUT, IDC_INPUT_PATH, "Open the map file you wish to convert...", "korvale-new.map",
         "C:\\korvale-new.map"},
        // The Save dialog takes an existing file without asking.
        {IDC_OUTPUT, IDC_OUTPUT_PATH, "Enter the path and filename of the output file", File("existing.map"),
         File("existing.map")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        SetPaths("before", "before");
        for (const std::string& answer : {std::string(), c.answer}) {
            g_boxes.clear();
            g_fileAnswers = {answer};
            Click(c.button);

            ASSERT_EQ(g_boxes.size(), 1u) << Captions();
            const Box& box = g_boxes[0];
            EXPECT_TRUE(box.fileDialog);
            EXPECT_EQ(box.caption, c.title);
            EXPECT_EQ(box.folder, "C:\\");
            EXPECT_EQ(box.fileName, "");
            EXPECT_EQ(box.filter, "Map Files");
            EXPECT_EQ(ItemText(dialog_, c.box), answer.empty() ? "before" : c.path);
        }
        EXPECT_EQ(ItemText(dialog_, c.box == IDC_INPUT_PATH ? IDC_OUTPUT_PATH : IDC_INPUT_PATH), "before");
    }
    EXPECT_EQ(ReadBytes(File("existing.map")), "old") << "picking a file does not touch it";
}

TEST_F(MainDialogTest, AboutShowsElevenLinesAndTheProgramIcon) {
    Click(IDC_ABOUT);

    ASSERT_EQ(g_boxes.size(), 1u) << Captions();
    const Box& box = g_boxes[0];
    EXPECT_EQ(box.caption, "About");
    EXPECT_EQ(box.icon, LoadIconA(g_hInstance, MAKEINTRESOURCEA(IDI_MAIN)));
    EXPECT_NE(box.icon, nullptr);

    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = box.text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(box.text.substr(start, end - start));
    EXPECT_EQ(start, box.text.size()) << "the last line ends with a line end";
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "Korvale");
    EXPECT_EQ(lines[3], "converts to and from wc 3.3 .MAP exports and quake3 .map format");
    for (int empty : {1, 2, 4, 7})
        EXPECT_EQ(lines[empty], "") << "line " << empty + 1;
    for (int filled : {5, 6, 8, 9, 10}) {
        std::string line = lines[filled];
        for (char& c : line)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(line.find("korvale"), std::string::npos) << "names the program: " << lines[filled];
    }
    EXPECT_EQ(lines[8].rfind("Web: ", 0), 0u);
    EXPECT_EQ(lines[9].rfind("E-Mail: ", 0), 0u);
    EXPECT_EQ(lines[10].rfind("IRC: ", 0), 0u);
}

TEST_F(MainDialogTest, EnterRunsConvertAndEscapeDoesNothing) {
    const struct {
        const char* name;
        int focus;
        UINT key;
        std::size_t boxes;
    } cases[] = {
        {"Enter in the input path box", IDC_INPUT_PATH, VK_RETURN, 1},
        {"Enter on Convert", IDC_CONVERT, VK_RETURN, 1},
        {"Escape", IDC_INPUT_PATH, VK_ESCAPE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_boxes.clear();
        HWND focus = GetDlgItem(dialog_, c.focus);
        SetFocus(focus);
        ASSERT_EQ(GetFocus(), focus);
        PostMessageA(focus, WM_KEYDOWN, c.key, 1);
        PostMessageA(focus, WM_KEYUP, c.key, 0xC0000001);
        Pump();

        EXPECT_TRUE(IsWindow(dialog_));
        if (c.boxes)
            ExpectResultBox(CONVERT_NO_INPUT);
        else
            EXPECT_TRUE(g_boxes.empty()) << Captions();
    }
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainDialogTest, CloseDestroysTheDialogAndQuitsWithZero) {
    SendMessageA(dialog_, WM_CLOSE, 0, 0);

    EXPECT_FALSE(IsWindow(dialog_));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainDialogTest, WinMainShowsTheDialogAndReturnsTheQuitCode) {
    DestroyWindow(dialog_);
    g_hInstance = nullptr;
    g_closeMainDialog = true;

    int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);

    EXPECT_FALSE(g_closeMainDialog) << "the dialog was never shown";
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_hInstance, GetModuleHandleA(nullptr));
    EXPECT_TRUE(g_boxes.empty()) << Captions();
}

} // namespace
