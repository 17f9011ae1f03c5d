// Placeholder until the quality dialog lands.
#include "forms/frmConfig.h"
#include "forms/frmMain.h"

void ShowQualityDialog() {}
void FrmMain::mnuConfig_Click() { ShowQualityDialog(); }
