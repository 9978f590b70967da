#pragma once
// The main window: fixed size at the top-left corner, caption "Kelvara",
// the Options and Help menus, the accelerator table, a dockable toolbar of
// the four job buttons and three more, and a one-pane status bar.

#include <wx/aui/aui.h>
#include <wx/docview.h>

namespace kelvara::app {

class CMainFrame : public wxDocParentFrame {
public:
    explicit CMainFrame(wxDocManager* manager);
    ~CMainFrame() override;

    // Puts the view's window in the middle of the frame.
    void AttachView(wxWindow* viewWindow);

    // False when the toolbar or the status bar could not be made.
    bool IsComplete() const { return complete_; }

    wxAuiToolBar* GetToolBarPane() const { return toolBar_; }
    wxAuiManager& GetDockManager() { return dockManager_; }

private:
    bool CreateToolBarPane();
    bool CreateStatusBarPane();
    void CreateMenus();
    void CreateAccelerators();
    void WidenToShowEveryButton();
    void OnExit(wxCommandEvent& event);
    void OnToolBarMotion(wxMouseEvent& event);
    void OnToolBarLeave(wxMouseEvent& event);
    void ShowPrompt(int command);

    wxStatusBar* statusBar_ = nullptr;
    wxAuiToolBar* toolBar_ = nullptr;
    wxAuiManager dockManager_;
    int promptCommand_ = 0;
    bool complete_ = false;
};

}  // namespace kelvara::app
