// The main window: its geometry, menus, accelerators and toolbar, and that
// every way of giving a command opens the right dialog (or none).

#include <chrono>
#include <thread>

#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include "AboutDlg.h"
#include "CommandIds.h"
#include "EC_Process.h"
#include "GuiTestSupport.h"
#include "KelvaraView.h"
#include "ProgramRun.h"
#include "TempDir.h"
#include "append.h"
#include "batch_process.h"
#include "set_range.h"

namespace kelvara::testing {
namespace {

using namespace kelvara::app;

// Sends the key to the focused view window the way a user types it, and
// waits until the program has dealt with it.
void TypeCtrl(char key) {
    MainFrame()->Raise();
    CKelvaraView* view = dynamic_cast<CKelvaraView*>(wxGetApp().DocManager()->GetAnyUsableView());
    ASSERT_NE(view, nullptr);
    view->Canvas()->SetFocus();
    PumpEvents();
    wxUIActionSimulator keyboard;
    keyboard.MouseMove(view->Canvas()->GetScreenRect().GetPosition() + wxPoint(2, 2));
    keyboard.Char(key, wxMOD_CONTROL);
    for (int i = 0; i < 20; ++i) {
        PumpEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void PressToolbarButton(int command) {
    wxAuiToolBar* toolbar = MainFrame()->GetToolBarPane();
    wxCommandEvent click(wxEVT_TOOL, ToWxId(command));
    click.SetEventObject(toolbar);
    toolbar->ProcessWindowEvent(click);
}

void ChooseMenuItem(int command) {
    wxMenuItem* item = MainFrame()->GetMenuBar()->FindItem(ToWxId(command));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(MainFrame()->ProcessCommand(ToWxId(command)));
}

TEST(MainWindow, FixedAtTheTopLeftWithCaptionKelvara) {
    CMainFrame* frame = MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetTitle(), "Kelvara");
    EXPECT_EQ(frame->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(frame->GetSize(), wxSize(427, 130));
    EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(frame->HasFlag(wxMINIMIZE_BOX));
    EXPECT_FALSE(frame->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_TRUE(frame->HasFlag(wxSYSTEM_MENU));
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 1);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Ready");
    EXPECT_EQ(wxGetApp().DocManager()->GetFileHistory()->GetMaxFiles(), 4u);
    EXPECT_NE(SettingsFilePath().Find("Local AppWizard-Generated Applications"), wxNOT_FOUND);
}

TEST(MainWindow, MenusHoldExactlyOptionsAndHelp) {
    wxMenuBar* bar = MainFrame()->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 2u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&Options");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Help");
    std::vector<wxString> options;
    for (wxMenuItem* item : bar->GetMenu(0)->GetMenuItems()) {
        options.push_back(item->IsSeparator() ? wxString("-") : item->GetItemLabel());
    }
    EXPECT_EQ(options, (std::vector<wxString>{"&EC Data Process\tCtrl+E", "&Range Setting\tCtrl+R", "-",
                                              "Data &Append\tCtrl+A", "-", "&Batch Process\tCtrl+B", "-",
                                              "E&xit"}));
    EXPECT_EQ(bar->GetMenu(1)->GetMenuItems()[0]->GetItemLabel(), "&About Kelvara...");
    EXPECT_EQ(bar->FindItem(wxID_EXIT), nullptr) << "a stock Exit would bring Ctrl+Q";
    EXPECT_EQ(bar->FindItem(ToWxId(ID_RANGE_SETTING))->GetHelp(), "Set EC Data Variables Range");
}

TEST(MainWindow, ToolbarHasFourButtonsWithTipsAndPrompts) {
    wxAuiToolBar* toolbar = MainFrame()->GetToolBarPane();
    ASSERT_EQ(toolbar->GetToolCount(), 7u);
    const int order[] = {ID_EC_DATA_PROCESS, 0, ID_RANGE_SETTING, 0, ID_DATA_APPEND, 0, ID_BATCH_PROCESS};
    for (size_t i = 0; i < 7; ++i) {
        wxAuiToolBarItem* item = toolbar->FindToolByIndex(static_cast<int>(i));
        if (order[i] == 0) {
            EXPECT_EQ(item->GetKind(), wxITEM_SEPARATOR);
        } else {
            EXPECT_EQ(item->GetId(), ToWxId(order[i]));
            EXPECT_EQ(item->GetBitmapBundle().GetDefaultSize(), wxSize(90, 61));
        }
    }
    EXPECT_EQ(toolbar->GetToolShortHelp(ToWxId(ID_RANGE_SETTING)), "Set Variables Range");
    EXPECT_TRUE(MainFrame()->GetDockManager().GetPane(toolbar).IsTopDockable());
    EXPECT_TRUE(MainFrame()->GetDockManager().GetPane(toolbar).IsLeftDockable());

    // Hovering over button 2 shows its prompt; leaving brings back "Ready".
    const wxRect rect = toolbar->GetToolRect(ToWxId(ID_RANGE_SETTING));
    wxMouseEvent move(wxEVT_MOTION);
    move.SetPosition(rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2));
    move.SetEventObject(toolbar);
    toolbar->ProcessWindowEvent(move);
    EXPECT_EQ(MainFrame()->GetStatusBar()->GetStatusText(), "Set EC Data Variables Range");
    wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
    leave.SetEventObject(toolbar);
    toolbar->ProcessWindowEvent(leave);
    EXPECT_EQ(MainFrame()->GetStatusBar()->GetStatusText(), "Ready");
}

struct JobCommand {
    int command;
    char key;
    const char* title;
};

template <class Dialog>
void ExpectEveryWayOpens(const JobCommand& job) {
    SCOPED_TRACE(job.title);
    wxTEST_DIALOG(ChooseMenuItem(job.command), Answer<Dialog>(job.title, wxID_CANCEL));
    wxTEST_DIALOG(TypeCtrl(job.key), Answer<Dialog>(job.title, wxID_CANCEL));
    wxTEST_DIALOG(PressToolbarButton(job.command), Answer<Dialog>(job.title, wxID_CANCEL));
}

TEST(Commands, MenuAcceleratorAndToolbarOpenTheSameDialog) {
    TempDir empty;  // no range.ini: the Range Setting dialog reports it first
    ScopedEnv windir("WINDIR", empty.path().c_str());
    ExpectEveryWayOpens<CECProcessDlg>({ID_EC_DATA_PROCESS, 'E', "EC Process"});
    ExpectEveryWayOpens<CAppendDlg>({ID_DATA_APPEND, 'A', "Append Files"});
    ExpectEveryWayOpens<CBatchProcessDlg>({ID_BATCH_PROCESS, 'B', "Batch File Processor"});

    const JobCommand range{ID_RANGE_SETTING, 'R', "Range Setting"};
    const auto noFile = [] { return ExpectMessage("No range initial file!", "Range initial File Doesn't Exit!", true); };
    wxTEST_DIALOG(ChooseMenuItem(range.command), noFile(), Answer<CSetRangeDlg>(range.title, wxID_CANCEL));
    wxTEST_DIALOG(TypeCtrl(range.key), noFile(), Answer<CSetRangeDlg>(range.title, wxID_CANCEL));
    wxTEST_DIALOG(PressToolbarButton(range.command), noFile(), Answer<CSetRangeDlg>(range.title, wxID_CANCEL));
}

TEST(Commands, AboutBoxShowsVersionAndNotice) {
    wxTEST_DIALOG(ChooseMenuItem(ID_APP_ABOUT), Drive<CAboutDlg>([](CAboutDlg& about) {
                      EXPECT_EQ(about.GetTitle(), "About Kelvara");
                      std::vector<wxString> texts;
                      for (wxWindow* child : about.GetChildren()) texts.push_back(child->GetLabel());
                      EXPECT_NE(std::find(texts.begin(), texts.end(), "Kelvara Version 1.0"), texts.end());
                      EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                              [](const wxString& t) { return t.Freq('\n') == 2; }),
                                1);
                      return wxID_OK;
                  }));
}

TEST(Commands, CtrlMOpensNothingAndNoCtrlQ) {
    const size_t windowsBefore = wxTopLevelWindows.size();
    // Any dialog would fail the test through the unexpected-dialog hook.
    TypeCtrl('M');
    TypeCtrl('Q');
    EXPECT_EQ(wxTopLevelWindows.size(), windowsBefore);
    EXPECT_NE(MainFrame(), nullptr);
    EXPECT_FALSE(MainFrame()->IsBeingDeleted());
}

TEST(Commands, CtrlXExitsWithoutAQuestion) {
    TypeCtrl('X');  // a question would be an unexpected modal dialog
    PumpEvents();
    EXPECT_TRUE(wxTopLevelWindows.empty()) << "the main window is still there";
    // Later tests in this process need a main window again.
    wxTheApp->SetExitOnFrameDelete(true);
    ASSERT_TRUE(wxGetApp().StartUp(wxString()));
    PumpEvents();
}

TEST(CommandLine, AFileThatCannotBeOpenedEndsTheProgramAtStartUp) {
    TempDir dir;
    const ProgramRun run = RunProgram(KELVARA_APP_PATH, {(dir / "missing.dat").string()}, dir.path());
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE(run.err.find("missing.dat"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

}  // namespace
}  // namespace kelvara::testing
