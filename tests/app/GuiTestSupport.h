#pragma once
// Shared pieces of the GUI tests: the running application's main window,
// button presses, and expectations that answer the modal dialogs a command
// shows (wx's test hooks stand in for the user; an unmet expectation is a wx
// assert, which fails the test).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/config.h>
#include <wx/testing.h>

#include "ResourceIds.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/EC_Process.h"
#include "dialogs/append.h"
#include "dialogs/batch_process.h"
#include "dialogs/merge.h"
#include "dialogs/plane_fit.h"
#include "dialogs/second_file.h"
#include "dialogs/set_range.h"
#include "framework/CommandIds.h"
#include "framework/FilePrompt.h"
#include "framework/SettingsFile.h"
#include "shell/Kelvara.h"
#include "shell/MainFrm.h"
#include "dialogs/ResultsWindow.h"

namespace kelvara::testing {
using namespace kelvara::app;
using namespace kelvara::res;

inline CMainFrame* MainFrame() { return wxGetApp().MainFrame(); }

// Lets queued events run.
void PumpEvents();

// One line of a message box's text as the screen shows it.
struct DrawnLine {
    std::string text;
    wxRect rect;  // in the box's client area
    bool bold = false;
    bool whole = false;  // its text fits its control, and the control the box
};

// A message box as the screen shows it: its title, message and the details
// below it, every line of text drawn, and its icon, if any.
struct DrawnMessageBox {
    std::string title;
    std::string text;
    std::string details;
    std::vector<DrawnLine> lines;
    std::optional<wxImage> icon;
    wxRect screenRect;
};

// The words of a text however it is wrapped: every run of white space one
// blank, and a path broken after a '/' whole again.
std::string Squeezed(const wxString& text);

// Runs `action` with its modal dialogs shown for real, not answered by the
// test hooks (which answer a message box before it has made its controls).
// Each message box is read once it is on screen and closed with OK; any
// other dialog fails the test and is closed with Cancel.
std::vector<DrawnMessageBox> MessageBoxesShownBy(const std::function<void()>& action);

// Presses a button the way a click does: the event starts at the button.
inline void Press(wxWindow* window, int wxId) {
    wxCommandEvent click(wxEVT_BUTTON, wxId);
    click.SetEventObject(window->FindWindow(wxId));
    ASSERT_NE(click.GetEventObject(), nullptr) << "no control " << wxId;
    window->FindWindow(wxId)->ProcessWindowEvent(click);
}

// Takes over a modal dialog of type T: `action` works on it while its
// ShowModal() is under way and returns what ShowModal() gives back.
template <class T>
struct Drive : wxExpectModalBase<T, Drive<T>> {
    explicit Drive(std::function<int(T&)> act) : action(std::move(act)) {}
    int OnInvoked(T* dialog) const override { return action(*dialog); }
    std::function<int(T&)> action;
};

template <class T>
Drive<T> Answer(const std::string& title, int result) {
    return Drive<T>([=](T& dialog) {
        EXPECT_EQ(dialog.GetTitle().utf8_string(), title);
        return result;
    });
}

// A message box with only an OK button: its text, title, the icon it is
// asked for (MessageBoxesShownBy sees what it draws) and the details shown
// below the text. Texts compare however the box wrapped them.
inline Drive<wxGenericMessageDialog> ExpectMessage(std::string text, std::string title, bool exclamation,
                                                   std::string details = "") {
    return Drive<wxGenericMessageDialog>([=](wxGenericMessageDialog& box) {
               EXPECT_EQ(Squeezed(box.GetMessage()), text);
               EXPECT_EQ(box.GetCaption().utf8_string(), title) << text;
               EXPECT_EQ(box.GetMessageDialogStyle() & (wxOK | wxCANCEL | wxYES_NO | wxICON_MASK),
                         wxOK | (exclamation ? wxICON_EXCLAMATION : 0))
                   << text;
               EXPECT_EQ(Squeezed(box.GetExtendedMessage()), details) << text;
               return wxID_OK;
           })
        .Describe("message box \"" + text + "\"");
}

inline const auto kNoRangeFile = ExpectMessage("No range initial file!", "Range initial File Doesn't Exit!", true);

// A scratch folder per test, which also holds range.ini. The job dialogs
// remember nothing from another test.
class JobDialogs : public ::testing::Test {
protected:
    JobDialogs() { ForgetRememberedInputs(); }
    ~JobDialogs() override {
        SetFilePrompt({});
        SetFilesPrompt({});
        ForgetRememberedInputs();
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    void WriteRaw(const char* name) const { WriteFile(dir_ / name, samples::MakeRawSample({.hours = 0.6})); }
    bool HasResults(const char* file) const {
        return ReadFile(dir_ / file).find("\r\n2024-06-01 0:30,") != std::string::npos;
    }
    // Browse buttons choose `answer` and must ask, or not, to confirm
    // overwriting; one that takes several files takes it alone.
    static void AnswerFilePrompts(const std::string& answer, bool overwritePrompt) {
        SetFilePrompt([=](const FilePromptRequest& request) {
            EXPECT_EQ(request.overwritePrompt, overwritePrompt);
            return std::optional(wxString::FromUTF8(answer));
        });
        SetFilesPrompt([=](const FilePromptRequest&) { return std::vector<wxString>{wxString::FromUTF8(answer)}; });
    }
    static void ForgetRememberedInputs() {
        wxConfigBase* settings = wxConfigBase::Get(false);
        ASSERT_NE(settings, nullptr);
        settings->DeleteGroup("/EC Process");
        settings->DeleteGroup("/Batch Process");
    }
    TempDir dir_;
    ScopedEnv windir_{"WINDIR", dir_.path().c_str()};
};

}  // namespace kelvara::testing
