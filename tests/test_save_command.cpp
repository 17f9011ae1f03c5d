// The save command against the stand-in browser and the registered encoder component: every branch
// with the prompts answered through the seams, and once with the real prompts.
#include <gtest/gtest.h>

#include "app/modMain.h"
#include "capture/capture.h"
#include "capture/encoder_client.h"
#include "capture/save_command.h"
#include "driver/dialog_driver.h"
#include "forms/frmMain.h"
#include "test_capture_support.h"
#include "test_save_support.h"
#include "test_support.h"

#include <deque>
#include <filesystem>

using namespace capture_testing;
using namespace save_testing;
namespace drv = dialog_driver;

namespace {

// ---- The encoder component, registered for the machine as regsvr32 does it ----

std::wstring EncoderDll() {
    std::wstring path = std::filesystem::path(PIKUTO_ENCODER_DLL).make_preferred().wstring();
    wchar_t full[MAX_PATH];
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr); // a Unix path lands on Wine's Z: drive
    return full;
}

bool Regsvr32(const std::wstring& options) {
    testing_support::ChildProcess run(L"regsvr32.exe /s " + options + L" \"" + EncoderDll() + L"\"");
    DWORD code = 1;
    return run.WaitForExit(60000, &code) && code == 0;
}

// ---- What the command did, in order ----

std::vector<std::string> events;
std::deque<int> answers;                  // to the overlap question, first to last; Ignore when none left
std::function<void(int answer)> onAnswer; // runs after each answer, before the command goes on
std::wstring chosenPath;
BYTE chosenType = 2;
int qualityChosen = -1; // what the quality dialog's stand-in confirms; -1: closed without confirming

int RecordMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT flags) {
    static const struct {
        const wchar_t* text;
        UINT flags;
        const char* event;
    } known[] = {
        {L"保存できません。", 48, "cannot save"},
        {L"現在保存しようとしている画像は、他のウィンドウが重なったためすべて表示されていない可能性かあります。保存を続"
         L"行しますか?",
         546, "overlap"},
        {L"DLL ファイルの登録が不正です。再インストールしてください。", 16, "dll"},
    };
    for (const auto& box : known)
        if (std::wstring(text) == box.text && flags == box.flags && std::wstring(caption) == L"Pikuto") {
            events.push_back(box.event);
            if (box.flags != 546)
                return IDOK;
            int answer = answers.empty() ? IDIGNORE : answers.front();
            if (!answers.empty())
                answers.pop_front();
            if (onAnswer)
                onAnswer(answer);
            return answer;
        }
    events.push_back("unexpected message box");
    return IDOK;
}

class SaveCommand : public CanvasFixture {
protected:
    // Left registered afterwards: the other tests that need a state set it up themselves.
    static void SetUpTestSuite() { ASSERT_TRUE(Regsvr32(L"")); }
    void SetUp() override {
        CanvasFixture::SetUp();
        if (HasFatalFailure())
            return;
        savedCalls = tk::calls;
        savedSaveCalls = saveCalls;
        tk::calls.MessageBox = RecordMessageBox;
        // The sound is recorded by the fixture; here it is one more event in the order.
        tk::calls.PlaySound = [](LPCWSTR, HMODULE, DWORD) {
            events.push_back("sound");
            return TRUE;
        };
        saveCalls.ShowSaveDialog = [](BYTE& type) {
            events.push_back("save as");
            type = chosenType;
            return chosenPath;
        };
        saveCalls.ShowQualityDialog = [] {
            events.push_back("quality");
            if (qualityChosen >= 0)
                bytQuality = static_cast<BYTE>(qualityChosen);
        };
        events.clear();
        answers.clear();
        onAnswer = nullptr;
        qualityChosen = -1;
        bytQuality = 90;
        bytHideDialog = 0;
        strAppPath = dir.path;
        Find(L"ie-sun");
    }
    void TearDown() override {
        tk::calls = savedCalls;
        saveCalls = savedSaveCalls;
        CanvasFixture::TearDown();
    }
    // Runs the command with the Save As dialog answering `name` in the scratch folder and `type`.
    std::vector<std::string> Save(const std::wstring& name, BYTE type) {
        events.clear();
        chosenPath = name.empty() ? L"" : dir.path + name;
        chosenType = type;
        frmMain.mnuSave_Click();
        return events;
    }
    // What the encoder makes of the picture the command left in picBuffer.
    std::string Expected(BYTE type, BYTE quality = 0) {
        IPictureDisp* picture = nullptr;
        EXPECT_HRESULT_SUCCEEDED(frmMain.picBuffer.Image(&picture));
        const std::wstring path = dir.path + L"expected.tmp";
        EXPECT_HRESULT_SUCCEEDED(type == 1 ? SaveJpegThroughEncoder(picture, path, quality)
                                           : SavePngThroughEncoder(picture, path));
        picture->Release();
        std::string bytes = ReadBytes(path);
        DeleteFileW(path.c_str());
        return bytes;
    }
    std::string File(const std::wstring& name) { return ReadBytes(dir.path + name); }
    void CoverCanvas() {
        RECT canvas = WindowRect(hwndCanvas);
        ASSERT_TRUE(b.Send(L"window W " + std::to_wstring(canvas.left + 100) + L" " +
                           std::to_wstring(canvas.top + 100) + L" 200 150"));
    }

    TempDir dir;
    tk::Calls savedCalls;
    SaveCalls savedSaveCalls;
};

using Events = std::vector<std::string>;

// "" when the file is a Windows bitmap of the stand-in's canvas, else what is wrong with it.
std::string BmpMismatches(const std::wstring& path) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth != kCanvasWidth ||
        info.bmHeight != kCanvasHeight) {
        DeleteObject(bitmap);
        return "not a 710 x 380 Windows bitmap";
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::string result = Mismatches(ReadPixels(dc), 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return result;
}

} // namespace

TEST_F(SaveCommand, ModeNoSaysCannotSaveAndNothingElse) {
    strMode = L"NO";
    EXPECT_EQ(Save(L"x.png", 2), (Events{"cannot save"}));
    EXPECT_TRUE(dir.Files().empty());
}

TEST_F(SaveCommand, OverlapAbortRetryIgnore) {
    CoverCanvas();
    answers = {IDABORT};
    EXPECT_EQ(Save(L"a.png", 2), (Events{"sound", "overlap"}));

    answers = {IDRETRY, IDRETRY, IDIGNORE};
    EXPECT_EQ(Save(L"b.png", 2), (Events{"sound", "overlap", "sound", "overlap", "sound", "overlap", "save as"}));
    EXPECT_TRUE(File(L"b.png") == Expected(2)) << "the covered picture is saved as usual";

    // The window goes away while the question is open: the retry captures a clear canvas and asks no more.
    answers = {IDRETRY};
    onAnswer = [&](int) { b.Send(L"destroy W"); };
    EXPECT_EQ(Save(L"c.png", 2), (Events{"sound", "overlap", "sound", "save as"}));
    EXPECT_TRUE(File(L"c.png") == Expected(2));
    EXPECT_EQ(dir.Files().size(), 2u) << "nothing saved after Abort";
}

TEST_F(SaveCommand, CancelSavesNothingAndAsksNoQuality) {
    EXPECT_EQ(Save(L"", 1), (Events{"sound", "save as"}));
    EXPECT_TRUE(dir.Files().empty());
}

TEST_F(SaveCommand, PngAndBmpHoldTheCanvas) {
    EXPECT_EQ(Save(L"canvas.png", 2), (Events{"sound", "save as"}));
    EXPECT_EQ(Mismatches(ReadPixels(frmMain.picBuffer.hDC()), 0, 0), "") << "picBuffer keeps the capture";
    EXPECT_TRUE(File(L"canvas.png") == Expected(2));
    // The type decides the format, never the name's extension; no extension is added.
    EXPECT_EQ(Save(L"canvas.jpg", 3), (Events{"sound", "save as"}));
    EXPECT_EQ(BmpMismatches(dir.path + L"canvas.jpg"), "");
    EXPECT_EQ(dir.Files().size(), 2u);
}

TEST_F(SaveCommand, JpegUsesTheQualityConfirmedOrTheStoredOne) {
    qualityChosen = 37;
    EXPECT_EQ(Save(L"asked.jpg", 1), (Events{"sound", "save as", "quality"}));
    EXPECT_TRUE(File(L"asked.jpg") == Expected(1, 37));

    qualityChosen = -1; // closed without confirming: the save goes on with the quality as it was
    bytQuality = 60;
    EXPECT_EQ(Save(L"closed.jpg", 1), (Events{"sound", "save as", "quality"}));
    EXPECT_TRUE(File(L"closed.jpg") == Expected(1, 60));

    bytHideDialog = 1;
    bytQuality = 80;
    EXPECT_EQ(Save(L"hidden.jpg", 1), (Events{"sound", "save as"}));
    EXPECT_TRUE(File(L"hidden.jpg") == Expected(1, 80));
    EXPECT_NE(Expected(1, 80).size(), Expected(1, 60).size()) << "the quality shows in the file";
}

TEST_F(SaveCommand, WithoutTheComponentOnlyBmpIsSaved) {
    ASSERT_TRUE(Regsvr32(L"/u"));
    EXPECT_EQ(Save(L"x.jpg", 1), (Events{"sound", "save as", "quality", "dll"}));
    EXPECT_EQ(Save(L"x.png", 2), (Events{"sound", "save as", "dll"}));
    EXPECT_EQ(Save(L"x.bmp", 3), (Events{"sound", "save as"}));
    ASSERT_TRUE(Regsvr32(L""));
    EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"x.bmp"});
    EXPECT_EQ(BmpMismatches(dir.path + L"x.bmp"), "");
}

// The folder went away after the dialog chose it (the tests run as root, for whom no folder is
// read-only): every type fails with the one message.
TEST_F(SaveCommand, UnwritableFolderGivesTheDllMessageForEveryType) {
    for (BYTE type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        bytHideDialog = 1;
        EXPECT_EQ(Save(L"gone\\x.img", type), (Events{"sound", "save as", "dll"}));
    }
    EXPECT_TRUE(dir.Files().empty());
}

// A file that cannot be replaced (here: open in another program without sharing) stays as it was,
// byte for byte, and no partial file is left beside it.
TEST_F(SaveCommand, FailedOverwriteKeepsTheOldFile) {
    bytHideDialog = 1;
    const std::string old(5000, 'o');
    const std::wstring path = dir.path + L"old.img";
    ASSERT_TRUE(WriteBytes(path, old));
    for (BYTE type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Save(L"old.img", type), (Events{"sound", "save as", "dll"}));
        CloseHandle(held);
        EXPECT_TRUE(File(L"old.img") == old);
        EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"old.img"});
    }
}

// The real message boxes, Save As dialog and quality dialog, worked as a user does.
TEST_F(SaveCommand, RealPrompts) {
    tk::calls.MessageBox = savedCalls.MessageBox;
    saveCalls = savedSaveCalls;
    const DWORD self = GetCurrentProcessId();
    auto box = [&](const wchar_t* text, int button) {
        HWND found = drv::WaitForCaption(L"Pikuto", kStepMs, self);
        return found && drv::MessageBoxText(found) == text && drv::PressButton(found, button) && WaitGone(found);
    };

    strMode = L"NO";
    EXPECT_TRUE(WhileModal([&] { frmMain.mnuSave_Click(); }, [&] { return box(L"保存できません。", IDOK); }));
    Find(L"ie-sun");

    // Covered, Ignore, JPEG at a name typed without extension, the quality lowered by three and confirmed.
    CoverCanvas();
    bytQuality = 90;
    const wchar_t* overlap =
        L"現在保存しようとしている画像は、他のウィンドウが重なったためすべて表示されていない可能性かあり"
        L"ます。保存を続行しますか?";
    EXPECT_TRUE(WhileModal([&] { frmMain.mnuSave_Click(); },
                           [&] {
                               if (!box(overlap, IDIGNORE) || !drv::SaveAs(dir.path + L"real", 1, false, kStepMs, self))
                                   return false;
                               HWND quality = drv::WaitForCaption(L"Pikuto - JPEG 形式の圧縮率指定", kStepMs, self);
                               HWND bar = GetDlgItem(quality, FrmConfig::hscQualityId);
                               for (int i = 0; i < 3; ++i)
                                   PostMessageW(bar, WM_KEYDOWN, VK_LEFT, 0);
                               return quality && drv::PressButton(quality, IDOK) && WaitGone(quality);
                           }));
    EXPECT_EQ(bytQuality, 87);
    EXPECT_TRUE(File(L"real.jpg") == Expected(1, 87));

    // Alt+F4 on the quality dialog: the JPEG is saved all the same, with the quality as it was.
    b.Send(L"destroy W");
    EXPECT_TRUE(WhileModal([&] { frmMain.mnuSave_Click(); },
                           [&] {
                               if (!drv::SaveAs(dir.path + L"altf4.jpg", 1, false, kStepMs, self))
                                   return false;
                               HWND quality = drv::WaitForCaption(L"Pikuto - JPEG 形式の圧縮率指定", kStepMs, self);
                               return quality && drv::PressAltF4(quality) && WaitGone(quality);
                           }));
    EXPECT_TRUE(File(L"altf4.jpg") == Expected(1, 87));
}

// The real program beside the stand-in browser, worked from outside by the driver as the demo does:
// a click on the camera and the Save As dialog save the canvas of another process, pixel for pixel.
TEST(Program, ClickAndSaveAsWriteTheCanvasOfAnotherProcess) {
    using testing_support::BuildFile;
    TempDir dir;
    testing_support::ChildProcess pikuto(L"\"" + BuildFile(L"Pikuto.exe") + L"\"");
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return testing_support::FindProcessWindow(pikuto.Id(), L"Pikuto.Camera") != nullptr; }));
    // The browser comes to the front after the program, as the user brings it: the camera docks.
    StandinBrowser browser(L"\"build A ie-sun\" \"raise A\"");
    ASSERT_TRUE(browser.Started());
    auto driver = [](const std::wstring& arguments) {
        testing_support::ChildProcess run(L"\"" + BuildFile(L"PikutoDriver.exe") + L"\" " + arguments);
        DWORD code = 99;
        return run.WaitForExit(30000, &code) ? code : 99;
    };
    HWND camera = nullptr;
    ASSERT_TRUE(testing_support::WaitUntil([&] {
        camera = testing_support::FindProcessWindow(pikuto.Id(), L"Pikuto.Camera");
        return camera && IsWindowVisible(camera) && WindowRect(camera).left != 0;
    })) << "the camera never docked below the stand-in's canvas";

    const std::wstring path = dir.path + L"canvas.bmp";
    EXPECT_EQ(driver(L"click"), 0u);
    EXPECT_EQ(driver(L"saveas \"" + path + L"\" bmp"), 0u);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !ReadBytes(path).empty(); }, kStepMs));
    EXPECT_EQ(BmpMismatches(path), "");
    EXPECT_EQ(driver(L"menu exit"), 0u);
    EXPECT_TRUE(pikuto.WaitForExit(10000));
}
