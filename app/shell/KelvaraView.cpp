#include "shell/KelvaraView.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/window.h>

#include "dialogs/EC_Process.h"
#include "dialogs/append.h"
#include "dialogs/batch_process.h"
#include "dialogs/plane_fit.h"
#include "framework/FilePrompt.h"
#include "io/FileNames.h"
#include "dialogs/ResultsWindow.h"
#include "dialogs/input_columns.h"
#include "dialogs/set_range.h"
#include "dialogs/site_instruments.h"
#include "framework/CommandIds.h"
#include "shell/KelvaraDoc.h"
#include "shell/MainFrm.h"

namespace kelvara::app {

// The view's window. It can take the focus, which the frame's accelerators
// need on GTK for keys that no menu label shows (Ctrl+X, Ctrl+M). The frame
// owns it; whichever of the two goes first lets the other know.
class ViewCanvas : public wxWindow {
public:
    ViewCanvas(CKelvaraView* view, wxWindow* parent) : wxWindow(parent, wxID_ANY), view_(view) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, &ViewCanvas::OnPaint, this);
    }
    ~ViewCanvas() override {
        if (view_ != nullptr) view_->ForgetCanvas();
    }
    bool AcceptsFocus() const override { return true; }
    void DetachView() { view_ = nullptr; }

private:
    void OnPaint(wxPaintEvent&) {
        wxPaintDC dc(this);
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
        if (view_ != nullptr) view_->OnDraw(&dc);
    }
    CKelvaraView* view_;
};

namespace {

// Runs a job dialog modally; its result is ignored and it is gone afterwards.
template <typename Dialog>
void RunDialog(wxWindow* parent) {
    Dialog dialog(parent);
    dialog.ShowModal();
}

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CKelvaraView, wxView);

wxBEGIN_EVENT_TABLE(CKelvaraView, wxView)
    EVT_MENU(ToWxId(res::ID_EC_DATA_PROCESS), CKelvaraView::OnECDataProcess)
    EVT_MENU(ToWxId(res::ID_RANGE_SETTING), CKelvaraView::OnRangeSetting)
    EVT_MENU(ToWxId(res::ID_DATA_APPEND), CKelvaraView::OnDataAppend)
    EVT_MENU(ToWxId(res::ID_BATCH_PROCESS), CKelvaraView::OnBatchProcess)
    EVT_MENU(ToWxId(res::ID_PLANE_FIT), CKelvaraView::OnPlaneFit)
    EVT_MENU(ToWxId(res::ID_VIEW_RESULTS), CKelvaraView::OnViewResults)
    EVT_MENU(ToWxId(res::ID_INPUT_COLUMNS), CKelvaraView::OnInputColumns)
    EVT_MENU(ToWxId(res::ID_SITE_INSTRUMENTS), CKelvaraView::OnSiteInstruments)
    EVT_UPDATE_UI(ToWxId(res::ID_EC_DATA_PROCESS), CKelvaraView::OnUpdateECDataProcess)
wxEND_EVENT_TABLE()

bool CKelvaraView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* frame = dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow());
    if (frame == nullptr) return false;
    SetFrame(frame);
    canvas_ = new ViewCanvas(this, frame);
    frame->AttachView(canvas_);
    Activate(true);
    return true;
}

CKelvaraView::~CKelvaraView() {
    if (canvas_ != nullptr) canvas_->DetachView();
}

wxWindow* CKelvaraView::Canvas() const { return canvas_; }

bool CKelvaraView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    return true;
}

void CKelvaraView::OnDraw(wxDC*) { wxASSERT(GetDocument() != nullptr); }

CKelvaraDoc* CKelvaraView::GetDocument() const {
    auto* doc = dynamic_cast<CKelvaraDoc*>(wxView::GetDocument());
    wxASSERT_MSG(doc != nullptr || wxView::GetDocument() == nullptr, "the view's document is not a CKelvaraDoc");
    return doc;
}

void CKelvaraView::OnECDataProcess(wxCommandEvent&) { RunDialog<CECProcessDlg>(GetFrame()); }
void CKelvaraView::OnRangeSetting(wxCommandEvent&) { RunDialog<CSetRangeDlg>(GetFrame()); }
void CKelvaraView::OnDataAppend(wxCommandEvent&) { RunDialog<CAppendDlg>(GetFrame()); }
void CKelvaraView::OnBatchProcess(wxCommandEvent&) { RunDialog<CBatchProcessDlg>(GetFrame()); }
void CKelvaraView::OnPlaneFit(wxCommandEvent&) { RunDialog<CPlaneFitDlg>(GetFrame()); }

void CKelvaraView::OnViewResults(wxCommandEvent&) {
    const auto file = PromptForFile({.parent = GetFrame(),
                                     .wildcard = "Results files (*.r1w;*.rfw;*.s1w;*.sfw;*.flux.csv)|"
                                                 "*.r1w;*.rfw;*.s1w;*.sfw;*.flux.csv|"
                                                 "All files|*"});
    if (file) ResultsWindow::Open(GetFrame(), kelvara::PathFromText(file->utf8_string()));
}
void CKelvaraView::OnInputColumns(wxCommandEvent&) { RunDialog<CInputColumnsDlg>(GetFrame()); }
void CKelvaraView::OnSiteInstruments(wxCommandEvent&) { RunDialog<CSiteInstrumentsDlg>(GetFrame()); }

// Keeps the command enabled and changes nothing else.
void CKelvaraView::OnUpdateECDataProcess(wxUpdateUIEvent& event) { event.Enable(true); }

}  // namespace kelvara::app
