// kelvara-screenshots OUTDIR: starts the desktop program's application
// object on the current X display and saves a PNG of the main window, of
// every dialog and of both kinds of message box into OUTDIR, for a reviewer
// to look at. Not a check: it never answers a dialog the way a user would.

#include <cstdio>
#include <filesystem>
#include <functional>

#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/timer.h>

#include "ResourceIds.h"
#include "ScreenCapture.h"
#include "SampleGenerator.h"
#include "TiltedSonic.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/EC_Process.h"
#include "dialogs/append.h"
#include "dialogs/batch_process.h"
#include "dialogs/input_columns.h"
#include "dialogs/merge.h"
#include "dialogs/plane_fit.h"
#include "dialogs/second_file.h"
#include "dialogs/set_range.h"
#include "framework/MessageBox.h"
#include "jobs/JobMessages.h"
#include "framework/InputColumnsSettings.h"
#include "shell/Kelvara.h"
#include "shell/MainFrm.h"
#include "dialogs/ResultsWindow.h"
#include "jobs/RunJob.h"

wxIMPLEMENT_APP_NO_MAIN(kelvara::app::CKelvaraApp);

namespace {

using namespace kelvara::app;

// Lets the toolkit map and paint what was just shown.
void LetItDraw() {
    wxEventLoopGuarantor loopWhileNoneRuns;
    for (int round = 0; round < 20; ++round) {
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(10);
    }
}

bool SaveWindow(wxWindow& window, const wxString& file) {
    window.Raise();
    LetItDraw();
    const std::optional<wxImage> picture = kelvara::screenshots::CaptureScreen(window.GetScreenRect());
    if (!picture || !picture->SaveFile(file, wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "kelvara-screenshots: cannot save %s\n", static_cast<const char*>(file.utf8_str()));
        return false;
    }
    return true;
}

template <class Dialog>
bool SaveDialog(const wxString& file, const std::function<void(Dialog&)>& fill = {}) {
    Dialog dialog(wxGetApp().MainFrame());
    dialog.Move(20, 150);  // clear of the main window
    dialog.Show();
    if (fill) fill(dialog);
    return SaveWindow(dialog, file);
}

// The results window on a day of synthetic data with a gap.
bool SaveResultsWindow(const wxString& file) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto raw = folder / "kelvara-screenshot-day.dat";
    kelvara::SilentPort port;
    const bool made =
        kelvara::samples::WriteRawSample(raw, {.seed = 4, .hours = 24, .spikeRate = 1e-3, .gapRate = 0}) &&
        kelvara::RunJob().Run({.files = {raw.string()}, .outputFile = (folder / "day").string()}, port);
    std::filesystem::remove(raw);
    if (!made) return false;
    ResultsWindow* window = ResultsWindow::Open(wxGetApp().MainFrame(), folder / "day.r1w");
    std::filesystem::remove(folder / "day.r1w");
    if (window == nullptr) return false;
    window->SetSize(1000, 760);
    const bool saved = SaveWindow(*window, file);
    window->Destroy();
    return saved;
}

// The planar-fit dialog after a fit over the test bed's tilted sonic.
void FitTiltedSonic(CPlaneFitDlg& dialog) {
    const std::filesystem::path raw = std::filesystem::temp_directory_path() / "kelvara-screenshot-tilted.dat";
    if (!kelvara::samples::WriteTiltedSonicSample(raw, {})) return;
    dialog.SetRadioIndex(kelvara::res::IDC_PF_FROM_LIST, 1);
    dialog.SetControlText(kelvara::res::IDC_PF_INPUT, wxString::FromUTF8(raw.string()));
    dialog.SetControlText(kelvara::res::IDC_PF_MIN_RECORDS, "1000");
    wxCommandEvent fit(wxEVT_BUTTON, wxID_OK);
    fit.SetEventObject(dialog.FindWindow(wxID_OK));
    dialog.FindWindow(wxID_OK)->ProcessWindowEvent(fit);
    std::filesystem::remove(raw);
}

// The planar-fit dialog after a fit it refuses: the reason, wrapped.
void FitTooShortARecord(CPlaneFitDlg& dialog) {
    const std::filesystem::path raw = std::filesystem::temp_directory_path() / "kelvara-screenshot-short.dat";
    if (!kelvara::samples::WriteRawSample(raw, {.seed = 3, .hours = 2})) return;
    dialog.SetRadioIndex(kelvara::res::IDC_PF_FROM_LIST, 1);
    dialog.SetControlText(kelvara::res::IDC_PF_INPUT, wxString::FromUTF8(raw.string()));
    wxCommandEvent fit(wxEVT_BUTTON, wxID_OK);
    fit.SetEventObject(dialog.FindWindow(wxID_OK));
    dialog.FindWindow(wxID_OK)->ProcessWindowEvent(fit);
    std::filesystem::remove(raw);
}

// A message box is modal: it is saved from a timer while `show` waits in
// its ShowModal, then closed.
bool SaveMessageBox(const std::function<void()>& show, const wxString& file) {
    bool saved = false;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* box = dynamic_cast<wxGenericMessageDialog*>(window);
            if (box == nullptr || !box->IsModal() || !box->IsShownOnScreen()) continue;
            watch.Stop();
            saved = SaveWindow(*box, file);
            box->EndModal(wxID_OK);
            return;
        }
    });
    watch.Start(50);
    show();
    return saved;
}

// The job dialogs with their note, under a stored column map (the settings
// live in the run's scratch home).
bool SaveWithColumnMap(const wxString& folder) {
    kelvara::InputFormat format;
    std::string problem;
    kelvara::ParseColumns("U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic", format, problem);
    kelvara::StatusRule::Parse("0", format.goodStatus, problem);
    StoreInputFormat(format);
    const bool saved = SaveDialog<CInputColumnsDlg>(folder + "input-columns-map.png") &&
                       SaveDialog<CECProcessDlg>(folder + "ec-process-columns.png") &&
                       SaveDialog<CBatchProcessDlg>(folder + "batch-columns.png");
    StoreInputFormat(kelvara::InputFormat{});
    return saved;
}

bool SaveEveryWindow(const wxString& folder) {
    CMainFrame& frame = *wxGetApp().MainFrame();
    const kelvara::JobMessage& warning = kelvara::messages::single_run::kNoFirstFile;
    const kelvara::JobMessage& finished = kelvara::messages::kFinished;
    const bool results[] = {
        SaveWindow(frame, folder + "main-window.png"),
        SaveDialog<CAboutDlg>(folder + "about.png"),
        SaveDialog<CECProcessDlg>(folder + "ec-process.png"),
        SaveDialog<CSecondFileDlg>(folder + "no-second-file.png"),
        SaveDialog<CBatchProcessDlg>(folder + "batch.png"),
        SaveDialog<CAppendDlg>(folder + "append.png"),
        SaveDialog<CMergeDlg>(folder + "merge.png"),
        SaveDialog<CSetRangeDlg>(folder + "range-setting.png"),
        SaveDialog<CPlaneFitDlg>(folder + "planar-fit.png"),
        SaveDialog<CPlaneFitDlg>(folder + "planar-fit-result.png", FitTiltedSonic),
        SaveDialog<CPlaneFitDlg>(folder + "planar-fit-refused.png", FitTooShortARecord),
        SaveResultsWindow(folder + "results-window.png"),
        SaveDialog<CInputColumnsDlg>(folder + "input-columns.png"),
        SaveWithColumnMap(folder),
        SaveMessageBox([&] { ShowMessageBox(&frame, warning); }, folder + "message-exclamation.png"),
        SaveMessageBox([&] { ShowMessageBox(&frame, finished); }, folder + "message-finished.png"),
    };
    for (bool saved : results) {
        if (!saved) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: kelvara-screenshots OUTDIR\n", stderr);
        return 2;
    }
    const wxString folder = wxString::FromUTF8(argv[1]) + "/";
    int wxArgc = 1;  // the program starts with an empty document, as with no file named
    if (!wxEntryStart(wxArgc, argv)) {
        std::fputs("kelvara-screenshots: cannot start the toolkit (no display?)\n", stderr);
        return 1;
    }
    // Never block on a question: asserts and log messages go to stderr.
    wxSetAssertHandler(
        [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
            std::fprintf(stderr, "%s:%d: wx assert in %s: %s %s\n", static_cast<const char*>(file.utf8_str()), line,
                         static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
                         static_cast<const char*>(msg.utf8_str()));
        });
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    int status = 1;
    if (wxTheApp->CallOnInit()) {
        status = SaveEveryWindow(folder) ? 0 : 1;
        for (wxWindow* window : wxTopLevelWindows) window->Destroy();
        LetItDraw();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return status;
}
