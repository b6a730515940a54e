// Ids of the ui suite's own dialog templates, icons and menus (uitest.rc).
#ifndef ZOLAN_TESTS_UITEST_H
#define ZOLAN_TESTS_UITEST_H

// Icons: 1 is the program's icon; IDI_UITEST_WINDOW belongs to the window of the same id.
#define IDI_UITEST_APP     1
#define IDI_UITEST_WINDOW  7001
#define IDM_UITEST_WINDOW  7001

// A plain dialog: buttons that end it or ask for help, two edit fields for Tab.
#define IDD_UITEST_PLAIN   7300
#define IDC_PLAIN_EDIT1    7301
#define IDC_PLAIN_EDIT2    7302
#define IDC_PLAIN_OTHER    1050
#define IDC_PLAIN_HELP     9

// A dialog with every kind of data item.
#define IDD_UITEST_DATA    7100
#define IDC_DATA_NAME      7101
#define IDC_DATA_COUNT     7102
#define IDC_DATA_RADIO0    7103
#define IDC_DATA_RADIO1    7104
#define IDC_DATA_RADIO2    7105
#define IDC_DATA_LIST      7106
#define IDC_DATA_COMBO     7107
#define IDC_DATA_BROWSE    7108
#define IDC_DATA_FOLDER    7109
#define IDC_DATA_OPEN      7110
#define IDC_DATA_MULTI     7111
#define IDC_DATA_LISTSTR   7112

// A dialog for the disable rules.
#define IDD_UITEST_RULES   7200
#define IDC_RULES_APPLY    110
#define IDC_RULES_SAVE     111
#define IDC_RULES_HIDDEN   112
#define IDC_RULES_SHOWN    113
#define IDC_RULES_EDIT     202
#define IDC_RULES_PATH     203
#define IDC_RULES_RADIO_A  225
#define IDC_RULES_RADIO_B  226
#define IDC_RULES_LIST     230
#define IDC_RULES_COMBO    231
#define IDC_RULES_CHECK    241
#define IDC_RULES_LABEL    250
#define IDC_RULES_PANEL    260

// A child dialog used as an embedded container page.
#define IDD_UITEST_PANEL   7210
// A wide dialog for placement.
#define IDD_UITEST_WIDE    7400

#endif
