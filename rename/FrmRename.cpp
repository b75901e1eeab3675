// The rename tab: live preview, preview with collision check, and apply.
#include "app/Frmmainmodule.h"

// The rename tab's behaviour arrives with its own change.
void TfrmMain::RenameFolder(const std::string&, bool, bool, bool, bool, int) {}
bool TfrmMain::MarkDuplicates() { return true; }
void TfrmMain::UpdateLivePreview() {}
void TfrmMain::btPreviewClick(QObject*) {}
void TfrmMain::cbFormatChange() {}
bool TfrmMain::cbFormatKeyPress(const QString& typed) { return typed == ";"; }
void TfrmMain::cbFormatClick() {}
void TfrmMain::chkRemoveAccentClick() {}
void TfrmMain::chkRemoveSpaceClick() {}
