// Starts the real application object with its main window, then runs the
// tests inside it. Headless runs must never block: a wx assert fails the
// test, log output goes to stderr, and a modal dialog no test expects fails
// the test and is answered with Cancel.

#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "GuiTestSupport.h"

wxIMPLEMENT_APP_NO_MAIN(kelvara::app::CKelvaraApp);

namespace {

bool showDialogsForReal = false;

kelvara::testing::DrawnMessageBox ReadMessageBox(const wxGenericMessageDialog& box) {
    kelvara::testing::DrawnMessageBox drawn{.title = box.GetTitle().utf8_string(),
                                            .text = box.GetMessage().utf8_string(),
                                            .details = box.GetExtendedMessage().utf8_string(),
                                            .screenRect = box.GetScreenRect()};
    const wxRect client(box.GetClientSize());
    for (const wxWindow* child : box.GetChildren()) {
        if (!child->IsShown()) continue;
        if (const auto* picture = dynamic_cast<const wxStaticBitmap*>(child)) {
            drawn.icon = picture->GetBitmap().ConvertToImage();
        } else if (const auto* line = dynamic_cast<const wxStaticText*>(child)) {
            const wxRect rect = line->GetRect();
            drawn.lines.push_back({line->GetLabelText().utf8_string(), rect,
                                   line->GetFont().GetWeight() >= wxFONTWEIGHT_BOLD,
                                   line->GetBestSize().x <= rect.width && client.Contains(rect)});
        }
    }
    return drawn;
}

}  // namespace

std::string kelvara::testing::Squeezed(const wxString& text) {
    std::string squeezed;
    for (const char c : text.utf8_string()) {
        const bool blank = c == ' ' || c == '\n' || c == '\t';
        if (c == '\n' && !squeezed.empty() && squeezed.back() == '/') continue;  // a path wrapped between folders
        if (!blank) {
            squeezed += c;
        } else if (!squeezed.empty() && squeezed.back() != ' ') {
            squeezed += ' ';
        }
    }
    if (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
    return squeezed;
}

void kelvara::testing::PumpEvents() {
    wxEventLoopGuarantor loopWhileNoneRuns;
    // Each round also handles idle time, which deletes destroyed windows.
    for (int round = 0; round < 5; ++round) wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
}

std::vector<kelvara::testing::DrawnMessageBox> kelvara::testing::MessageBoxesShownBy(
    const std::function<void()>& action) {
    std::vector<DrawnMessageBox> boxes;
    constexpr int kTickMilliseconds = 20;
    constexpr int kTicksToGiveUp = 500;  // ten seconds for a modal dialog to come up
    int waitingTicks = 0;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(window);
            if (dialog == nullptr || !dialog->IsModal()) continue;
            if (!dialog->IsShownOnScreen() && ++waitingTicks < kTicksToGiveUp) return;
            waitingTicks = 0;
            auto* box = dynamic_cast<wxGenericMessageDialog*>(dialog);
            if (box != nullptr && box->IsShownOnScreen()) {
                boxes.push_back(ReadMessageBox(*box));
                box->EndModal(wxID_OK);
            } else {
                ADD_FAILURE() << "modal dialog \"" << dialog->GetTitle() << "\" is no message box on screen";
                dialog->EndModal(wxID_CANCEL);
            }
            return;
        }
    });
    showDialogsForReal = true;
    watch.Start(kTickMilliseconds);
    action();
    watch.Stop();
    showDialogsForReal = false;
    return boxes;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests, maybe without a display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    // Settings and range.ini stay in a scratch home.
    const kelvara::testing::TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("WINDIR", home.path().c_str(), 1);

    if (!wxEntryStart(argc, argv)) return 2;  // no display?
    wxSetAssertHandler(
        [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
            ADD_FAILURE_AT(file.utf8_str(), line) << "wx assert in " << func << ": " << cond << " " << msg;
        });
    delete wxLog::SetActiveTarget(new wxLogStderr);
    struct UnexpectedDialogHook : wxModalDialogHook {
        int Enter(wxDialog* dialog) override {
            if (showDialogsForReal) return wxID_NONE;
            ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle() << "\"";
            return wxID_CANCEL;
        }
        void Exit(wxDialog*) override {}
    } unexpectedDialogs;
    unexpectedDialogs.Register();

    int result = 1;
    if (wxTheApp->CallOnInit()) {
        kelvara::testing::PumpEvents();
        result = RUN_ALL_TESTS();
    }
    for (wxWindow* window : wxTopLevelWindows) window->Destroy();
    kelvara::testing::PumpEvents();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
