// File-manager context-menu entries and the external image editor.
#include "app/Frmmainmodule.h"

// Desktop integration arrives with its own change.
void TfrmMain::ReadShellRegistration() {}
void TfrmMain::btShellRegisterClick() {}
void TfrmMain::txExternalEditorExit() {}
void TfrmMain::btExternalEditorClick() {}
void TfrmMain::lvFilesDblClick() {}
