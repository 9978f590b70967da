#include "shell/MainFrm.h"

#include <vector>

#include <wx/accel.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include "MainResources.h"
#include "framework/Artwork.h"
#include "framework/CommandIds.h"

namespace kelvara::app {

namespace {

constexpr long kFrameStyle = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;  // no sizing, no min/max
const wxPoint kFramePosition(0, 0);
const wxSize kFrameSize(427, 130);

wxString Text(const char* text) { return wxString::FromUTF8(text); }

}  // namespace

CMainFrame::CMainFrame(wxDocManager* manager)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, Text(res::kAppTitle), kFramePosition, kFrameSize, kFrameStyle) {
    SetIcons(LoadIcons(res::IDR_MAINFRAME));
    CreateMenus();
    CreateAccelerators();
    dockManager_.SetManagedWindow(this);
    complete_ = true;
    if (!CreateToolBarPane()) {
        wxLogDebug("Failed to create toolbar");
        complete_ = false;
    } else if (!CreateStatusBarPane()) {
        wxLogDebug("Failed to create status bar");
        complete_ = false;
    }
    dockManager_.Update();
    if (complete_) WidenToShowEveryButton();
    Bind(wxEVT_MENU, &CMainFrame::OnExit, this, ToWxId(res::ID_APP_EXIT));
}

// The frame keeps its height and its place; it grows wider only as far as
// the docked toolbar needs to show its last button whole.
void CMainFrame::WidenToShowEveryButton() {
    const int missing = toolBar_->GetBestSize().x - toolBar_->GetSize().x;
    if (missing <= 0) return;
    SetSize(GetSize().x + missing, GetSize().y);
    dockManager_.Update();
}

CMainFrame::~CMainFrame() { dockManager_.UnInit(); }

void CMainFrame::CreateMenus() {
    auto* menuBar = new wxMenuBar;
    for (const res::PopupResource& popup : res::kMainMenu) {
        auto* menu = new wxMenu;
        for (const res::MenuItemResource& item : popup.items) {
            if (item.command == 0) {
                menu->AppendSeparator();
                continue;
            }
            const res::PromptResource* prompt = res::FindPrompt(item.command);
            menu->Append(ToWxId(item.command), Text(item.label), prompt ? Text(prompt->prompt) : wxString());
        }
        menuBar->Append(menu, Text(popup.label));
    }
    SetMenuBar(menuBar);
}

void CMainFrame::CreateAccelerators() {
    std::vector<wxAcceleratorEntry> entries;
    for (const res::AcceleratorResource& accelerator : res::kMainAccelerators) {
        entries.emplace_back(wxACCEL_CTRL, accelerator.key, ToWxId(accelerator.command));
    }
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(entries.size()), entries.data()));
}

// A flat bar at the top with a gripper, tooltips and status-bar prompts; it
// can be dragged to any side of the frame or float.
bool CMainFrame::CreateToolBarPane() {
    toolBar_ = new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                wxAUI_TB_GRIPPER | wxAUI_TB_PLAIN_BACKGROUND);
    const wxSize buttonSize(res::kToolbarButtonWidth, res::kToolbarButtonHeight);
    toolBar_->SetToolBitmapSize(buttonSize);
    toolBar_->SetToolPacking(0);
    toolBar_->SetToolBorderPadding(1);
    for (const res::ToolbarButtonResource& button : res::kMainToolbar) {
        if (button.command == 0) {
            toolBar_->AddSeparator();
            continue;
        }
        const res::PromptResource* prompt = res::FindPrompt(button.command);
        toolBar_->AddTool(ToWxId(button.command), wxString(), DrawToolbarButton(button.lettering, buttonSize),
                          wxNullBitmap, wxITEM_NORMAL, Text(prompt->tooltip), Text(prompt->prompt), nullptr);
    }
    if (!toolBar_->Realize()) return false;
    toolBar_->Bind(wxEVT_MOTION, &CMainFrame::OnToolBarMotion, this);
    toolBar_->Bind(wxEVT_LEAVE_WINDOW, &CMainFrame::OnToolBarLeave, this);
    return dockManager_.AddPane(toolBar_, wxAuiPaneInfo()
                                              .Name("toolbar")
                                              .Caption(Text(res::kAppTitle))
                                              .ToolbarPane()
                                              .Top()
                                              .Dockable(true)
                                              .Floatable(true));
}

bool CMainFrame::CreateStatusBarPane() {
    statusBar_ = CreateStatusBar(1);
    if (statusBar_ == nullptr) return false;
    SetStatusText(Text(res::kIdleStatusText));
    return true;
}

void CMainFrame::AttachView(wxWindow* viewWindow) {
    dockManager_.AddPane(viewWindow, wxAuiPaneInfo().Name("view").CenterPane().PaneBorder(false));
    dockManager_.Update();
    viewWindow->SetFocus();
}

void CMainFrame::OnExit(wxCommandEvent&) { Close(); }

void CMainFrame::ShowPrompt(int command) {
    if (command == promptCommand_) return;
    promptCommand_ = command;
    const res::PromptResource* prompt = command != 0 ? res::FindPrompt(command) : nullptr;
    SetStatusText(Text(prompt ? prompt->prompt : res::kIdleStatusText));
}

void CMainFrame::OnToolBarMotion(wxMouseEvent& event) {
    wxAuiToolBarItem* item = toolBar_->FindToolByPosition(event.GetX(), event.GetY());
    const bool isButton = item != nullptr && item->GetKind() == wxITEM_NORMAL && item->GetId() > 0;
    ShowPrompt(isButton ? FromWxId(item->GetId()) : 0);
    event.Skip();
}

void CMainFrame::OnToolBarLeave(wxMouseEvent& event) {
    ShowPrompt(0);
    event.Skip();
}

}  // namespace kelvara::app
