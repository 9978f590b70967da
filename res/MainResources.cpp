// Menu, accelerator table, string table, toolbar and pictures of the main
// window (IDR_MAINFRAME) and of the dialogs' banners.

#include "MainResources.h"

namespace kelvara::res {

namespace {

constexpr MenuItemResource kOptionsItems[] = {
    {ID_EC_DATA_PROCESS, "&EC Data Process\tCtrl+E"},
    {ID_RANGE_SETTING, "&Range Setting\tCtrl+R"},
    {0, nullptr},
    {ID_DATA_APPEND, "Data &Append\tCtrl+A"},
    {0, nullptr},
    {ID_BATCH_PROCESS, "&Batch Process\tCtrl+B"},
    {ID_PLANE_FIT, "&Planar Fit Coefficients\u2026"},
    {ID_VIEW_RESULTS, "&View Results\u2026"},
    {0, nullptr},
    {ID_INPUT_COLUMNS, "Input &Columns\u2026"},
    {ID_SITE_INSTRUMENTS, "&Site and Instruments\u2026"},
    {0, nullptr},
    {ID_APP_EXIT, "E&xit"},
};

constexpr MenuItemResource kHelpItems[] = {
    {ID_APP_ABOUT, "&About Kelvara..."},
};

constexpr PopupResource kPopups[] = {
    {"&Options", kOptionsItems},
    {"&Help", kHelpItems},
};

constexpr AcceleratorResource kAccelerators[] = {
    {'A', ID_DATA_APPEND}, {'B', ID_BATCH_PROCESS}, {'E', ID_EC_DATA_PROCESS},
    {'M', ID_MERGE_DATA},  {'R', ID_RANGE_SETTING}, {'X', ID_APP_EXIT},
};

constexpr PromptResource kPrompts[] = {
    {ID_EC_DATA_PROCESS, "Process Flux Data", "Process EC Data"},
    {ID_RANGE_SETTING, "Set EC Data Variables Range", "Set Variables Range"},
    {ID_DATA_APPEND, "Append Second File in the End of First File", "Append 2nd File to 1st File"},
    {ID_BATCH_PROCESS, "Process Bunch of EC Data Files", "Batch File Process"},
    {ID_MERGE_DATA, "Merge Data in Horizontal Direction", "Merge Data"},
    {ID_PLANE_FIT, "Fit the Planar-Fit Coefficients to the Mean Winds of Raw Data Files", "Planar Fit Coefficients"},
    {ID_VIEW_RESULTS, "Plot a Results File", "View Results"},
    {ID_INPUT_COLUMNS, "Choose how the columns of raw data files are read", "Input Columns"},
    {ID_SITE_INSTRUMENTS, "Edit the site file: the tower, its instruments and how the fluxes are corrected",
     "Site and Instruments"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents", "Exit"},
    {ID_APP_ABOUT, "Display program information, version number and copyright", "About"},
};

// The four job buttons, then the buttons of the commands beside them.
constexpr ToolbarButtonResource kToolbar[] = {
    {ID_EC_DATA_PROCESS, "EC DATA\nPROCESS"},
    {0, nullptr},
    {ID_RANGE_SETTING, "RANGE\nSETTING"},
    {0, nullptr},
    {ID_DATA_APPEND, "DATA\nAPPEND"},
    {0, nullptr},
    {ID_BATCH_PROCESS, "BATCH FILE\nPROCESS"},
    {0, nullptr},
    {ID_INPUT_COLUMNS, "INPUT\nCOLUMNS"},
    {0, nullptr},
    {ID_PLANE_FIT, "PLANAR\nFIT"},
    {0, nullptr},
    {ID_VIEW_RESULTS, "VIEW\nRESULTS"},
};

// Banner words: navy for the range banner, dark blue for the others. Each
// picture is drawn to fill its sunken frame.
constexpr BannerResource kBannerList[] = {
    {IDB_RANGE_BANNER, "Set Available Flux Data Range", 0, 0, 128},
    {IDB_MERGE_BANNER, "Data Files Merge", 0, 0, 139},
    {IDB_APPEND_BANNER, "File Data Append", 0, 0, 139},
    {IDB_BATCH_BANNER, "Batch File Process", 0, 0, 139},
};

}  // namespace

const std::span<const PopupResource> kMainMenu = kPopups;
const std::span<const AcceleratorResource> kMainAccelerators = kAccelerators;
const std::span<const PromptResource> kCommandPrompts = kPrompts;
const std::span<const ToolbarButtonResource> kMainToolbar = kToolbar;
const std::span<const BannerResource> kBanners = kBannerList;

const char* const kAppTitle = "Kelvara";
const char* const kIdleStatusText = "Ready";
const char* const kDocTemplateString = "Kelvara\n\nKelvara\n\n\nKelvara.Document\nKelvara Document";

const PromptResource* FindPrompt(int command) {
    for (const PromptResource& prompt : kCommandPrompts) {
        if (prompt.command == command) return &prompt;
    }
    return nullptr;
}

const BannerResource* FindBanner(int resource) {
    for (const BannerResource& banner : kBanners) {
        if (banner.resource == resource) return &banner;
    }
    return nullptr;
}

}  // namespace kelvara::res
