// The quality dialog: JPEG quality 1 to 100 and whether to show the dialog before JPEG saves.
#pragma once

// Opens the quality dialog modally, created anew, centred on the camera window's monitor; returns
// when it has been closed. The one entry point for both the Settings menu item and the save command.
void ShowQualityDialog();
