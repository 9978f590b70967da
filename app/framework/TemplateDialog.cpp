#include "framework/TemplateDialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "MainResources.h"
#include "framework/Artwork.h"

namespace kelvara::app {

using res::ControlKind;
using res::ControlTemplate;

int WxIdOfControl(int controlNumber) {
    switch (controlNumber) {
        case res::kOkControl:
            return wxID_OK;
        case res::kCancelControl:
            return wxID_CANCEL;
        case res::kUnnumbered:
            return wxID_ANY;
        default:
            return controlNumber;
    }
}

TemplateDialog::TemplateDialog(wxWindow* parent, const res::DialogTemplate& dialogTemplate)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(dialogTemplate.title), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      template_(dialogTemplate) {
    SetClientSize(ConvertDialogToPixels(wxSize(template_.cx, template_.cy)));
    for (const ControlTemplate& control : template_.controls) CreateControl(control);
    CloseRadioGroup();
    Centre();
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
        event.Skip();
        CallAfter(&TemplateDialog::FocusFirstTabStop);
    });
}

wxRect TemplateDialog::PixelRect(const ControlTemplate& control) const {
    const wxPoint topLeft = ConvertDialogToPixels(wxPoint(control.x, control.y));
    // Convert both corners so that neighbouring controls meet exactly.
    const wxPoint bottomRight = ConvertDialogToPixels(wxPoint(control.x + control.cx, control.y + control.cy));
    return wxRect(topLeft, wxSize(bottomRight.x - topLeft.x, bottomRight.y - topLeft.y));
}

void TemplateDialog::CreateControl(const ControlTemplate& control) {
    const wxRect rect = PixelRect(control);
    const wxPoint pos = rect.GetPosition();
    const wxSize size = rect.GetSize();
    const int id = WxIdOfControl(control.id);
    const wxString text = wxString::FromUTF8(control.text);

    if (control.kind != ControlKind::AutoRadio || (control.style & res::kStartsGroup)) CloseRadioGroup();

    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new wxButton(this, id, text, pos, size);
            if (control.kind == ControlKind::DefPushButton) button->SetDefault();
            break;
        }
        case ControlKind::LeftText:
            FitOneLineLabel(new wxStaticText(this, id, text, pos, size, wxST_NO_AUTORESIZE));
            break;
        case ControlKind::RightText:
            FitOneLineLabel(new wxStaticText(this, id, text, pos, size, wxST_NO_AUTORESIZE | wxALIGN_RIGHT));
            break;
        case ControlKind::CentredText:
            FitOneLineLabel(
                new wxStaticText(this, id, text, pos, size, wxST_NO_AUTORESIZE | wxALIGN_CENTRE_HORIZONTAL));
            break;
        case ControlKind::Edit:
            new wxTextCtrl(this, id, text, pos, size);
            break;
        case ControlKind::GroupBox:
            new wxStaticBox(this, id, text, pos, size);
            break;
        case ControlKind::AutoRadio: {
            auto* button =
                new wxRadioButton(this, id, text, pos, size, (control.style & res::kStartsGroup) ? wxRB_GROUP : 0);
            if (!groupOpen_) {
                radioGroups_.push_back({control.id, {}, nullptr});
                groupOpen_ = true;
            }
            radioGroups_.back().buttons.push_back(button);
            FitToBestHeight(button);
            FitToBestWidth(button);
            break;
        }
        case ControlKind::Picture: {
            const res::BannerResource* banner = res::FindBanner(control.picture);
            wxBitmap bitmap = banner ? DrawBanner(*banner, size) : wxBitmap(size, 24);
            new wxStaticBitmap(this, id, bitmap, pos, size);
            break;
        }
        case ControlKind::Icon:
            new wxStaticBitmap(this, id, LoadIconBitmap(control.picture, 32), pos, wxSize(32, 32));
            break;
        case ControlKind::Progress:
            new wxGauge(this, id, 100, pos, size, wxGA_HORIZONTAL | wxGA_SMOOTH);
            break;
        case ControlKind::CheckBox:
            new wxCheckBox(this, id, text, pos, size);
            break;
        case ControlKind::DropDown: {
            auto* list = new wxChoice(this, id, pos, size, wxSplit(text, '|', '\0'));
            FitToBestHeight(list);
            break;
        }
        case ControlKind::ReportText: {
            auto* report = new wxTextCtrl(this, id, text, pos, size, wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL);
            report->SetFont(wxFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE)));
            break;
        }
    }
}

// A one-line label that the platform's font makes wider than its box would
// wrap and lose its end: it grows instead, away from its aligned side.
void TemplateDialog::FitOneLineLabel(wxStaticText* label) {
    const wxString text = label->GetLabel();
    if (text.empty() || text.Contains("\n")) return;
    const int needed = label->GetTextExtent(text).x + 2;
    wxRect rect = label->GetRect();
    if (needed <= rect.width) return;
    const int extra = needed - rect.width;
    if (label->HasFlag(wxALIGN_RIGHT)) {
        rect.x -= extra;
    } else if (label->HasFlag(wxALIGN_CENTRE_HORIZONTAL)) {
        rect.x -= extra / 2;
    }
    rect.width = needed;
    label->SetSize(rect);
}

// GTK cannot draw a radio button or a drop-down list lower than its
// indicator and label: it grows and stays centred on its template row.
void TemplateDialog::FitToBestHeight(wxWindow* control) {
    const int needed = control->GetBestSize().y;
    wxRect rect = control->GetRect();
    if (needed <= rect.height) return;
    rect.y -= (needed - rect.height) / 2;
    rect.height = needed;
    control->SetSize(rect);
}

// Nor narrower than its label: it grows to the right.
void TemplateDialog::FitToBestWidth(wxWindow* control) {
    wxRect rect = control->GetRect();
    rect.width = std::max(rect.width, control->GetBestSize().x);
    control->SetSize(rect);
}

// A dialog opens with the focus on its first control in tab order, so the
// keyboard starts where the template starts, whichever control the toolkit
// would pick. Run after the dialog is shown, since showing moves the focus.
void TemplateDialog::FocusFirstTabStop() {
    // An edit the toolkit focused first selected all its text; the selection
    // would stay drawn, as if chosen.
    if (auto* edit = dynamic_cast<wxTextCtrl*>(FindFocus()); edit != nullptr && edit->GetParent() == this) {
        edit->SelectNone();
    }
    for (wxWindow* child : GetChildren()) {
        if (child->IsShown() && child->IsEnabled() && child->CanAcceptFocusFromKeyboard()) {
            child->SetFocus();
            return;
        }
    }
}

// The hidden "none" button must be created while its group is still the
// latest one, since a wx radio button joins the group of the last one made.
void TemplateDialog::CloseRadioGroup() {
    if (!groupOpen_) return;
    groupOpen_ = false;
    auto* none = new wxRadioButton(this, wxID_ANY, wxString());
    none->Hide();
    none->Disable();
    radioGroups_.back().noneButton = none;
}

const TemplateDialog::RadioGroup* TemplateDialog::FindGroup(int firstButton) const {
    for (const RadioGroup& group : radioGroups_) {
        if (group.firstButton == firstButton) return &group;
    }
    return nullptr;
}

bool TemplateDialog::IsChecked(int checkBox) const {
    const auto* box = dynamic_cast<const wxCheckBox*>(Control(checkBox));
    return box != nullptr && box->IsChecked();
}

int TemplateDialog::RadioIndex(int firstButton) const {
    const RadioGroup* group = FindGroup(firstButton);
    if (group == nullptr) return -1;
    for (size_t i = 0; i < group->buttons.size(); ++i) {
        if (group->buttons[i]->GetValue()) return static_cast<int>(i);
    }
    return -1;
}

int TemplateDialog::RadioCount(int firstButton) const {
    const RadioGroup* group = FindGroup(firstButton);
    return group == nullptr ? 0 : static_cast<int>(group->buttons.size());
}

void TemplateDialog::SetRadioIndex(int firstButton, int index) {
    const RadioGroup* group = FindGroup(firstButton);
    if (group == nullptr) return;
    if (index >= 0 && index < static_cast<int>(group->buttons.size())) {
        group->buttons[static_cast<std::size_t>(index)]->SetValue(true);
    } else {
        group->noneButton->SetValue(true);
    }
}

wxWindow* TemplateDialog::Control(int controlNumber) const { return FindWindow(WxIdOfControl(controlNumber)); }

wxString TemplateDialog::ControlText(int controlNumber) const {
    wxWindow* control = Control(controlNumber);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) return edit->GetValue();
    if (auto* list = dynamic_cast<wxChoice*>(control)) return list->GetStringSelection();
    return control ? control->GetLabel() : wxString();
}

std::string TemplateDialog::ControlBytes(int controlNumber) const { return ControlText(controlNumber).utf8_string(); }

void TemplateDialog::SetControlText(int controlNumber, const wxString& text) {
    wxWindow* control = Control(controlNumber);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) {
        edit->ChangeValue(text);
    } else if (auto* list = dynamic_cast<wxChoice*>(control)) {
        list->SetSelection(list->FindString(text, true));
    } else if (control != nullptr) {
        control->SetLabel(text);
    }
}

}  // namespace kelvara::app
