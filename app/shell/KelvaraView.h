#pragma once
// The view: a window that draws nothing and takes the four job commands,
// each of which opens its dialog modally.

#include <wx/docview.h>

namespace kelvara::app {

class CKelvaraDoc;
class ViewCanvas;

class CKelvaraView : public wxView {
public:
    CKelvaraView() = default;
    ~CKelvaraView() override;

    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC* dc) override;
    // The caption stays "Kelvara": the document's name is never shown.
    void OnChangeFilename() override {}

    CKelvaraDoc* GetDocument() const;
    wxWindow* Canvas() const;
    // Called by the view's window when it is destroyed first.
    void ForgetCanvas() { canvas_ = nullptr; }

private:
    void OnECDataProcess(wxCommandEvent& event);
    void OnRangeSetting(wxCommandEvent& event);
    void OnDataAppend(wxCommandEvent& event);
    void OnBatchProcess(wxCommandEvent& event);
    void OnPlaneFit(wxCommandEvent& event);
    void OnViewResults(wxCommandEvent& event);
    void OnInputColumns(wxCommandEvent& event);
    void OnSiteInstruments(wxCommandEvent& event);
    void OnUpdateECDataProcess(wxUpdateUIEvent& event);

    ViewCanvas* canvas_ = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CKelvaraView);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace kelvara::app
