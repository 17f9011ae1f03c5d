// The shared state, owned here.
#include "state/shared_state.h"

std::wstring strMode;
HWND hwndCanvas = nullptr;
HWND hwndBrowser = nullptr;
HWND hwndChatLog = nullptr;
int32_t intLineCount = 0;
int32_t intLastLineCount = 0;
RECT rctLast = {};
RECT rctCanvas = {};
BYTE bytQuality = 0;
BYTE bytHideDialog = 0;
std::wstring strAppPath;
std::vector<BYTE> bytShutter;

std::wstring WithTrailingBackslash(const std::wstring& directory) {
    if (!directory.empty() && directory.back() == L'\\')
        return directory;
    return directory + L'\\';
}
