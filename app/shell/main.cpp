// The program's entry point, apart from the application class so that the
// GUI tests can start the same application object.

#include <iostream>

#include <wx/init.h>

#include "shell/CommandLine.h"
#include "shell/Kelvara.h"

#ifdef __WXMSW__
// A Windows GUI program has no console to answer --help in.
wxIMPLEMENT_APP(kelvara::app::CKelvaraApp);
#else
wxIMPLEMENT_APP_NO_MAIN(kelvara::app::CKelvaraApp);

int main(int argc, char** argv) {
    if (const std::optional<int> status = kelvara::app::AnswerInfoOption(argc, argv, std::cout)) return *status;
    return wxEntry(argc, argv);
}
#endif
