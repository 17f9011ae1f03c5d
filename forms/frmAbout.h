// The About box.
#pragma once

// Opens the About box modally, created anew; returns when it has been closed.
void ShowAboutBox();
