// The quality dialog.
#pragma once

// Opens the quality dialog modally, created anew; returns when it has been closed.
void ShowQualityDialog();
