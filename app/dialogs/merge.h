#pragma once
// "Merge Files": the layout of a side-by-side merge that the program does not
// perform. Browse buttons do nothing; Do Merge (1) takes the separators and
// ends the dialog, Close (2) ends it.

#include "framework/TemplateDialog.h"

namespace kelvara::app {

class CMergeDlg : public TemplateDialog {
public:
    explicit CMergeDlg(wxWindow* parent);

    // 0 = Tab, 1 = Comma, 2 = Space, -1 = none checked.
    int FirstSeparator() const { return firstSeparator_; }
    int SecondSeparator() const { return secondSeparator_; }

private:
    void OnDoMerge(wxCommandEvent& event);

    int firstSeparator_ = -1;
    int secondSeparator_ = -1;
};

}  // namespace kelvara::app
