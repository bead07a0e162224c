// Resource and control ids of Tunewell, shared by the resource script and the code.
#pragma once

#define IDD_CONFIG_MAIN 101
#define IDI_TUNEWELL 105

#define IDC_ITEM_TREE 1001
#define IDC_CHOICE_COMBO 1002
#define IDC_VALUE_HEADING 1003
#define IDC_NUMBER_EDIT 1004
#define IDC_NUMBER_UNIT 1005
#define IDC_TEXT_EDIT 1006
#define IDC_DIGIT_EDIT 1007
#define IDC_DIGIT_SPIN 1008
#define IDC_DIGIT_UNIT 1009
#define IDC_RESET_ITEM 1010
#define IDC_DESCRIPTION_HEADING 1011
#define IDC_DESCRIPTION 1012
#define IDC_SEPARATOR 1013
#define IDC_RESET_ALL 1014
#define IDC_SAVE 1015
#define IDC_CANCEL 1016
