#pragma once
// The numbers of Kelvara's resources: commands, pictures, dialog templates
// and the controls inside them. The templates in res/ and the code in app/
// both use these names, so a control and the code that reads it cannot
// drift apart.

#include <array>

namespace kelvara::res {

// Commands of the main window: menu, accelerators and toolbar.
inline constexpr int ID_BATCH_PROCESS = 32771;
inline constexpr int ID_EC_DATA_PROCESS = 32773;
inline constexpr int ID_RANGE_SETTING = 32774;
inline constexpr int ID_DATA_APPEND = 32775;
inline constexpr int ID_MERGE_DATA = 32776;
inline constexpr int ID_PLANE_FIT = 32780;
inline constexpr int ID_VIEW_RESULTS = 32781;
inline constexpr int ID_INPUT_COLUMNS = 32777;
inline constexpr int ID_SITE_INSTRUMENTS = 32782;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;

// Icons and pictures.
inline constexpr int IDR_MAINFRAME = 128;  // menu, accelerators, toolbar, icon
inline constexpr int IDR_DOCUMENT = 129;   // document icon
inline constexpr int IDB_RANGE_BANNER = 141;
inline constexpr int IDB_MERGE_BANNER = 148;
inline constexpr int IDB_APPEND_BANNER = 151;
inline constexpr int IDB_BATCH_BANNER = 153;

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_EC_PROCESS = 131;
inline constexpr int IDD_SECOND_FILE = 133;
inline constexpr int IDD_SET_RANGE = 134;
inline constexpr int IDD_BATCH_PROCESS = 142;
inline constexpr int IDD_MERGE = 143;
inline constexpr int IDD_APPEND = 149;
inline constexpr int IDD_PLANE_FIT = 160;
inline constexpr int IDD_INPUT_COLUMNS = 150;
inline constexpr int IDD_SITE_INSTRUMENTS = 161;

// Controls. Each dialog numbers its own controls, so one number can stand
// for different controls in different dialogs; within a dialog it is unique.

// What a job reports through its dialog: the single run's progress bar and
// percentage, the batch's two status texts.
inline constexpr int IDC_PROGRESS_BAR = 1007;
inline constexpr int IDC_PERCENT_TEXT = 1010;
inline constexpr int IDC_WAIT_NOTICE = 1029;
inline constexpr int IDC_PROGRESS_TEXT = 1030;

// "EC Process".
inline constexpr int IDC_FIRST_FILE = 1000;
inline constexpr int IDC_SECOND_FILE = 1001;
inline constexpr int IDC_BROWSE_FIRST = 1002;
inline constexpr int IDC_BROWSE_SECOND = 1003;
inline constexpr int IDC_EC_TWO_AXIS = 1004;
inline constexpr int IDC_OUTPUT_FILE = 1008;
inline constexpr int IDC_BROWSE_OUTPUT = 1009;
inline constexpr int IDC_EC_PLANAR_FIT = 1031;
inline constexpr int IDC_EC_B0 = 1032;
inline constexpr int IDC_EC_B1 = 1033;
inline constexpr int IDC_EC_B2 = 1034;
inline constexpr int IDC_EC_STANDARD = 1040;      // "Standard methods"
inline constexpr int IDC_EC_COLUMNS_NOTE = 1042;  // the input columns in force, when not the default
inline constexpr int IDC_EC_CORRECTED = 1043;     // "Corrections and flags (site file)"

// "Batch File Processor".
inline constexpr int IDC_BATCH_TWO_AXIS = 1004;
inline constexpr int IDC_BATCH_BROWSER = 1026;
inline constexpr int IDC_LIST_FILE = 1028;
inline constexpr int IDC_BATCH_B0 = 1032;
inline constexpr int IDC_BATCH_B1 = 1033;
inline constexpr int IDC_BATCH_B2 = 1034;
inline constexpr int IDC_BATCH_PLANAR_FIT = 1036;
inline constexpr int IDC_BATCH_STANDARD = 1041;      // "Standard methods"
inline constexpr int IDC_BATCH_COLUMNS_NOTE = 1042;  // the input columns in force, when not the default
inline constexpr int IDC_BATCH_CORRECTED = 1044;     // "Corrections and flags (site file)"

// "Range Setting": one box per limit.
inline constexpr int IDC_U_MIN = 1013;
inline constexpr int IDC_V_MIN = 1014;
inline constexpr int IDC_W_MIN = 1015;
inline constexpr int IDC_CO2_MIN = 1016;
inline constexpr int IDC_H2O_MIN = 1017;
inline constexpr int IDC_TS_MIN = 1018;
inline constexpr int IDC_P_MIN = 1019;
inline constexpr int IDC_U_MAX = 1020;
inline constexpr int IDC_V_MAX = 1021;
inline constexpr int IDC_W_MAX = 1022;
inline constexpr int IDC_CO2_MAX = 1023;
inline constexpr int IDC_H2O_MAX = 1024;
inline constexpr int IDC_TS_MAX = 1025;
inline constexpr int IDC_P_MAX = 1026;

// The range boxes in the order of range.ini: U-Min, U-Max, V-Min, ... P-Max.
inline constexpr std::array<int, 14> kRangeBoxesInFileOrder = {
    IDC_U_MIN,   IDC_U_MAX,   IDC_V_MIN,   IDC_V_MAX,  IDC_W_MIN,  IDC_W_MAX, IDC_CO2_MIN,
    IDC_CO2_MAX, IDC_H2O_MIN, IDC_H2O_MAX, IDC_TS_MIN, IDC_TS_MAX, IDC_P_MIN, IDC_P_MAX};

// "Merge Files". Each radio group is Tab, Comma, Space.
inline constexpr int IDC_MERGE_FIRST_FILE = 1014;
inline constexpr int IDC_MERGE_FIRST_BROWSE = 1015;
inline constexpr int IDC_MERGE_SECOND_FILE = 1016;
inline constexpr int IDC_MERGE_SECOND_BROWSE = 1017;
inline constexpr int IDC_MERGE_OUTPUT = 1018;
inline constexpr int IDC_MERGE_OUTPUT_BROWSE = 1019;
inline constexpr int IDC_MERGE_FIRST_HEAD = 1020;
inline constexpr int IDC_FIRST_TAB = 1021;
inline constexpr int IDC_FIRST_COMMA = 1022;
inline constexpr int IDC_FIRST_SPACE = 1023;
inline constexpr int IDC_MERGE_SECOND_HEAD = 1024;
inline constexpr int IDC_SECOND_TAB = 1025;
inline constexpr int IDC_SECOND_COMMA = 1026;
inline constexpr int IDC_SECOND_SPACE = 1027;

// "Append Files".
inline constexpr int IDC_HEAD_LINES = 1024;
inline constexpr int IDC_APPEND_FILE1 = 1025;
inline constexpr int IDC_APPEND_BROWSER1 = 1026;
inline constexpr int IDC_APPEND_FILE2 = 1027;
inline constexpr int IDC_APPEND_BROWSER2 = 1028;
inline constexpr int IDC_APPEND_FILE3 = 1029;
inline constexpr int IDC_APPEND_BROWSER3 = 1030;
inline constexpr int IDC_APPEND_FILE4 = 1031;
inline constexpr int IDC_APPEND_BROWSER4 = 1032;
inline constexpr int IDC_APPEND_FILE5 = 1033;
inline constexpr int IDC_APPEND_BROWSER5 = 1034;
inline constexpr int IDC_APPEND_FILE6 = 1035;
inline constexpr int IDC_APPEND_BROWSER6 = 1036;
inline constexpr int IDC_APPEND_OUTPUT = 1037;
inline constexpr int IDC_APPEND_OUTPUT_BROWSER = 1038;

// "Planar Fit Coefficients".
inline constexpr int IDC_PF_FROM_LIST = 1070;  // first of the input radio group
inline constexpr int IDC_PF_FROM_FILE = 1071;
inline constexpr int IDC_PF_INPUT = 1072;
inline constexpr int IDC_PF_BROWSE = 1073;
inline constexpr int IDC_PF_MIN_RECORDS = 1074;
inline constexpr int IDC_PF_U_MIN = 1075;
inline constexpr int IDC_PF_W_MAX = 1076;
inline constexpr int IDC_PF_RESULT = 1077;
inline constexpr int IDC_PF_COPY = 1078;

// "View" of "EC Process": the results file the last run wrote.
inline constexpr int IDC_EC_VIEW = 1079;
// "Input Columns": the layout (detect, default, auto, a map), the map's eight
// boxes in the variables' order then the status, the status list and the unit
// check. The radio group starts at IDC_COLUMNS_DETECT.
inline constexpr int IDC_COLUMNS_DETECT = 1080;
inline constexpr int IDC_COLUMNS_DEFAULT = 1050;
inline constexpr int IDC_COLUMNS_AUTO = 1051;
inline constexpr int IDC_COLUMNS_MAP = 1052;
inline constexpr std::array<int, 8> kColumnMapBoxes = {1053, 1054, 1055, 1056, 1057, 1058, 1059, 1060};
inline constexpr int IDC_GOOD_STATUS = 1061;
inline constexpr int IDC_UNIT_CHECK = 1062;

// "Site and Instruments": the file edited, its two buttons, and one box per
// key of the site file, in the file's order ([site], [sonic], [irga], [lag],
// [processing]); a key with a few choices has a drop-down list.
inline constexpr int IDC_SITE_FILE_NOTE = 1100;
inline constexpr int IDC_SITE_OPEN = 1101;
inline constexpr int IDC_SITE_SAVE_AS = 1102;
inline constexpr std::array<int, 31> kSiteKeyBoxes = {1110, 1111, 1112, 1113,                    // [site]
                                                      1114, 1115, 1116, 1117, 1118,              // [sonic]
                                                      1119, 1120, 1121, 1122, 1123,              // [irga]
                                                      1124, 1125, 1126, 1127, 1128, 1129, 1130,  // [lag]
                                                      1131, 1132, 1133, 1134, 1135, 1136, 1137,
                                                      1138, 1139, 1140};  // [processing]

// An edit box and the Browser button that fills it.
struct EditWithBrowser {
    int edit;
    int browser;
};

// The input slots of "Append Files", File 1 to File 6.
inline constexpr std::array<EditWithBrowser, 6> kAppendFileSlots = {{
    {IDC_APPEND_FILE1, IDC_APPEND_BROWSER1},
    {IDC_APPEND_FILE2, IDC_APPEND_BROWSER2},
    {IDC_APPEND_FILE3, IDC_APPEND_BROWSER3},
    {IDC_APPEND_FILE4, IDC_APPEND_BROWSER4},
    {IDC_APPEND_FILE5, IDC_APPEND_BROWSER5},
    {IDC_APPEND_FILE6, IDC_APPEND_BROWSER6},
}};

}  // namespace kelvara::res
