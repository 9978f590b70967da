// The program's entry point, apart from the application class so that the
// GUI tests can start the same application object.

#include "shell/Kelvara.h"

wxIMPLEMENT_APP(kelvara::app::CKelvaraApp);
