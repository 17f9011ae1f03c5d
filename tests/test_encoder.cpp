// The image encoder component through COM and the program's client, its unloading, and the
// atomic file writer both binaries use. The codecs' pixels are tested natively.
#include "capture/bmp_writer.h"
#include "capture/encoder_client.h"
#include "encoder/encoder_object.h"
#include "test_support.h"
#include "win32/atomic_file.h"
#include "win32/calls.h"
#include "win32/encoder_ids.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <algorithm>
#include <memory>

using namespace testing_support;
using core::Pixels;

namespace {

template <typename T> using Com = std::unique_ptr<T, decltype([](IUnknown* object) { object->Release(); })>;

// Pictures of a known number of colours; more than 256 gives a smooth gradient.
Pixels Pattern(int colours, int w = 710, int h = 380) {
    Pixels p{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.bgrx.push_back(colours > 256 ? unsigned(x * 255 / w << 16 | y * 255 / h << 8 | ((x + y) & 255))
                                           : unsigned((x / 3 * 7 + y * 13 + x * y % 5) % colours) * 0x9E3779B1u >> 8);
    return p;
}

// A picture object owning its bitmap, as the program's picture box hands it over.
Com<IPictureDisp> MakePicture(const Pixels& pixels) {
    PICTDESC desc{sizeof desc, PICTYPE_BITMAP, {}};
    desc.bmp.hbitmap = CreateBitmap(pixels.width, pixels.height, 1, 32, pixels.bgrx.data());
    IPictureDisp* picture = nullptr;
    OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture));
    return Com<IPictureDisp>(picture);
}

// A variant holding one pointer (or nothing).
VARIANT Var(VARTYPE type, void* pointer) {
    VARIANT v{}; // VT_EMPTY
    v.vt = type;
    v.byref = pointer;
    return v;
}

// A late-bound call by name; args in automation order (last argument first), the first `count` of
// them passed (all by default).
HRESULT Call(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, WORD flags = DISPATCH_METHOD,
             size_t count = SIZE_MAX) {
    DISPID id = DISPID_UNKNOWN, put = DISPID_PROPERTYPUT;
    auto* names = const_cast<LPOLESTR>(name);
    DISPPARAMS params{args.data(), &put, UINT(std::min(count, args.size())), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, 0, &id);
    return FAILED(hr) ? hr : object->Invoke(id, IID_NULL, 0, flags, &params, nullptr, nullptr, nullptr);
}

// Seam for the writer: a folder that takes no temporary file (full), files that take no data (a
// full disk); records the temporary file's name.
bool refuseNewFiles, writesFail;
std::wstring newFile;

HANDLE CreateSeam(LPCWSTR name, DWORD access, DWORD share, DWORD disposition) {
    if (disposition == CREATE_NEW)
        newFile = name;
    if (disposition == CREATE_NEW && refuseNewFiles && std::wstring_view(name).ends_with(L".tmp")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, writesFail ? GENERIC_READ : access, share, nullptr, disposition, 0, nullptr);
}

} // namespace

// The component's objects built into this test, so its writes go through the writer's seam here.
void ModuleAddRef() {}
void ModuleRelease() {}

namespace {

class EncoderTest : public ::testing::Test {
protected:
    // Registered for the machine, the way the program finds the component.
    static void SetUpTestSuite() { ASSERT_TRUE(Regsvr32(L"", L"" PIKUTO_ENCODER_DLL)); }
    void TearDown() override { win32::calls = {}; }
    TempDir dir;
};

// The quality goes through the client to the JPEG, clamped into 1..100 (the pixels reaching the
// codecs whole is checked on the installed program's files).
TEST_F(EncoderTest, QualityReachesTheJpegClamped) {
    auto jpeg = [&, picture = MakePicture(Pattern(1000))](BYTE quality) {
        EXPECT_HRESULT_SUCCEEDED(SaveJpegThroughEncoder(picture.get(), dir.path + L"q.jpg", quality));
        return ReadBytes(dir.path + L"q.jpg");
    };
    const std::string q100 = jpeg(100), q50 = jpeg(50), q1 = jpeg(1);
    EXPECT_TRUE(q100.size() > q50.size() && q50.size() > q1.size());
    EXPECT_TRUE(jpeg(250) == q100 && jpeg(0) == q1) << "clamped into 1..100";
}

// COM may unload the DLL only when no object, class factory or server lock is alive.
TEST_F(EncoderTest, DllCanUnloadNowOnlyWhenEverythingIsReleased) {
    HMODULE dll = LoadLibraryW(L"" PIKUTO_ENCODER_DLL); // the module COM loaded, or the same file
    ASSERT_NE(dll, nullptr);
    auto canUnload =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllCanUnloadNow")));
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllGetClassObject")));
    ASSERT_TRUE(canUnload && getClass);
    for (const CLSID* clsid : {&CLSID_JpegEncoder, &CLSID_PngEncoder}) {
        ASSERT_EQ(canUnload(), S_OK);
        IClassFactory* factory = nullptr;
        ASSERT_HRESULT_SUCCEEDED(getClass(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        EXPECT_EQ(canUnload(), S_FALSE) << "a live class factory";
        IUnknown* object = nullptr;
        ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)));
        factory->LockServer(TRUE);
        factory->Release();
        object->AddRef();
        object->Release();
        object->Release();
        EXPECT_EQ(canUnload(), S_FALSE) << "a server lock";
        ASSERT_HRESULT_SUCCEEDED(getClass(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        factory->LockServer(FALSE);
        ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
        factory->Release();
        EXPECT_EQ(canUnload(), S_FALSE) << "a live encoder object";
        object->Release();
        EXPECT_EQ(canUnload(), S_OK) << "every object freed on its last Release";
    }
}

TEST_F(EncoderTest, WrongNamesArgumentsAndPathsFailWithoutWritingAnything) {
    void *jpegObject = nullptr, *pngObject = nullptr;
    CoCreateInstance(CLSID_JpegEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &jpegObject);
    CoCreateInstance(CLSID_PngEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &pngObject);
    Com<IDispatch> jpeg(static_cast<IDispatch*>(jpegObject)), png(static_cast<IDispatch*>(pngObject));
    Com<IPictureDisp> picture = MakePicture(Pattern(3, 16, 8));
    BSTR path = SysAllocString((dir.path + L"out.png").c_str());
    const VARIANT good = Var(VT_DISPATCH, picture.get()), byRefPath = Var(VT_BSTR | VT_BYREF, &path);
    EXPECT_HRESULT_FAILED(Call(jpeg.get(), L"SavePng", {byRefPath, good}));
    EXPECT_HRESULT_FAILED(Call(png.get(), L"Quality", {Var(VT_UI1, nullptr)}, DISPATCH_PROPERTYPUT));
    EXPECT_HRESULT_FAILED(Call(jpeg.get(), L"Quality", {Var(VT_BSTR, path)}, DISPATCH_PROPERTYPUT));
    // One argument, a good picture lying just past it: a method that read it would save.
    EXPECT_HRESULT_FAILED(Call(png.get(), L"SavePng", {byRefPath, good}, DISPATCH_METHOD, 1));
    EXPECT_HRESULT_FAILED(Call(png.get(), L"SavePng", {byRefPath, Var(VT_BSTR, path)}));
    EXPECT_HRESULT_FAILED(Call(png.get(), L"SavePng", {Var(VT_I4, nullptr), good}));
    EXPECT_HRESULT_FAILED(Call(png.get(), L"SavePng", {byRefPath, Var(VT_DISPATCH, nullptr)}));
    EXPECT_HRESULT_FAILED(Call(png.get(), L"SavePng", {byRefPath, Var(VT_DISPATCH, jpeg.get())})) << "not a picture";
    EXPECT_HRESULT_FAILED(SavePngThroughEncoder(nullptr, dir.path + L"null.png"));
    EXPECT_HRESULT_FAILED(SavePngThroughEncoder(picture.get(), dir.path + L"missing\\out.png"));
    EXPECT_TRUE(dir.Files().empty());
    SysFreeString(path);
}

TEST_F(EncoderTest, WriterReplacesOnlyWithACompleteFile) {
    win32::calls.CreateFile = CreateSeam;
    refuseNewFiles = writesFail = false;
    const std::wstring target = dir.path + L"data.bin";
    const std::string old(1000, 'o'), fresh(5000, 'n');
    ASSERT_HRESULT_SUCCEEDED(WriteFileReplacing(target, old.data(), old.size()));
    // A read-only target stays as it is (Wine would let the move replace it).
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_HRESULT_FAILED(WriteFileReplacing(target, fresh.data(), fresh.size()));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A write that fails leaves no partial file: neither the temporary one nor, in a folder that
    // takes no new file, the target written directly.
    writesFail = true;
    EXPECT_HRESULT_FAILED(WriteFileReplacing(target, fresh.data(), fresh.size()));
    refuseNewFiles = true;
    EXPECT_HRESULT_FAILED(WriteFileReplacing(dir.path + L"partial.bin", fresh.data(), fresh.size()));
    // Where the folder takes no temporary file, an existing target is never written in place: not
    // by the writer, the BMP writer, nor the component's JPEG and PNG objects.
    writesFail = false;
    EXPECT_HRESULT_FAILED(WriteFileReplacing(target, fresh.data(), fresh.size()));
    EXPECT_HRESULT_FAILED(SaveBitmapFile(Pattern(1000, 7, 3), target));
    BSTR path = SysAllocString(target.c_str());
    for (EncoderKind kind : {EncoderKind::Jpeg, EncoderKind::Png}) {
        IDispatch* encoder = nullptr;
        ASSERT_HRESULT_SUCCEEDED(CreateEncoder(kind, IID_IDispatch, reinterpret_cast<void**>(&encoder)));
        EXPECT_HRESULT_FAILED(Call(encoder, kind == EncoderKind::Jpeg ? L"SaveJpeg" : L"SavePng",
                                   {Var(VT_BSTR | VT_BYREF, &path), Var(VT_DISPATCH, MakePicture(Pattern(9)).get())}));
        encoder->Release();
    }
    SysFreeString(path);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"data.bin"});
    ASSERT_HRESULT_SUCCEEDED(WriteFileReplacing(dir.path + L"new.bin", fresh.data(), fresh.size())); // written directly
    EXPECT_EQ(ReadBytes(dir.path + L"new.bin"), fresh);

    // The BMP writer at the longest path (255 characters, a short file name): the temporary name
    // beside it passes MAX_PATH, yet it is still made.
    refuseNewFiles = false;
    const std::wstring folder = dir.path + std::wstring(249 - dir.path.size(), L'd'), bmp = folder + L"\\b.bmp";
    ASSERT_TRUE(CreateDirectoryW(ToLongPath(folder).c_str(), nullptr));
    EXPECT_HRESULT_SUCCEEDED(SaveBitmapFile(Pattern(1000, 7, 3), bmp));
    EXPECT_TRUE(newFile.rfind(L"\\\\?\\", 0) == 0 && newFile.size() - 4 > MAX_PATH) << newFile;
}

} // namespace
