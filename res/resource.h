// Identifiers of the window's resources and controls.
#pragma once

#define IDD_MAIN 101
#define IDI_MAIN 103

#define IDC_CONVERT 1000
#define IDC_PROGRESS 1001
#define IDC_INPUT 1002
#define IDC_OUTPUT 1003
#define IDC_INPUT_PATH 1004
#define IDC_OUTPUT_PATH 1005
#define IDC_HL_TO_Q3 1006
#define IDC_Q3_TO_HL 1007
#define IDC_ABOUT 1008
