#pragma once
// The document of the single-document model. It holds nothing: a new
// document needs no set-up, and opening or saving one reads and writes
// nothing.

#include <wx/docview.h>

namespace kelvara::app {

class CKelvaraDoc : public wxDocument {
public:
    CKelvaraDoc() = default;

    bool OnNewDocument() override;

protected:
    // Opening only checks that the file can be opened.
    bool DoOpenDocument(const wxString& file) override;
    bool DoSaveDocument(const wxString& file) override;

private:
    wxDECLARE_DYNAMIC_CLASS(CKelvaraDoc);
};

}  // namespace kelvara::app
