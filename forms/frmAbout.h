// The About box: logo, version line and notices; a click on the logo opens the web page.
#pragma once

#include "forms/toolkit.h"

#include <shellapi.h>

// Opens the About box modally, created anew; returns when it has been closed.
void ShowAboutBox();

// "Version: " and major.minor.revision; the build number is not shown.
std::wstring VersionLine(const tk::Version& version);

inline constexpr wchar_t kWebAddress[] = L"https://pikuto.example.org/";

// The shell call of the logo click; tests watch it instead of opening a browser. A plain function
// pointer, so tests can plug in a lambda.
struct AboutCalls {
    using ShellExecuteFn = HINSTANCE (*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    ShellExecuteFn ShellExecute = [](HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                     INT show) {
        return ::ShellExecuteW(hwnd, operation, file, parameters, directory, show);
    };
};
extern AboutCalls aboutCalls;

class FrmAbout : public tk::Form {
public:
    tk::Label* lblVer = nullptr;

    void imgLogo_Click();

protected:
    tk::FormDefinition Define() const override;
    void CreateControls() override;
    void Form_Load() override;

private:
    std::unique_ptr<tk::Picture> logo_;
};
