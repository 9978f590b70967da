// Not a check: saves pictures of the main window and of every dialog for a
// reviewer, when KELVARA_SCREENSHOT_DIR names a folder.

#include <cstdlib>
#include <functional>

#include <wx/timer.h>

#include "AboutDlg.h"
#include "EC_Process.h"
#include "GuiTestSupport.h"
#include "TempDir.h"
#include "append.h"
#include "batch_process.h"
#include "merge.h"
#include "second_file.h"
#include "set_range.h"

namespace kelvara::testing {
namespace {

using namespace kelvara::app;

void Settle() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
}

// The window's area of the screen, as the display shows it (ImageMagick's
// import reads the X display; wx's screen DC misses freshly mapped dialogs).
void SaveWindow(wxWindow& window, const wxString& file) {
    window.Raise();
    window.Refresh();
    window.Update();
    Settle();
    const wxRect rect = window.GetScreenRect();
    const wxString command = wxString::Format("import -window root -crop %dx%d+%d+%d +repage '%s'", rect.width,
                                              rect.height, rect.x, rect.y, file);
    EXPECT_EQ(std::system(command.utf8_str()), 0) << command.utf8_string();
}

// Shown modally for real, so the display's own loop draws it; a timer takes
// the picture and closes it.
template <class Dialog>
void SaveDialog(const wxString& folder, const char* name, const std::function<void(Dialog&)>& prepare = {}) {
    ScopedRealDialogs shown;
    Dialog dialog(MainFrame());
    if (prepare) prepare(dialog);
    dialog.Move(20, 150);  // clear of the main window
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        SaveWindow(dialog, folder + "/" + name + ".png");
        dialog.EndModal(wxID_CANCEL);
    });
    timer.StartOnce(700);
    dialog.wxDialog::ShowModal();
}

TEST(Screenshots, SaveMainWindowAndEveryDialog) {
    const char* folder = std::getenv("KELVARA_SCREENSHOT_DIR");
    if (folder == nullptr) GTEST_SKIP() << "KELVARA_SCREENSHOT_DIR is not set";
    const wxString out = wxString::FromUTF8(folder);

    SaveWindow(*MainFrame(), out + "/main-window.png");
    SaveDialog<CAboutDlg>(out, "about");
    SaveDialog<CECProcessDlg>(out, "ec-process", [](CECProcessDlg& d) {
        d.SetControlText(IDC_FIRST_FILE, "/data/tower/0601.dat");
        d.SetProgressRange(0, 100);
        d.SetProgressPosition(37);
        d.SetControlText(IDC_EC_PERCENT, "37%");
    });
    SaveDialog<CSecondFileDlg>(out, "no-second-file");
    SaveDialog<CBatchProcessDlg>(out, "batch", [](CBatchProcessDlg& d) {
        d.SetControlText(IDC_WAIT_NOTICE, "Please wait, it will take a long time!");
        d.SetControlText(IDC_PROGRESS_TEXT, "Processing file 2 ,record 17");
    });
    SaveDialog<CAppendDlg>(out, "append");
    SaveDialog<CMergeDlg>(out, "merge");
    TempDir windir;
    ScopedEnv env("WINDIR", windir.path().c_str());
    SaveDialog<CSetRangeDlg>(out, "range-setting", [](CSetRangeDlg& d) {
        const char* texts[] = {"-50", "50", "-50", "50", "-50", "50", "0", "1500", "-20", "100", "-50", "50", "30", "150"};
        for (int i = 0; i < 14; ++i) d.SetControlText(kRangeBoxesInFileOrder[i], texts[i]);
    });
}

}  // namespace
}  // namespace kelvara::testing
