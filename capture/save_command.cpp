// Placeholder until the save command lands.
#include "forms/frmMain.h"

void FrmMain::mnuSave_Click() {}
