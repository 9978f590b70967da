// Not a check: saves pictures of the main window and of every dialog for a
// reviewer when KELVARA_SCREENSHOT_DIR names a folder (scripts/screenshots.sh).

#include <cstdlib>

#include "GuiTestSupport.h"

namespace kelvara::testing {
namespace {

// The window's area as the display shows it: ImageMagick's import reads the
// X display, where wx's screen DC misses freshly mapped dialogs.
void SaveWindow(wxWindow& window, const wxString& file) {
    window.Raise();
    for (int i = 0; i < 20; ++i, wxMilliSleep(10)) wxTheApp->Yield(true);
    const wxRect r = window.GetScreenRect();
    const wxString command =
        wxString::Format("import -window root -crop %dx%d+%d+%d +repage '%s'", r.width, r.height, r.x, r.y, file);
    EXPECT_EQ(std::system(command.utf8_str()), 0) << command;
}

template <class Dialog>
void SaveDialog(const wxString& file) {
    Dialog dialog(MainFrame());
    dialog.Move(20, 150);  // clear of the main window
    dialog.Show();
    SaveWindow(dialog, file);
}

TEST(Screenshots, SaveMainWindowAndEveryDialog) {
    const char* folder = std::getenv("KELVARA_SCREENSHOT_DIR");
    if (folder == nullptr) GTEST_SKIP() << "KELVARA_SCREENSHOT_DIR is not set";
    const wxString out = wxString::FromUTF8(folder) + "/";
    SaveWindow(*MainFrame(), out + "main-window.png");
    SaveDialog<CAboutDlg>(out + "about.png");
    SaveDialog<CECProcessDlg>(out + "ec-process.png");
    SaveDialog<CSecondFileDlg>(out + "no-second-file.png");
    SaveDialog<CBatchProcessDlg>(out + "batch.png");
    SaveDialog<CAppendDlg>(out + "append.png");
    SaveDialog<CMergeDlg>(out + "merge.png");
    SaveDialog<CSetRangeDlg>(out + "range-setting.png");
}

}  // namespace
}  // namespace kelvara::testing
