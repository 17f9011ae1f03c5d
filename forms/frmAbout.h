// The About box: logo, version line and notices; a click on the logo opens the web page.
#pragma once

// Opens the About box modally, created anew, centred on the camera window's monitor; returns when it
// has been closed.
void ShowAboutBox();

inline constexpr wchar_t kWebAddress[] = L"https://pikuto.example.org/";
