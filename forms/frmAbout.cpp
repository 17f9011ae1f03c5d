// Placeholder until the About box lands.
#include "forms/frmAbout.h"
#include "forms/frmMain.h"

void ShowAboutBox() {}
void FrmMain::mnuAbout_Click() { ShowAboutBox(); }
