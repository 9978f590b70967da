// Dialog templates of Kelvara, in dialog units, controls in tab order.

#include "DialogTemplates.h"

#include <array>
#include <iterator>

#include "ResourceIds.h"
#include "Version.h"

namespace kelvara::res {

namespace {

using K = ControlKind;

// About box.
constexpr ControlTemplate kAboutControls[] = {
    {K::Icon, kUnnumbered, "", 11, 17, 20, 20, kPlain, IDR_MAINFRAME},
    {K::LeftText, kUnnumbered, "Kelvara Version " KELVARA_VERSION, 40, 10, 119, 8},
    {K::LeftText, kUnnumbered,
     "Eddy-covariance fluxes from flux tower raw data.\n"
     "Copyright (c) 2026, The Kelvara developers.\n"
     "BSD 3-Clause licence; it comes with no warranty.",
     40, 23, 178, 30},
    {K::DefPushButton, kOkControl, "OK", 223, 7, 50, 14},
};

// "EC Process".
constexpr ControlTemplate kECProcessControls[] = {
    {K::DefPushButton, kOkControl, "Process", 91, 215, 50, 14},
    {K::PushButton, kCancelControl, "Close", 161, 215, 50, 14},
    {K::RightText, kUnnumbered, "Select First File: ", 13, 17, 83, 9},
    {K::Edit, IDC_FIRST_FILE, "", 106, 14, 119, 13},
    {K::PushButton, IDC_BROWSE_FIRST, "Browse...", 234, 14, 44, 13},
    {K::RightText, kUnnumbered, "Select Second File: ", 13, 41, 83, 9},
    {K::Edit, IDC_SECOND_FILE, "", 106, 38, 119, 13},
    {K::PushButton, IDC_BROWSE_SECOND, "Browse...", 235, 39, 44, 13},
    {K::RightText, kUnnumbered, "Output File: ", 13, 65, 83, 9},
    {K::Edit, IDC_OUTPUT_FILE, "", 106, 62, 119, 13},
    {K::PushButton, IDC_BROWSE_OUTPUT, "Browse...", 235, 63, 44, 13},
    {K::GroupBox, kUnnumbered, "Rotation Option", 46, 87, 234, 92},
    {K::AutoRadio, IDC_EC_TWO_AXIS, "2-Axis Rotation", 141, 104, 73, 8, kStartsGroup},
    {K::AutoRadio, IDC_EC_PLANAR_FIT, "Planar fit", 141, 131, 43, 10},
    {K::GroupBox, kUnnumbered, "PF Rotation", 56, 121, 215, 54},
    {K::LeftText, kUnnumbered, "b0", 61, 151, 9, 8},
    {K::Edit, IDC_EC_B0, "", 75, 151, 48, 12},
    {K::LeftText, kUnnumbered, "b1", 134, 151, 9, 9},
    {K::Edit, IDC_EC_B1, "", 147, 151, 46, 12},
    {K::LeftText, kUnnumbered, "b2", 203, 151, 11, 10},
    {K::Edit, IDC_EC_B2, "", 217, 151, 43, 13},
    {K::Progress, IDC_PROGRESS_BAR, "", 33, 190, 244, 16},
    {K::LeftText, IDC_PERCENT_TEXT, "", 283, 194, 26, 8},
    {K::CheckBox, IDC_EC_STANDARD, "Standard methods", 225, 217, 80, 10},
    // Under "Standard methods", which it implies, and in line with Close.
    {K::CheckBox, IDC_EC_CORRECTED, "Corrections and flags (site file)", 161, 231, 139, 10},
    {K::PushButton, IDC_EC_VIEW, "View", 21, 215, 50, 14},
    {K::LeftText, IDC_EC_COLUMNS_NOTE, "", 13, 245, 310, 8},
};

// "No Second File".
constexpr ControlTemplate kSecondFileControls[] = {
    {K::DefPushButton, kOkControl, "OK", 30, 65, 50, 14},
    {K::PushButton, kCancelControl, "Re-Input", 98, 65, 50, 14},
    {K::CentredText, kUnnumbered,
     "You don't input the second file!\n\nClick \"OK\" to continue\nClick \"Re-input\" to re-input.", 35, 15, 111, 39},
};

// "Range Setting".
constexpr ControlTemplate kSetRangeControls[] = {
    {K::DefPushButton, kOkControl, "Set", 95, 178, 50, 14},
    {K::PushButton, kCancelControl, "Close", 175, 177, 50, 14},
    {K::Picture, kUnnumbered, "", 65, 15, 177, 20, kSunken, IDB_RANGE_BANNER},
    {K::LeftText, kUnnumbered, "Minimum", 105, 49, 36, 8},
    {K::LeftText, kUnnumbered, "Maximum", 183, 50, 36, 8},
    {K::LeftText, kUnnumbered, "U", 67, 64, 12, 8},
    {K::LeftText, kUnnumbered, "V", 67, 78, 12, 8},
    {K::LeftText, kUnnumbered, "W", 66, 92, 13, 8},
    {K::LeftText, kUnnumbered, "CO2", 59, 108, 20, 8},
    {K::LeftText, kUnnumbered, "H2O", 59, 123, 20, 8},
    {K::LeftText, kUnnumbered, "Ts", 64, 139, 15, 8},
    {K::LeftText, kUnnumbered, "P", 67, 155, 12, 8},
    {K::Edit, IDC_U_MIN, "", 80, 60, 70, 15},
    {K::Edit, IDC_V_MIN, "", 80, 75, 70, 15},
    {K::Edit, IDC_W_MIN, "", 80, 90, 70, 15},
    {K::Edit, IDC_CO2_MIN, "", 80, 105, 70, 15},
    {K::Edit, IDC_H2O_MIN, "", 80, 120, 70, 15},
    {K::Edit, IDC_TS_MIN, "", 80, 135, 70, 15},
    {K::Edit, IDC_P_MIN, "", 80, 150, 70, 15},
    {K::Edit, IDC_U_MAX, "", 160, 60, 70, 15},
    {K::Edit, IDC_V_MAX, "", 160, 75, 70, 15},
    {K::Edit, IDC_W_MAX, "", 160, 90, 70, 15},
    {K::Edit, IDC_CO2_MAX, "", 160, 105, 70, 15},
    {K::Edit, IDC_H2O_MAX, "", 160, 120, 70, 15},
    {K::Edit, IDC_TS_MAX, "", 160, 135, 70, 15},
    {K::Edit, IDC_P_MAX, "", 160, 150, 70, 15},
    // The units of both boxes, beside the maximum.
    {K::LeftText, kUnnumbered, "m/s", 235, 64, 32, 8},
    {K::LeftText, kUnnumbered, "m/s", 235, 79, 32, 8},
    {K::LeftText, kUnnumbered, "m/s", 235, 94, 32, 8},
    {K::LeftText, kUnnumbered, "mg/m\u00b3", 235, 109, 32, 8},
    {K::LeftText, kUnnumbered, "g/m\u00b3", 235, 124, 32, 8},
    {K::LeftText, kUnnumbered, "\u00b0C", 235, 139, 32, 8},
    {K::LeftText, kUnnumbered, "kPa", 235, 154, 32, 8},
};

// "Batch File Processor".
constexpr ControlTemplate kBatchControls[] = {
    {K::DefPushButton, kOkControl, "Process", 94, 209, 50, 14},
    {K::PushButton, kCancelControl, "Close", 165, 210, 50, 14},
    {K::Picture, kUnnumbered, "", 103, 20, 115, 22, kSunken, IDB_BATCH_BANNER},
    {K::LeftText, kUnnumbered, "Input the file which contains\nall raw data file names", 17, 58, 92, 20},
    {K::Edit, IDC_LIST_FILE, "", 117, 61, 134, 16},
    {K::PushButton, IDC_BATCH_BROWSER, "Browser", 263, 62, 46, 14},
    {K::GroupBox, kUnnumbered, "Ration Selection", 24, 82, 282, 86},
    {K::AutoRadio, IDC_BATCH_TWO_AXIS, "2-Axis Rotation", 119, 92, 134, 14, kStartsGroup},
    {K::AutoRadio, IDC_BATCH_PLANAR_FIT, "Planar fit", 119, 115, 102, 10},
    {K::GroupBox, kUnnumbered, "FP Rotation", 36, 107, 264, 54},
    {K::LeftText, kUnnumbered, "b0", 43, 137, 10, 11},
    {K::Edit, IDC_BATCH_B0, "", 55, 135, 59, 15},
    {K::LeftText, kUnnumbered, "b1", 135, 137, 12, 11},
    {K::Edit, IDC_BATCH_B1, "", 147, 135, 59, 15},
    {K::LeftText, kUnnumbered, "b2", 223, 137, 10, 11},
    {K::Edit, IDC_BATCH_B2, "", 235, 135, 59, 15},
    {K::CentredText, IDC_WAIT_NOTICE, "", 63, 174, 205, 15},
    {K::CentredText, IDC_PROGRESS_TEXT, "", 65, 194, 205, 12},
    {K::CheckBox, IDC_BATCH_STANDARD, "Standard methods", 228, 212, 80, 10},
    // Under "Standard methods", which it implies, and in line with Close.
    {K::CheckBox, IDC_BATCH_CORRECTED, "Corrections and flags (site file)", 165, 226, 139, 10},
    {K::LeftText, IDC_BATCH_COLUMNS_NOTE, "", 17, 240, 295, 8},
};

// "Merge Files".
constexpr ControlTemplate kMergeControls[] = {
    {K::Picture, kUnnumbered, "", 141, 19, 107, 22, kSunken, IDB_MERGE_BANNER},
    {K::GroupBox, kUnnumbered, "First File", 48, 47, 265, 73},
    {K::LeftText, kUnnumbered, "File Nmae: ", 78, 63, 34, 13},
    {K::Edit, IDC_MERGE_FIRST_FILE, "", 116, 59, 133, 16},
    {K::PushButton, IDC_MERGE_FIRST_BROWSE, "Browse", 258, 61, 42, 15},
    {K::LeftText, kUnnumbered, "No. of Head Lines:", 54, 82, 61, 13},
    {K::Edit, IDC_MERGE_FIRST_HEAD, "", 116, 81, 44, 13},
    {K::LeftText, kUnnumbered, "Field Separator:", 62, 100, 52, 11},
    {K::AutoRadio, IDC_FIRST_TAB, "Tab", 120, 100, 29, 10, kStartsGroup},
    {K::AutoRadio, IDC_FIRST_COMMA, "Comma", 165, 100, 39, 10},
    {K::AutoRadio, IDC_FIRST_SPACE, "Space", 214, 100, 37, 10},
    {K::GroupBox, kUnnumbered, "Second File", 48, 125, 267, 80},
    {K::LeftText, kUnnumbered, "File Name: ", 77, 145, 36, 8},
    {K::Edit, IDC_MERGE_SECOND_FILE, "", 116, 140, 133, 16},
    {K::PushButton, IDC_MERGE_SECOND_BROWSE, "Browse", 258, 143, 42, 15},
    {K::LeftText, kUnnumbered, "No. of Head Lines:", 52, 160, 60, 8},
    {K::Edit, IDC_MERGE_SECOND_HEAD, "", 115, 160, 44, 13},
    {K::LeftText, kUnnumbered, "Field Separator:", 60, 179, 52, 11},
    {K::AutoRadio, IDC_SECOND_TAB, "Tab", 118, 179, 29, 10, kStartsGroup},
    {K::AutoRadio, IDC_SECOND_COMMA, "Comma", 163, 179, 39, 10},
    {K::AutoRadio, IDC_SECOND_SPACE, "Space", 212, 179, 37, 10},
    {K::LeftText, kUnnumbered, "Out Put File: ", 70, 219, 42, 11},
    {K::Edit, IDC_MERGE_OUTPUT, "", 116, 215, 133, 16},
    {K::PushButton, IDC_MERGE_OUTPUT_BROWSE, "Browse", 258, 217, 42, 15},
    {K::DefPushButton, kOkControl, "Do Merge", 123, 248, 50, 14},
    {K::PushButton, kCancelControl, "Close", 215, 248, 50, 14},
};

// "Append Files".
constexpr ControlTemplate kAppendControls[] = {
    {K::DefPushButton, kOkControl, "OK", 128, 255, 50, 14},
    {K::PushButton, kCancelControl, "Cancel", 227, 254, 50, 14},
    {K::Picture, kUnnumbered, "", 149, 20, 107, 21, kSunken, IDB_APPEND_BANNER},
    {K::LeftText, kUnnumbered, "No. of file head lines:", 146, 61, 67, 8},
    {K::Edit, IDC_HEAD_LINES, "", 219, 57, 40, 14},
    {K::GroupBox, kUnnumbered, "Input Files", 66, 80, 272, 131},
    {K::LeftText, kUnnumbered, "File 1:", 81, 98, 20, 8},
    {K::Edit, IDC_APPEND_FILE1, "", 107, 96, 161, 12},
    {K::PushButton, IDC_APPEND_BROWSER1, "Browser", 280, 95, 48, 13},
    {K::LeftText, kUnnumbered, "File 2:", 81, 116, 20, 8},
    {K::Edit, IDC_APPEND_FILE2, "", 107, 114, 161, 12},
    {K::PushButton, IDC_APPEND_BROWSER2, "Browser", 280, 113, 48, 13},
    {K::LeftText, kUnnumbered, "File 3:", 81, 134, 20, 8},
    {K::Edit, IDC_APPEND_FILE3, "", 107, 132, 161, 12},
    {K::PushButton, IDC_APPEND_BROWSER3, "Browser", 280, 131, 48, 13},
    {K::LeftText, kUnnumbered, "File 4:", 81, 152, 20, 8},
    {K::Edit, IDC_APPEND_FILE4, "", 107, 150, 161, 12},
    {K::PushButton, IDC_APPEND_BROWSER4, "Browser", 280, 149, 48, 13},
    {K::LeftText, kUnnumbered, "File 5:", 81, 170, 20, 8},
    {K::Edit, IDC_APPEND_FILE5, "", 107, 168, 161, 12},
    {K::PushButton, IDC_APPEND_BROWSER5, "Browser", 280, 167, 48, 13},
    {K::LeftText, kUnnumbered, "File 6:", 81, 189, 20, 8},
    {K::Edit, IDC_APPEND_FILE6, "", 107, 187, 161, 12},
    {K::PushButton, IDC_APPEND_BROWSER6, "Browser", 280, 186, 48, 13},
    {K::LeftText, kUnnumbered, "Output File:", 66, 226, 36, 8},
    {K::Edit, IDC_APPEND_OUTPUT, "", 107, 224, 161, 12},
    {K::PushButton, IDC_APPEND_OUTPUT_BROWSER, "Browser", 278, 223, 48, 13},
};

// "Planar Fit Coefficients".
constexpr ControlTemplate kPlaneFitControls[] = {
    {K::LeftText, kUnnumbered, "Fit the plane to the half-hour mean winds of", 14, 10, 200, 9},
    {K::AutoRadio, IDC_PF_FROM_LIST, "the raw data files of a list file", 24, 24, 140, 10, kStartsGroup},
    {K::AutoRadio, IDC_PF_FROM_FILE, "one raw data file", 176, 24, 100, 10},
    {K::Edit, IDC_PF_INPUT, "", 24, 39, 232, 13},
    {K::PushButton, IDC_PF_BROWSE, "Browse...", 264, 39, 50, 13},
    {K::GroupBox, kUnnumbered, "Half hours used", 14, 60, 302, 48},
    {K::RightText, kUnnumbered, "Good records at least:", 20, 76, 88, 9},
    {K::Edit, IDC_PF_MIN_RECORDS, "", 112, 74, 44, 12},
    {K::RightText, kUnnumbered, "Wind speed at least (m/s):", 160, 76, 104, 9},
    {K::Edit, IDC_PF_U_MIN, "", 268, 74, 40, 12},
    {K::RightText, kUnnumbered, "|Mean w| at most (m/s):", 160, 92, 104, 9},
    {K::Edit, IDC_PF_W_MAX, "", 268, 90, 40, 12},
    {K::Progress, IDC_PROGRESS_BAR, "", 14, 115, 270, 12},
    {K::LeftText, IDC_PERCENT_TEXT, "", 290, 117, 26, 8},
    {K::ReportText, IDC_PF_RESULT, "", 14, 133, 302, 104},
    {K::DefPushButton, kOkControl, "Fit", 96, 245, 50, 14},
    {K::PushButton, IDC_PF_COPY, "Copy", 156, 245, 50, 14},
    {K::PushButton, kCancelControl, "Close", 216, 245, 50, 14},
};

// "Input Columns".
constexpr ControlTemplate kInputColumnsControls[] = {
    {K::GroupBox, kUnnumbered, "Columns of the raw data files", 7, 7, 246, 149},
    {K::AutoRadio, IDC_COLUMNS_DETECT, "Names from the header when it names every column, else by position", 14, 19,
     236, 10, kStartsGroup},
    {K::AutoRadio, IDC_COLUMNS_DEFAULT, "Default layout (by position)", 14, 32, 200, 10},
    {K::AutoRadio, IDC_COLUMNS_AUTO, "Names from the file's header (auto)", 14, 45, 200, 10},
    {K::AutoRadio, IDC_COLUMNS_MAP, "Column map (header names or column numbers):", 14, 58, 200, 10},
    {K::RightText, kUnnumbered, "U", 18, 75, 28, 9},
    {K::Edit, kColumnMapBoxes[0], "", 50, 73, 70, 13},
    {K::RightText, kUnnumbered, "V", 130, 75, 28, 9},
    {K::Edit, kColumnMapBoxes[1], "", 162, 73, 70, 13},
    {K::RightText, kUnnumbered, "W", 18, 91, 28, 9},
    {K::Edit, kColumnMapBoxes[2], "", 50, 89, 70, 13},
    {K::RightText, kUnnumbered, "CO2", 130, 91, 28, 9},
    {K::Edit, kColumnMapBoxes[3], "", 162, 89, 70, 13},
    {K::RightText, kUnnumbered, "H2O", 18, 107, 28, 9},
    {K::Edit, kColumnMapBoxes[4], "", 50, 105, 70, 13},
    {K::RightText, kUnnumbered, "Ts", 130, 107, 28, 9},
    {K::Edit, kColumnMapBoxes[5], "", 162, 105, 70, 13},
    {K::RightText, kUnnumbered, "P", 18, 123, 28, 9},
    {K::Edit, kColumnMapBoxes[6], "", 50, 121, 70, 13},
    {K::RightText, kUnnumbered, "Status", 130, 123, 28, 9},
    {K::Edit, kColumnMapBoxes[7], "", 162, 121, 70, 13},
    {K::CheckBox, IDC_UNIT_CHECK, "Check the header's units (auto)", 14, 140, 200, 10},
    {K::LeftText, kUnnumbered, "Good status values:", 14, 167, 72, 9},
    {K::Edit, IDC_GOOD_STATUS, "", 88, 164, 80, 13},
    {K::LeftText, kUnnumbered, "e.g. 0 or 0-13", 176, 167, 70, 9},
    {K::DefPushButton, kOkControl, "OK", 70, 188, 50, 14},
    {K::PushButton, kCancelControl, "Cancel", 140, 188, 50, 14},
};

// "Site and Instruments": a row per key of the site file, in the file's
// order: its label (a star marks the two required keys), its box (an edit,
// or a drop-down of the key's words) and its unit. The rows stand in a group
// box per section, [site], [sonic] and [irga] on the left, [lag] and
// [processing] on the right.
struct SiteRow {
    const char* label;
    const char* unit;
    const char* choices = nullptr;  // apart by '|'; none: an edit box
};

constexpr SiteRow kSiteRows[] = {
    {"Measurement height *", "m"},
    {"Displacement height", "m"},
    {"Canopy height", "m"},
    {"Latitude *", "\u00b0 north"},

    {"Path length", "m"},
    {"Time constant", "s"},
    {"Azimuth", "\u00b0 from north"},
    {"+u is wind", "the azimuth", "from|toward"},
    {"Declination", "\u00b0"},

    {"Path length", "m"},
    {"Time constant", "s"},
    {"Separation north", "m"},
    {"Separation east", "m"},
    {"Separation up", "m"},

    {"Method", "", "none|constant|maxcov|maxcov_default"},
    {"CO2 window start", "s, or auto"},
    {"CO2 window end", "s, or auto"},
    {"H2O window start", "s, or auto"},
    {"H2O window end", "s, or auto"},
    {"CO2 default lag", "s"},
    {"H2O default lag", "s"},

    {"Sampling frequency", "Hz, or auto"},
    {"Spectral correction", "", "moncrieff97|none"},
    {"High-pass transfer", "", "single|product"},
    {"Correction order", "", "covariances|peer"},
    {"Obukhov length from", "flux", "buoyancy|sensible"},
    {"Obukhov temperature", "", "actual|potential"},
    {"von K\u00e1rm\u00e1n constant", ""},
    {"Wind direction", "mean", "vector|unit"},
    {"Random error lags", "s at most"},
    {"Minimum coverage", "% of records"},
};
static_assert(std::size(kSiteRows) == kSiteKeyBoxes.size());

// A drop-down list is drawn higher than an edit box: its rows are higher.
constexpr int kSiteEditPitch = 14;
constexpr int kSiteListPitch = 17;
constexpr int kSiteGroupWidth = 224;
constexpr int kSiteGroupTop = 12;    // from the group's top to its first row
constexpr int kSiteGroupBottom = 4;  // below its last row
constexpr int kSiteGroupGap = 5;     // between two groups of a column
constexpr int kSiteColumns[] = {7, 238};

constexpr int RowPitch(const SiteRow& row) { return row.choices ? kSiteListPitch : kSiteEditPitch; }

constexpr std::size_t kSiteGroupRows[] = {4, 5, 5, 7, 10};  // [site], [sonic], [irga], [lag], [processing]
constexpr const char* kSiteGroupTitles[] = {"[site] Tower", "[sonic] Sonic anemometer", "[irga] Gas analyser",
                                            "[lag] Time lag", "[processing] Corrections"};
constexpr std::size_t kSiteGroupColumn[] = {0, 0, 0, 1, 1};
constexpr int kSiteFirstGroupY = 22;

constexpr std::size_t kSiteUnits = [] {
    std::size_t units = 0;
    for (const SiteRow& row : kSiteRows) units += row.unit[0] != '\0' ? 1 : 0;
    return units;
}();

// The bottom of the left column, where the note and the buttons go.
constexpr int kSiteLeftBottom = [] {
    int y = kSiteFirstGroupY;
    std::size_t row = 0;
    for (std::size_t group = 0; group < std::size(kSiteGroupRows); ++group) {
        int height = kSiteGroupTop + kSiteGroupBottom;
        for (std::size_t i = 0; i < kSiteGroupRows[group]; ++i) height += RowPitch(kSiteRows[row++]);
        if (kSiteGroupColumn[group] == 0) y += height + kSiteGroupGap;
    }
    return y;
}();

constexpr auto kSiteControls = [] {
    std::array<ControlTemplate, std::size(kSiteGroupRows) + 2 * std::size(kSiteRows) + kSiteUnits + 6> controls{};
    std::size_t n = 0, row = 0;
    int columnY[] = {kSiteFirstGroupY, kSiteFirstGroupY};
    controls[n++] = {K::LeftText, IDC_SITE_FILE_NOTE, "", 7, 7, 340, 9};
    controls[n++] = {K::PushButton, IDC_SITE_OPEN, "Open\u2026", 357, 5, 50, 13};
    controls[n++] = {K::PushButton, IDC_SITE_SAVE_AS, "Save As\u2026", 412, 5, 50, 13};
    for (std::size_t group = 0; group < std::size(kSiteGroupRows); ++group) {
        const int x = kSiteColumns[kSiteGroupColumn[group]];
        int& top = columnY[kSiteGroupColumn[group]];
        const std::size_t frame = n++;
        int y = top + kSiteGroupTop;
        for (std::size_t i = 0; i < kSiteGroupRows[group]; ++i, ++row) {
            const SiteRow& site = kSiteRows[row];
            // A list grows about its middle, so it starts lower in its row.
            const int inset = (RowPitch(site) - 13) / 2;
            controls[n++] = {K::RightText, kUnnumbered, site.label, x + 4, y + inset + 2, 80, 9};
            controls[n++] = {site.choices ? K::DropDown : K::Edit,
                             kSiteKeyBoxes[row],
                             site.choices ? site.choices : "",
                             x + 88,
                             y + inset,
                             84,
                             13};
            if (site.unit[0] != '\0') {
                controls[n++] = {K::LeftText, kUnnumbered, site.unit, x + 176, y + inset + 2, 46, 9};
            }
            y += RowPitch(site);
        }
        controls[frame] = {K::GroupBox, kUnnumbered,     kSiteGroupTitles[group],   x,
                           top,         kSiteGroupWidth, y + kSiteGroupBottom - top};
        top = y + kSiteGroupBottom + kSiteGroupGap;
    }
    controls[n++] = {
        K::LeftText, kUnnumbered,     "* required. A displacement height left empty\nis 0.67 \u00d7 the canopy height.",
        7,           kSiteLeftBottom, 224,
        18};
    controls[n++] = {K::DefPushButton, kOkControl, "OK", 60, kSiteLeftBottom + 24, 50, 14};
    controls[n++] = {K::PushButton, kCancelControl, "Cancel", 128, kSiteLeftBottom + 24, 50, 14};
    return controls;
}();

}  // namespace

const DialogTemplate kAboutTemplate{IDD_ABOUTBOX, "About Kelvara", 280, 62, kAboutControls};
const DialogTemplate kECProcessTemplate{IDD_EC_PROCESS, "EC Process", 333, 256, kECProcessControls};
const DialogTemplate kSecondFileTemplate{IDD_SECOND_FILE, "No Second File", 186, 95, kSecondFileControls};
const DialogTemplate kSetRangeTemplate{IDD_SET_RANGE, "Range Setting", 302, 206, kSetRangeControls};
const DialogTemplate kBatchTemplate{IDD_BATCH_PROCESS, "Batch File Processor", 322, 251, kBatchControls};
const DialogTemplate kMergeTemplate{IDD_MERGE, "Merge Files", 389, 282, kMergeControls};
const DialogTemplate kAppendTemplate{IDD_APPEND, "Append Files", 405, 287, kAppendControls};
const DialogTemplate kPlaneFitTemplate{IDD_PLANE_FIT, "Planar Fit Coefficients", 330, 268, kPlaneFitControls};
const DialogTemplate kInputColumnsTemplate{IDD_INPUT_COLUMNS, "Input Columns", 260, 210, kInputColumnsControls};
const DialogTemplate kSiteInstrumentsTemplate{IDD_SITE_INSTRUMENTS, "Site and Instruments", 469, 326, kSiteControls};

}  // namespace kelvara::res
