// The save command against the stand-in browser and the registered encoder component: every branch
// with the prompts answered through the seams, and once with the real question box; and the real
// Save As dialog, driven from a helper thread as a user would work it.
#include "capture/encoder_client.h"
#include "capture/save_command.h"
#include "capture/save_dialog.h"
#include "core/save_flow.h"
#include "driver/dialog_driver.h"
#include "test_capture_support.h"

#include <algorithm>
#include <fstream>
#include <tuple>

using namespace testing_support;
namespace drv = dialog_driver;

namespace {

// The messages word for word, with their flags and the event each one records.
const std::tuple<UINT, std::wstring, std::string> kMessages[] = {
    {48, L"保存できません。", "cannot save"},
    {546,
     L"現在保存しようとしている画像は、他のウィンドウが重なったためすべて表示されていない可能性かあります。"
     L"保存を続行しますか?",
     "overlap"},
    {546, L"保存しようとしている画像の一部が画面に表示されていません。保存を続行しますか?", "off view"},
    {16, L"DLL ファイルの登録が不正です。再インストールしてください。", "dll"}};

std::wstring FreshNameNow() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return core::FreshFileName({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

// How many pixels of the bitmap file differ from the stand-in's canvas; -1 when there is no bitmap.
int BmpMismatches(const std::wstring& path) {
    win32::GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    win32::MemoryDc dc(CreateCompatibleDC(nullptr));
    SelectObject(dc.get(), bitmap.get());
    return bitmap ? Mismatches(dc.get(), 0, 0) : -1;
}

// What the seams answer: to the questions, and from the Save As dialog; the name it was offered.
std::function<int()> answer;
SaveAsChoice chosen;
std::wstring proposedSeen;
HWND ownerSeen;

class SaveCommand : public CanvasFixture {
protected:
    // Left registered afterwards: a test that needs it gone registers it again.
    static void SetUpTestSuite() { ASSERT_TRUE(Regsvr32(L"", L"" PIKUTO_ENCODER_DLL)); }
    void SetUp() override {
        CanvasFixture::SetUp();
        win32::calls.MessageBox = [](HWND, LPCWSTR text, LPCWSTR caption, UINT flags) -> int {
            auto known = std::find_if(std::begin(kMessages), std::end(kMessages),
                                      [&](auto& m) { return std::get<0>(m) == flags && std::get<1>(m) == text; });
            const bool exact = known != std::end(kMessages) && caption == std::wstring(L"Pikuto");
            events.push_back(exact ? std::get<2>(*known) : "unexpected message box");
            return flags == 546 ? answer() : IDOK;
        };
        capture::calls.ShowSaveDialog = [](HWND owner, const std::wstring& proposed) {
            events.push_back(owner == ownerSeen ? "save as" : "save as, wrong owner");
            proposedSeen = proposed;
            return chosen;
        };
        ownerSeen = camera;
        answer = [] { return IDIGNORE; };
        bytHideDialog = 0;
        Find(L"ie-sun");
    }
    // Runs the command with the Save As dialog answering `name` in the scratch folder and `type`.
    Events Save(const std::wstring& name, BYTE type, SaveAsOutcome outcome = SaveAsOutcome::Chosen) {
        events.clear();
        chosen = {name.empty() ? SaveAsOutcome::Cancelled : outcome, name.empty() ? L"" : dir.path + name, type};
        ::SaveCommand(camera, picBuffer, [] { events.push_back("quality"), bytQuality = 60; });
        return events;
    }
    // Whether the file holds what the encoder makes of the picture the command left in picBuffer.
    bool Holds(const std::wstring& name, BYTE type, BYTE quality = 0) {
        TempDir expected;
        IPictureDisp* picture = nullptr;
        EXPECT_HRESULT_SUCCEEDED(picBuffer.Image(&picture));
        EXPECT_HRESULT_SUCCEEDED(type == 1 ? SaveJpegThroughEncoder(picture, expected.path + L"x", quality)
                                           : SavePngThroughEncoder(picture, expected.path + L"x"));
        picture->Release();
        return ReadBytes(expected.path + L"x") == ReadBytes(dir.path + name);
    }
    void TearDown() override {
        capture::calls = saveCalls;
        CanvasFixture::TearDown();
    }
    TempDir dir;
    PictureBuffer picBuffer{kCanvasWidth, kCanvasHeight, RGB(255, 255, 255)};
    capture::Calls saveCalls = capture::calls;
};

} // namespace

// The order of the steps is tested natively; here the steps themselves: the three writers, the
// settings read, the canvas captured again after Retry.
TEST_F(SaveCommand, WritesEachTypeAsChosenAndCapturesAgainOnRetry) {
    // The type decides the format, never the name's extension; no extension is added.
    EXPECT_EQ(Save(L"canvas.jpg", 3), (Events{"sound", "save as"}));
    EXPECT_EQ(BmpMismatches(dir.path + L"canvas.jpg"), 0);
    bytQuality = 99; // the quality dialog (its stand-in) sets 60, which the JPEG must then have
    EXPECT_EQ(Save(L"asked.jpg", 1), (Events{"sound", "save as", "quality"}));
    EXPECT_TRUE(Holds(L"asked.jpg", 1, 60));
    bytHideDialog = 2; // any nonzero value, as a hand-edited file may hold
    bytQuality = 80;
    EXPECT_EQ(Save(L"hidden.png", 2), (Events{"sound", "save as"}));
    EXPECT_TRUE(Holds(L"hidden.png", 2));
    EXPECT_EQ(Save(L"hidden.jpg", 1), (Events{"sound", "save as"}));
    EXPECT_TRUE(Holds(L"hidden.jpg", 1, 80));
    // The window over the canvas goes away while the question is open, and the question box (a
    // window of ours) closes over a browser too busy to paint at once: the retry captures the
    // canvas, and asks no more. (Under Wine the canvas shows again at once, without the browser
    // painting it, so the wait for its painting is not seen here.)
    const RECT r = WindowRect(hwndCanvas);
    ASSERT_TRUE(Window(r));
    answer = [&] {
        if (!b.Send(L"destroy W"))
            return IDABORT;
        WaitForCanvasOnScreen();
        HWND box = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, r.left,
                                   r.top, 300, 100, nullptr, nullptr, nullptr, nullptr);
        win32::WindowDc screen(nullptr);
        const bool shown =
            WaitUntil([&] { return GetRValue(GetPixel(screen.get(), r.left + 9, r.top + 9)) % 255 != 0; });
        const bool busy = b.Send(L"hang 250"); // answered, then the stand-in sleeps
        DestroyWindow(box);
        return shown && busy ? IDRETRY : IDABORT;
    };
    EXPECT_EQ(Save(L"c.bmp", 3), (Events{"sound", "overlap", "sound", "save as"}));
    EXPECT_EQ(BmpMismatches(dir.path + L"c.bmp"), 0);
    // The name offered is pikuto_ and the local time of the click; a dialog that failed saves nothing.
    const std::wstring before = FreshNameNow();
    EXPECT_EQ(Save(L"long.png", 2, SaveAsOutcome::Failed), (Events{"sound", "save as", "cannot save"}));
    EXPECT_TRUE(proposedSeen == before || proposedSeen == FreshNameNow()) << proposedSeen.c_str();
    // Part of the canvas scrolled out of the page: its own question.
    ASSERT_TRUE(b.Send(L"move A.control 20 300"));
    answer = [] { return IDABORT; };
    EXPECT_EQ(Save(L"off.png", 2), (Events{"sound", "off view"}));
    strMode = L"NO";
    EXPECT_EQ(Save(L"x.png", 2), (Events{"cannot save"}));
    EXPECT_EQ(dir.Files().size(), 5u);
}

// Every failure ends in the one message: the component not registered (JPEG after the quality
// dialog, PNG; BMP needs no component), a folder gone after the dialog chose it (the tests run as
// root, for whom no folder is read-only), or a file that cannot be replaced (open elsewhere without
// sharing), which stays byte for byte with no partial file left beside it.
TEST_F(SaveCommand, FailuresGiveTheDllMessage) {
    ASSERT_TRUE(Regsvr32(L"/u", L"" PIKUTO_ENCODER_DLL));
    EXPECT_EQ(Save(L"x.jpg", 1), (Events{"sound", "save as", "quality", "dll"}));
    EXPECT_EQ(Save(L"x.png", 2), (Events{"sound", "save as", "dll"}));
    EXPECT_EQ(Save(L"x.bmp", 3), (Events{"sound", "save as"}));
    ASSERT_TRUE(Regsvr32(L"", L"" PIKUTO_ENCODER_DLL));

    bytHideDialog = 1;
    const std::string old(5000, 'o');
    std::ofstream((dir.path + L"x.bmp").c_str(), std::ios::binary) << old;
    for (BYTE type : {1, 2, 3}) {
        EXPECT_EQ(Save(L"gone\\x.bmp", type), (Events{"sound", "save as", "dll"})) << type;
        HANDLE held = CreateFileW((dir.path + L"x.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(Save(L"x.bmp", type), (Events{"sound", "save as", "dll"})) << type;
        CloseHandle(held);
        EXPECT_TRUE(ReadBytes(dir.path + L"x.bmp") == old);
        EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"x.bmp"});
    }
}

// The real question box over a covered canvas, its text and caption read off the screen: Abort
// ends the command with nothing saved.
TEST_F(SaveCommand, RealQuestionBox) {
    win32::calls.MessageBox = saved.MessageBox;
    ASSERT_TRUE(Window(WindowRect(hwndCanvas)));
    const auto abort = [] {
        HWND box = drv::WaitForCaption(L"Pikuto", kStepMs);
        return box && drv::MessageBoxText(box) == std::get<1>(kMessages[1]) && drv::PressButton(box, IDABORT);
    };
    EXPECT_TRUE(WhileModal([&] { Save(L"x.png", 2); }, abort));
    EXPECT_TRUE(events == Events{"sound"} && dir.Files().empty());
}

// The buffer holds 256 characters with the NUL: a 255-character path comes back whole, one more
// makes the dialog fail (its buffer then holds the size it needed): no path, and not a cancel.
// Names beyond MAX_PATH are left out: Wine's dialog overflows a buffer of its own on them.
TEST_F(SaveCommand, SaveAsDialogPathAndTypeChosenCancelAndTheQuestionBeforeReplacing) {
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
}
