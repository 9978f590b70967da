#pragma once
// Builds a modal dialog from a template: one wx control per template entry,
// in template order (so tab order follows it), placed by converting dialog
// units to pixels with the dialog's own (the platform's default) font.

#include <vector>

#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include "DialogTemplate.h"

namespace kelvara::app {

// Control number 1 is wx's OK id and 2 its Cancel id, so Enter and Escape
// reach them; every other number is used as it stands.
int WxIdOfControl(int controlNumber);

class TemplateDialog : public wxDialog {
public:
    TemplateDialog(wxWindow* parent, const res::DialogTemplate& dialogTemplate);

    const res::DialogTemplate& Template() const { return template_; }

    // The control with a template number (1 and 2 included), or nullptr.
    wxWindow* Control(int controlNumber) const;
    // An edit's text, a drop-down's chosen item (empty when none is) or a
    // label. Setting a drop-down to a text it does not list chooses none.
    wxString ControlText(int controlNumber) const;
    void SetControlText(int controlNumber, const wxString& text);
    // The text as UTF-8 bytes, the form the jobs take.
    std::string ControlBytes(int controlNumber) const;
    bool IsChecked(int checkBox) const;

    // Auto radio groups, named by their first button: the index of the
    // checked button, -1 when none is.
    int RadioIndex(int firstButton) const;
    void SetRadioIndex(int firstButton, int index);
    // The buttons of the group, 0 for no group.
    int RadioCount(int firstButton) const;

    // The pixel rectangle of a template entry.
    wxRect PixelRect(const res::ControlTemplate& control) const;

private:
    struct RadioGroup {
        int firstButton;
        std::vector<wxRadioButton*> buttons;
        // Hidden member that carries "none checked": a GTK group always has
        // one button checked.
        wxRadioButton* noneButton = nullptr;
    };

    void CreateControl(const res::ControlTemplate& control);
    void CloseRadioGroup();
    void FitOneLineLabel(wxStaticText* label);
    void FitToBestHeight(wxWindow* control);
    void FitToBestWidth(wxWindow* control);
    void FocusFirstTabStop();
    const RadioGroup* FindGroup(int firstButton) const;

    const res::DialogTemplate& template_;
    std::vector<RadioGroup> radioGroups_;
    bool groupOpen_ = false;
};

}  // namespace kelvara::app
