// Starts the real application object with its main window, then runs the
// tests inside it. Headless runs must never block: a wx assert fails the
// test, log output goes to stderr, and a modal dialog that no test expects
// fails the test and is answered with Cancel.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>

#include "GuiTestSupport.h"
#include "TempDir.h"

wxIMPLEMENT_APP_NO_MAIN(kelvara::app::CKelvaraApp);

namespace kelvara::testing {

bool RealDialogsAllowed();

void PumpEvents() {
    wxEventLoopGuarantor loopWhileNoneRuns;
    for (int round = 0; round < 5; ++round) {
        wxTheApp->ProcessPendingEvents();
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
    }
}

namespace {
int realDialogsAllowed = 0;
}

ScopedRealDialogs::ScopedRealDialogs() { ++realDialogsAllowed; }
ScopedRealDialogs::~ScopedRealDialogs() { --realDialogsAllowed; }
bool RealDialogsAllowed() { return realDialogsAllowed > 0; }

}  // namespace kelvara::testing

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assert in " << func.utf8_string() << ": " << cond.utf8_string()
                                          << " " << msg.utf8_string();
}

class UnexpectedDialogHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override {
        if (kelvara::testing::RealDialogsAllowed()) return wxID_NONE;
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// Settings and range.ini of the run stay in a scratch home.
void UseScratchHome(const std::filesystem::path& home) {
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    const std::filesystem::path windir = home / "windows";
    std::filesystem::create_directories(windir);
    setenv("WINDIR", windir.c_str(), 1);
}

void CloseAllWindows() {
    for (wxWindow* window : wxTopLevelWindows) window->Destroy();
    kelvara::testing::PumpEvents();
    if (wxTheApp) wxTheApp->ProcessIdle();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens at build or test-discovery time, maybe
    // without a display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    kelvara::testing::TempDir home;
    UseScratchHome(home.path());

    wxApp::SetInstance(new kelvara::app::CKelvaraApp);
    if (!wxEntryStart(argc, argv)) {
        std::cerr << "cannot start wx (no display?)\n";
        return 2;
    }
    wxSetAssertHandler(FailOnAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    UnexpectedDialogHook unexpectedDialogs;
    unexpectedDialogs.Register();

    int result = 1;
    if (wxTheApp->CallOnInit()) {
        kelvara::testing::PumpEvents();
        result = RUN_ALL_TESTS();
    } else {
        std::cerr << "Kelvara did not start\n";
    }
    CloseAllWindows();
    wxTheApp->OnExit();
    unexpectedDialogs.Unregister();
    wxEntryCleanup();
    return result;
}
