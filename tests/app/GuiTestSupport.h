#pragma once
// Shared pieces of the GUI tests: the running application and its main
// window, button presses, and expectations for the modal dialogs a command
// shows (wx's test hooks answer them instead of a user).

#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>

// A hook failure fails the test (rather than opening an assert dialog).
#include <wx/testing.h>
class FailingModalHook : public wxTestingModalHook {
public:
    FailingModalHook(const char* file, int line, const char* func) : wxTestingModalHook(file, line, func) {}

protected:
    void ReportFailure(const wxString& message) override { ADD_FAILURE() << message.utf8_string(); }
};
#undef wxTEST_DIALOG_HOOK_CLASS
#define wxTEST_DIALOG_HOOK_CLASS FailingModalHook

#include "Kelvara.h"
#include "MainFrm.h"

namespace kelvara::testing {

inline app::CMainFrame* MainFrame() { return wxGetApp().MainFrame(); }

// Presses a button the way a click does: the event starts at the button and
// travels up to its dialog.
inline void Press(wxWindow* window, int wxId) {
    wxWindow* button = window->FindWindow(wxId);
    ASSERT_NE(button, nullptr) << "no control " << wxId;
    wxCommandEvent event(wxEVT_BUTTON, wxId);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

// Lets queued events run.
void PumpEvents();

// While one exists, modal dialogs that no expectation takes are shown for
// real instead of failing the test (for tests that press keys in them).
class ScopedRealDialogs {
public:
    ScopedRealDialogs();
    ~ScopedRealDialogs();
    ScopedRealDialogs(const ScopedRealDialogs&) = delete;
    ScopedRealDialogs& operator=(const ScopedRealDialogs&) = delete;
};

// Takes over a modal dialog of type T: `action` works on it while its
// ShowModal() is under way and returns what ShowModal() gives back.
template <class T>
class Drive : public wxExpectModalBase<T, Drive<T>> {
public:
    explicit Drive(std::function<int(T&)> action) : action_(std::move(action)) {}

protected:
    int OnInvoked(T* dialog) const override { return action_(*dialog); }

private:
    std::function<int(T&)> action_;
};

// Answers a dialog of type T with `result`, after checking its title.
template <class T>
Drive<T> Answer(std::string title, int result) {
    return Drive<T>([title, result](T& dialog) {
        EXPECT_EQ(dialog.GetTitle().utf8_string(), title);
        return result;
    });
}

// A message box with an OK button: its text, title and icon.
class ExpectMessage : public wxExpectModalBase<wxGenericMessageDialog, ExpectMessage> {
public:
    ExpectMessage(std::string text, std::string title, bool exclamation)
        : text_(std::move(text)), title_(std::move(title)), exclamation_(exclamation) {}

protected:
    int OnInvoked(wxGenericMessageDialog* dialog) const override {
        EXPECT_EQ(dialog->GetMessage().utf8_string(), text_);
        EXPECT_EQ(dialog->GetCaption().utf8_string(), title_);
        const long style = dialog->GetMessageDialogStyle();
        EXPECT_TRUE(style & wxOK);
        EXPECT_FALSE(style & (wxCANCEL | wxYES_NO));
        if (exclamation_) {
            EXPECT_EQ(style & (wxICON_MASK | wxICON_NONE), wxICON_EXCLAMATION) << text_;
        } else {
            EXPECT_EQ(style & (wxICON_MASK | wxICON_NONE), wxICON_NONE) << text_;
        }
        return wxID_OK;
    }
    wxString GetDefaultDescription() const override {
        return wxString::FromUTF8("message box \"" + text_ + "\"");
    }

private:
    std::string text_;
    std::string title_;
    bool exclamation_;
};

}  // namespace kelvara::testing
