// The save command: capture into picBuffer, the overlap and off-view questions, Save As, quality
// dialog for JPEG, then the writer; every failure ends in one message.
#pragma once

#include <windows.h>

#include "capture/picture_buffer.h"
#include "capture/save_dialog.h"
#include "core/save_flow.h"

#include <string>

namespace capture {

// The Save As dialog, which tests answer in its place. Real in the product.
struct Calls {
    SaveAsChoice (*ShowSaveDialog)(HWND owner, const std::wstring& proposedName);
};
extern Calls calls;

} // namespace capture

// Writes the picture box as a file of the type: BMP here, JPEG (at bytQuality) and PNG through
// the encoder component. False when anything failed.
bool WritePicture(PictureBuffer& picBuffer, core::FileType type, const std::wstring& path);

// Runs one save command. `showQualityDialog` opens the quality dialog (modal) before a JPEG save
// unless the settings say not to.
void SaveCommand(HWND camera, PictureBuffer& picBuffer, void (*showQualityDialog)());

inline constexpr wchar_t kCannotSaveMessage[] = L"保存できません。";
inline constexpr wchar_t kOverlapMessage[] =
    L"現在保存しようとしている画像は、他のウィンドウが重なったためすべて表示されていない可能性かあります。"
    L"保存を続行しますか?";
inline constexpr wchar_t kOffViewMessage[] =
    L"保存しようとしている画像の一部が画面に表示されていません。保存を続行しますか?";
inline constexpr wchar_t kDllMessage[] = L"DLL ファイルの登録が不正です。再インストールしてください。";
inline constexpr UINT kCannotSaveFlags = MB_ICONEXCLAMATION;                                 // 48
inline constexpr UINT kOverlapFlags = MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_DEFBUTTON3; // 546, off view too
inline constexpr UINT kDllFlags = MB_ICONERROR;                                              // 16
