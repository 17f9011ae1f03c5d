// The save command's prompts that tests steer; the command itself is FrmMain::mnuSave_Click.
#pragma once

#include "capture/save_dialog.h"
#include "forms/frmConfig.h"

struct SaveCalls {
    std::wstring (*ShowSaveDialog)(BYTE& bytFilterIndex) = ::ShowSaveDialog;
    void (*ShowQualityDialog)() = ::ShowQualityDialog;
};
extern SaveCalls saveCalls;

inline constexpr wchar_t kCannotSaveMessage[] = L"保存できません。";
inline constexpr wchar_t kOverlapMessage[] =
    L"現在保存しようとしている画像は、他のウィンドウが重なったためすべて表示されていない可能性かあります。"
    L"保存を続行しますか?";
inline constexpr wchar_t kDllMessage[] = L"DLL ファイルの登録が不正です。再インストールしてください。";
inline constexpr UINT kCannotSaveFlags = MB_ICONEXCLAMATION;                        // 48
inline constexpr UINT kOverlapFlags = MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_DEFBUTTON3; // 546
inline constexpr UINT kDllFlags = MB_ICONERROR;                                     // 16
