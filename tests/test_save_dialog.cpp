// The Save As dialog, shown for real and driven from a helper thread as a user would work it.
#include <gtest/gtest.h>

#include "capture/save_dialog.h"
#include "driver/dialog_driver.h"
#include "forms/frmMain.h"
#include "test_save_support.h"

using namespace save_testing;
namespace drv = dialog_driver;

namespace {

class SaveDialog : public ::testing::Test {
protected:
    void SetUp() override {
        quitWhenCameraWindowCloses = false;
        ASSERT_TRUE(frmMain.Load());
    }
    void TearDown() override { DestroyWindow(frmMain.hWnd()); }

    // Shows the dialog on this thread while `drive` works it from another.
    std::wstring Show(const std::function<bool(HWND dialog)>& drive) {
        type = 0;
        std::wstring path;
        EXPECT_TRUE(WhileModal([&] { path = ShowSaveDialog(type); },
                               [&] {
                                   HWND dialog = drv::WaitForCaption(L"Pikuto - 保存", kStepMs, GetCurrentProcessId());
                                   return dialog && drive(dialog);
                               }));
        return path;
    }
    // Types `name`, picks `pick` (0 keeps PNG) and presses Save, agreeing to replace a file when asked.
    std::wstring SaveAs(const std::wstring& name, int pick = 0, bool overwrite = false) {
        type = 0;
        std::wstring path;
        EXPECT_TRUE(WhileModal([&] { path = ShowSaveDialog(type); },
                               [&] { return drv::SaveAs(name, pick, overwrite, kStepMs, GetCurrentProcessId()); }));
        return path;
    }
    TempDir dir;
    BYTE type = 0;
};

} // namespace

TEST_F(SaveDialog, OwnedByTheCameraWindowAndCancelGivesNoPath) {
    bool owned = false, cameraDisabled = false;
    std::wstring path = Show([&](HWND dialog) {
        owned = GetWindow(dialog, GW_OWNER) == frmMain.hWnd();
        cameraDisabled = !IsWindowEnabled(frmMain.hWnd());
        return drv::SetSaveName(dialog, dir.path + L"never") && drv::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(path, L"");
    EXPECT_EQ(type, 2) << "PNG is preselected and reported after a cancel too";
    EXPECT_TRUE(owned);
    EXPECT_TRUE(cameraDisabled);
    EXPECT_TRUE(IsWindowEnabled(frmMain.hWnd()));
    EXPECT_TRUE(dir.Files().empty());
}

TEST_F(SaveDialog, ReturnsThePathAndTheTypeChosen) {
    EXPECT_EQ(SaveAs(dir.path + L"bare"), dir.path + L"bare.png") << "a bare name gets the selected type's extension";
    EXPECT_EQ(type, 2);
    EXPECT_EQ(SaveAs(dir.path + L"bare", 1), dir.path + L"bare.jpg");
    EXPECT_EQ(type, 1);
    EXPECT_EQ(SaveAs(dir.path + L"named.jpg", 3), dir.path + L"named.jpg") << "a name with an extension keeps it";
    EXPECT_EQ(type, 3);
    EXPECT_TRUE(dir.Files().empty()) << "the dialog only chooses; it writes nothing";
}

TEST_F(SaveDialog, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
    const std::wstring existing = dir.path + L"old.png";
    WriteBytes(existing, "old");
    std::wstring question;
    std::wstring path = Show([&](HWND dialog) {
        if (!drv::SetSaveName(dialog, existing) || !drv::PressButton(dialog, IDOK))
            return false;
        HWND box = drv::WaitForOwnedDialog(dialog, kStepMs);
        question = box ? drv::MessageBoxText(box) : L"";
        // No: the dialog stays open for another name.
        if (!box || !drv::PressButton(box, IDNO) || !WaitGone(box) || !IsWindow(dialog))
            return false;
        return drv::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(path, L"");
    EXPECT_FALSE(question.empty()) << "the dialog asks before it returns an existing file";
    EXPECT_EQ(SaveAs(existing, 0, true), existing);
    EXPECT_EQ(ReadBytes(existing), "old") << "the dialog itself never writes";
}

// The buffer holds 256 characters with the terminating NUL: a 255-character path comes back whole,
// one more makes the dialog fail (its buffer then holds the size it needed), and then there is no
// path at all. Names beyond MAX_PATH are left out: Wine's dialog overflows a buffer of its own on
// them and the process dies, whatever the caller's buffer.
TEST_F(SaveDialog, NameAtTheBufferLimit) {
    auto nameOfLength = [&](size_t length) {
        return dir.path + std::wstring(length - dir.path.size() - 4, L'n') + L".png";
    };
    EXPECT_EQ(SaveAs(nameOfLength(255)), nameOfLength(255));
    EXPECT_EQ(SaveAs(nameOfLength(256)), L"");
}
