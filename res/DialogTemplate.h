#pragma once
// A dialog template held as data: title, size and every control's kind,
// number, text and rectangle in dialog units. The controls are listed in
// template order, which is also their tab order.

#include <span>

namespace kelvara::res {

enum class ControlKind {
    PushButton,
    DefPushButton,  // the dialog's default button (Enter presses it)
    LeftText,
    RightText,
    CentredText,
    Edit,  // bordered, scrolls horizontally
    GroupBox,
    AutoRadio,  // exchanged with its group as an index
    Picture,    // a bitmap; `picture` names it
    Icon,       // an icon; `picture` names it
    Progress,
    CheckBox,    // unchecked when the dialog opens
    ReportText,  // read-only, several lines in a fixed-width font, scrolls
    DropDown,    // a list to choose one from; `text` holds the choices, apart by '|'
};

enum ControlStyle : unsigned {
    kPlain = 0,
    kStartsGroup = 1u << 0,  // first auto radio button of a group
    kSunken = 1u << 1,       // sunken edge around a picture
};

inline constexpr int kUnnumbered = -1;  // labels, frames and pictures
inline constexpr int kOkControl = 1;
inline constexpr int kCancelControl = 2;

struct ControlTemplate {
    ControlKind kind;
    int id;
    const char* text;
    int x, y, cx, cy;  // dialog units
    unsigned style = kPlain;
    int picture = 0;  // resource number of the bitmap or icon
};

struct DialogTemplate {
    int resource;
    const char* title;
    int cx, cy;  // dialog units
    std::span<const ControlTemplate> controls;
};

}  // namespace kelvara::res
