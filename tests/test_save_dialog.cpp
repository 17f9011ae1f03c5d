// The Save As dialog, shown for real and driven from a helper thread as a user would work it.
#include <gtest/gtest.h>

#include "capture/save_dialog.h"
#include "driver/dialog_driver.h"
#include "test_support.h"

#include <fstream>

using namespace testing_support;
namespace drv = dialog_driver;

// The buffer holds 256 characters with the NUL: a 255-character path comes back whole, one more
// makes the dialog fail (its buffer then holds the size it needed): no path, and not a cancel.
// Names beyond MAX_PATH are left out: Wine's dialog overflows a buffer of its own on them.
TEST(SaveDialog, PathAndTypeChosenCancelAndTheQuestionBeforeReplacing) {
    // The camera window owns the dialog; any window of this thread stands for it.
    HWND camera = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 50, 22, nullptr, nullptr, nullptr,
                                  nullptr);
    TempDir dir;
    SaveAsChoice choice;
    std::wstring proposed;
    // Shows the dialog on this thread while `drive` works it from another; the path it returned.
    auto show = [&](const std::function<bool(HWND dialog)>& drive) {
        std::wstring path;
        EXPECT_TRUE(WhileModal([&] { path = (choice = ShowSaveDialog(camera, proposed)).path; },
                               [&] {
                                   HWND dialog = drv::WaitForCaption(L"Pikuto - 保存", kStepMs);
                                   return dialog && drive(dialog);
                               }));
        return path;
    };
    // The path chosen and, after a space, the type; "!" when the dialog failed.
    auto saveAs = [&](const std::wstring& name, int pick, bool overwrite = false) {
        std::wstring path = show([&](HWND) { return drv::SaveAs(name, pick, overwrite, kStepMs); });
        return path + L" " + std::to_wstring(choice.bytFilterIndex) +
               (choice.outcome == SaveAsOutcome::Failed ? L"!" : L"");
    };
    auto name = [&](size_t length) { return dir.path + std::wstring(length - dir.path.size() - 4, L'n') + L".png"; };
    EXPECT_EQ(saveAs(dir.path + L"bare", 0), dir.path + L"bare.png 2") << "a bare name gets the type's extension";
    EXPECT_EQ(saveAs(dir.path + L"bare", 1), dir.path + L"bare.jpg 1");
    EXPECT_EQ(saveAs(dir.path + L"named.jpg", 3), dir.path + L"named.jpg 3") << "a name with an extension keeps it";
    EXPECT_EQ(saveAs(name(255), 0), name(255) + L" 2");
    EXPECT_EQ(saveAs(name(256), 0), L" 2!");
    EXPECT_TRUE(dir.Files().empty()) << "the dialog only chooses; it writes nothing";

    // The proposed name fills the field: Save takes it with the type's extension, in the folder the
    // dialog opened in.
    proposed = L"pikuto_20240102_030405";
    const std::wstring accepted = show([&](HWND dialog) {
        return drv::PressButton(dialog, IDOK) && drv::Poll([&] { return !IsWindow(dialog); }, kStepMs);
    });
    EXPECT_TRUE(accepted.ends_with(L"\\" + proposed + L".png")) << accepted.c_str();

    const std::wstring old = dir.path + L"old.png";
    std::ofstream(old.c_str()) << "old";
    bool ownedAndModal = false;
    EXPECT_EQ(show([&](HWND dialog) {
                  ownedAndModal = GetWindow(dialog, GW_OWNER) == camera && !IsWindowEnabled(camera);
                  if (!drv::SetSaveName(dialog, old) || !drv::PressButton(dialog, IDOK))
                      return false;
                  // The question comes before an existing file is returned; No keeps the dialog open.
                  HWND box = drv::WaitForOwnedDialog(dialog, kStepMs);
                  return box && drv::PressButton(box, IDNO) && drv::Poll([&] { return !IsWindow(box); }, kStepMs) &&
                         IsWindow(dialog) && drv::PressButton(dialog, IDCANCEL);
              }),
              L"");
    EXPECT_TRUE(choice.bytFilterIndex == 2 && choice.outcome == SaveAsOutcome::Cancelled)
        << "PNG is preselected, and reported after a cancel too";
    EXPECT_TRUE(ownedAndModal && IsWindowEnabled(camera));
    EXPECT_EQ(saveAs(old, 0, true), old + L" 2") << "Yes to the question";
    DestroyWindow(camera);
}
