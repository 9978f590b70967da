#pragma once
// The main window's resources held as data: menu, accelerator table, string
// table, toolbar and the dialogs' banner pictures.

#include <span>

#include "ResourceIds.h"

namespace kelvara::res {

struct MenuItemResource {
    int command;        // 0 = separator
    const char* label;  // text behind a TAB is the accelerator hint
};

struct PopupResource {
    const char* label;
    std::span<const MenuItemResource> items;
};

struct AcceleratorResource {
    char key;  // pressed with Ctrl
    int command;
};

// Status-bar prompt and tooltip of a command.
struct PromptResource {
    int command;
    const char* prompt;
    const char* tooltip;
};

struct ToolbarButtonResource {
    int command;            // 0 = separator
    const char* lettering;  // the words on the button face, one line each
};

struct BannerResource {
    int resource;
    const char* words;
    unsigned char red, green, blue;  // the letters' colour
};

inline constexpr int kToolbarButtonWidth = 90;
inline constexpr int kToolbarButtonHeight = 61;

extern const std::span<const PopupResource> kMainMenu;
extern const std::span<const AcceleratorResource> kMainAccelerators;
extern const std::span<const PromptResource> kCommandPrompts;
extern const std::span<const ToolbarButtonResource> kMainToolbar;
extern const std::span<const BannerResource> kBanners;

extern const char* const kAppTitle;        // string 57344
extern const char* const kIdleStatusText;  // string 57345
extern const char* const kDocTemplateString;

// The prompt entry of a command, or nullptr.
const PromptResource* FindPrompt(int command);
const BannerResource* FindBanner(int resource);

}  // namespace kelvara::res
