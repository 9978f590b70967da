#pragma once
// "Merge Files": the layout of a side-by-side merge that the program does not
// perform. Browse buttons do nothing; Do Merge (1) takes the separators and
// ends the dialog, Close (2) ends it.

#include "framework/TemplateDialog.h"

namespace kelvara::app {

enum MergeControl {
    IDC_MERGE_FIRST_FILE = 1014,
    IDC_MERGE_SECOND_FILE = 1016,
    IDC_MERGE_OUTPUT = 1018,
    IDC_MERGE_FIRST_HEAD = 1020,
    IDC_FIRST_TAB = 1021,
    IDC_MERGE_SECOND_HEAD = 1024,
    IDC_SECOND_TAB = 1025,
};

class CMergeDlg : public TemplateDialog {
public:
    explicit CMergeDlg(wxWindow* parent);

    // 0 = Tab, 1 = Comma, 2 = Space, -1 = none checked.
    int FirstSeparator() const { return m_nFirstSeparator; }
    int SecondSeparator() const { return m_nSecondSeparator; }

private:
    void OnDoMerge(wxCommandEvent& event);

    int m_nFirstSeparator = -1;
    int m_nSecondSeparator = -1;
};

}  // namespace kelvara::app
