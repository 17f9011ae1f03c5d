// The image encoder component, its client, the atomic file writer and the BMP writer.
#include "capture/atomic_file.h"
#include "capture/bmp_writer.h"
#include "capture/encoder_client.h"
#include "encoder/encoder_ids.h"
#include "encoder/image_codecs.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

template <typename T> struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p)
            p->Release();
    }
    void** Put() { return reinterpret_cast<void**>(&p); }
};

std::wstring EncoderDll() {
    std::wstring path = fs::path(PIKUTO_ENCODER_DLL).make_preferred().wstring();
    wchar_t full[MAX_PATH];
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr); // a Unix path lands on Wine's Z: drive
    return full;
}

Bytes ReadBytes(const std::wstring& path) {
    Bytes bytes;
    HANDLE file =
        CreateFileW(ToLongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size())
        bytes.clear();
    CloseHandle(file);
    return bytes;
}

std::vector<std::wstring> FilesIn(const std::wstring& dir) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().wstring());
    return names;
}

// Pictures with a known number of colours; more than 256 gives a smooth gradient.
Pixels Pattern(int colours, int width = 710, int height = 380) {
    Pixels p{width, height, std::vector<std::uint32_t>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t v;
            if (colours > 256)
                v = std::uint32_t(x * 255 / width) << 16 | std::uint32_t(y * 255 / height) << 8 | ((x + y) & 0xFF);
            else
                v = std::uint32_t((x / 3 * 7 + y * 13 + (x * y) % 5) % colours) * 0x9E3779B1u >> 8;
            p.bgrx[size_t(y) * size_t(width) + size_t(x)] = v & 0xFFFFFF;
        }
    return p;
}

// A drawing: a smooth background crossed by one-pixel coloured strokes.
Pixels Drawing() {
    Pixels p = Pattern(1000);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (x % 23 == 0 || y % 17 == 0)
                p.bgrx[size_t(y) * size_t(p.width) + size_t(x)] = (x + y) % 2 ? 0xE02020 : 0x2040E0;
    return p;
}

HBITMAP MakeBitmap(const Pixels& pixels) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        std::memcpy(bits, pixels.bgrx.data(), pixels.bgrx.size() * 4);
    return bitmap;
}

// A picture object owning its bitmap, as the program's picture box hands it over.
void MakePicture(const Pixels& pixels, Com<IPictureDisp>& picture) {
    PICTDESC desc{sizeof desc, PICTYPE_BITMAP, {}};
    desc.bmp.hbitmap = MakeBitmap(pixels);
    ASSERT_HRESULT_SUCCEEDED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.Put()));
}

Pixels DecodePng(const Bytes& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Pixels p;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return p;
    image.format = PNG_FORMAT_BGRA;
    p.bgrx.resize(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, p.bgrx.data(), 0, nullptr))
        return Pixels{};
    p.width = int(image.width);
    p.height = int(image.height);
    for (auto& v : p.bgrx)
        v &= 0xFFFFFF;
    return p;
}

Pixels DecodeJpeg(const Bytes& file) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error); // a broken file ends the test process: a failure too
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    Pixels p{int(cinfo.output_width), int(cinfo.output_height), {}};
    p.bgrx.resize(size_t(p.width) * size_t(p.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        auto* row = reinterpret_cast<JSAMPLE*>(p.bgrx.data() + size_t(cinfo.output_scanline) * size_t(p.width));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    for (auto& v : p.bgrx)
        v &= 0xFFFFFF;
    return p;
}

struct Error {
    double mean = 0;   // over all channels
    int strokeMax = 0; // worst channel on the one-pixel strokes
};

Error Compare(const Pixels& a, const Pixels& b) {
    Error e;
    for (size_t i = 0; i < a.bgrx.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            int d = std::abs(int(a.bgrx[i] >> shift & 0xFF) - int(b.bgrx[i] >> shift & 0xFF));
            e.mean += d;
            size_t x = i % size_t(a.width), y = i / size_t(a.width);
            if (x % 23 == 0 || y % 17 == 0)
                e.strokeMax = std::max(e.strokeMax, d);
        }
    e.mean /= double(a.bgrx.size() * 3);
    return e;
}

VARIANT Dispatch(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

class EncoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        dir_ = std::wstring(temp) + L"pikuto-enc-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(ToLongPath(dir_), ignored);
        OleUninitialize();
    }
    std::wstring File(const wchar_t* name) const { return dir_ + L"\\" + name; }

    // An encoder straight from the DLL's class factory: no registration needed.
    void Create(const CLSID& clsid, Com<IDispatch>& encoder) {
        static HMODULE dll = LoadLibraryW(EncoderDll().c_str()); // kept loaded: objects outlive tests
        ASSERT_NE(dll, nullptr);
        auto get = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
        ASSERT_NE(get, nullptr);
        Com<IClassFactory> factory;
        ASSERT_HRESULT_SUCCEEDED(get(clsid, IID_IClassFactory, factory.Put()));
        ASSERT_HRESULT_SUCCEEDED(factory.p->CreateInstance(nullptr, IID_IDispatch, encoder.Put()));
    }

    static DISPID Id(IDispatch* object, const wchar_t* name) {
        DISPID id = DISPID_UNKNOWN;
        auto* names = const_cast<LPOLESTR>(name);
        return SUCCEEDED(object->GetIDsOfNames(IID_NULL, &names, 1, 0, &id)) ? id : DISPID_UNKNOWN;
    }

    // args in automation order: last argument first.
    static HRESULT Call(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, UINT* argError = nullptr) {
        DISPPARAMS params{args.data(), nullptr, UINT(args.size()), 0};
        UINT ignored = 0;
        return object->Invoke(Id(object, name), IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                              argError ? argError : &ignored);
    }

    static HRESULT Save(IDispatch* object, const wchar_t* method, IDispatch* picture, const std::wstring& path) {
        BSTR text = SysAllocString(path.c_str());
        VARIANT pathArg;
        VariantInit(&pathArg);
        pathArg.vt = VT_BSTR | VT_BYREF;
        pathArg.pbstrVal = &text;
        HRESULT hr = Call(object, method, {pathArg, Dispatch(picture)});
        SysFreeString(text);
        return hr;
    }

    static HRESULT PutQuality(IDispatch* object, VARIANT value) {
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &put, 1, 1};
        return object->Invoke(Id(object, L"Quality"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                              nullptr);
    }

    Bytes SaveJpeg(IDispatch* picture, VARTYPE type, LONG quality, const wchar_t* name) {
        Com<IDispatch> encoder;
        Create(CLSID_JpegEncoder, encoder);
        if (type != VT_EMPTY) {
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_I4;
            value.lVal = quality;
            EXPECT_HRESULT_SUCCEEDED(VariantChangeType(&value, &value, 0, type));
            EXPECT_HRESULT_SUCCEEDED(PutQuality(encoder.p, value));
        }
        EXPECT_HRESULT_SUCCEEDED(Save(encoder.p, L"SaveJpeg", picture, File(name)));
        return ReadBytes(File(name));
    }

    std::wstring dir_;
};

TEST_F(EncoderTest, PngDecodesBackPixelExactForPaletteAndTrueColourPictures) {
    Com<IDispatch> encoder;
    Create(CLSID_PngEncoder, encoder);
    // 1, 2, 4 and 8 bits per palette index (710 is not a multiple of 8), then true colour.
    for (int colours : {2, 3, 9, 200, 1000}) {
        Pixels pixels = Pattern(colours);
        Com<IPictureDisp> picture;
        MakePicture(pixels, picture);
        ASSERT_HRESULT_SUCCEEDED(Save(encoder.p, L"SavePng", picture.p, File(L"p.png")));
        Pixels decoded = DecodePng(ReadBytes(File(L"p.png")));
        EXPECT_EQ(decoded.width, 710);
        EXPECT_EQ(decoded.height, 380);
        EXPECT_TRUE(decoded.bgrx == pixels.bgrx) << colours << " colours";
    }
}

TEST_F(EncoderTest, JpegFollowsQualityClampedAndCoerced) {
    Pixels pixels = Drawing();
    Com<IPictureDisp> picture;
    MakePicture(pixels, picture);
    Bytes unset = SaveJpeg(picture.p, VT_EMPTY, 0, L"unset.jpg");
    Bytes q100 = SaveJpeg(picture.p, VT_UI1, 100, L"100.jpg");
    Bytes q90 = SaveJpeg(picture.p, VT_UI1, 90, L"90.jpg");
    Bytes q10 = SaveJpeg(picture.p, VT_UI1, 10, L"10.jpg");
    Bytes q1 = SaveJpeg(picture.p, VT_UI1, 1, L"1.jpg");
    EXPECT_TRUE(unset == q100) << "the quality is 100 until it is set";
    EXPECT_GT(q100.size(), q90.size());
    EXPECT_GT(q90.size(), q10.size());
    EXPECT_GT(q10.size(), q1.size());

    Error e100 = Compare(pixels, DecodeJpeg(q100));
    Error e90 = Compare(pixels, DecodeJpeg(q90));
    Error e10 = Compare(pixels, DecodeJpeg(q10));
    EXPECT_LT(e100.mean, 0.8);
    EXPECT_LT(e100.strokeMax, 24) << "thin coloured strokes keep their colour (no chroma subsampling)";
    EXPECT_LT(e90.mean, 5);
    EXPECT_GT(e10.mean, 3 * e90.mean);
    EXPECT_LT(e10.mean, 30);

    // Out-of-range values are clamped into 1..100; other numeric types are converted.
    EXPECT_TRUE(SaveJpeg(picture.p, VT_I4, 250, L"250.jpg") == q100);
    EXPECT_TRUE(SaveJpeg(picture.p, VT_I2, 0, L"0.jpg") == q1);
    EXPECT_TRUE(SaveJpeg(picture.p, VT_R8, 90, L"r8.jpg") == q90);
}

TEST_F(EncoderTest, WrongNamesArgumentsAndPathsFailWithoutWritingAnything) {
    Com<IDispatch> jpeg, png;
    Create(CLSID_JpegEncoder, jpeg);
    Create(CLSID_PngEncoder, png);
    EXPECT_NE(Id(jpeg.p, L"quality"), DISPID_UNKNOWN);
    EXPECT_NE(Id(jpeg.p, L"SAVEJPEG"), DISPID_UNKNOWN);
    EXPECT_EQ(Id(jpeg.p, L"SavePng"), DISPID_UNKNOWN);
    EXPECT_EQ(Id(png.p, L"Quality"), DISPID_UNKNOWN);
    EXPECT_EQ(Id(png.p, L"Save"), DISPID_UNKNOWN);
    Com<IUnknown> other;
    EXPECT_EQ(jpeg.p->QueryInterface(IID_PngEncoder, other.Put()), E_NOINTERFACE);
    EXPECT_HRESULT_SUCCEEDED(jpeg.p->QueryInterface(IID_JpegEncoder, other.Put()));

    Com<IPictureDisp> picture;
    MakePicture(Pattern(3, 16, 8), picture);
    BSTR path = SysAllocString(File(L"out.png").c_str());
    BSTR empty = SysAllocString(L"");
    VARIANT good = Dispatch(picture.p), byRefPath, plainPath, emptyPath, number, nullPicture = Dispatch(nullptr);
    VariantInit(&byRefPath);
    byRefPath.vt = VT_BSTR | VT_BYREF;
    byRefPath.pbstrVal = &path;
    plainPath = byRefPath;
    plainPath.vt = VT_BSTR;
    plainPath.bstrVal = path;
    emptyPath = plainPath;
    emptyPath.bstrVal = empty;
    VariantInit(&number);
    number.vt = VT_I4;
    UINT argError = 99;
    EXPECT_EQ(Call(png.p, L"SavePng", {byRefPath}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(png.p, L"SavePng", {byRefPath, plainPath}, &argError), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 1u);
    EXPECT_EQ(Call(png.p, L"SavePng", {number, good}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(png.p, L"SavePng", {byRefPath, nullPicture}), E_POINTER);
    EXPECT_EQ(Call(png.p, L"SavePng", {emptyPath, good}), E_INVALIDARG);
    EXPECT_HRESULT_FAILED(Call(png.p, L"SavePng", {byRefPath, Dispatch(jpeg.p)})) << "not a picture";
    EXPECT_EQ(PutQuality(jpeg.p, plainPath), DISP_E_TYPEMISMATCH);
    EXPECT_HRESULT_FAILED(Save(png.p, L"SavePng", picture.p, File(L"missing\\out.png")));
    EXPECT_TRUE(FilesIn(dir_).empty());

    // The other accepted forms: the picture by reference, the path by value.
    IDispatch* pictureRef = picture.p;
    VARIANT byRefPicture;
    VariantInit(&byRefPicture);
    byRefPicture.vt = VT_DISPATCH | VT_BYREF;
    byRefPicture.ppdispVal = &pictureRef;
    EXPECT_HRESULT_SUCCEEDED(Call(png.p, L"SavePng", {plainPath, byRefPicture}));
    EXPECT_EQ(DecodePng(ReadBytes(File(L"out.png"))).bgrx, Pattern(3, 16, 8).bgrx);
    SysFreeString(path);
    SysFreeString(empty);
}

TEST_F(EncoderTest, FailedOverwriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    Com<IDispatch> encoder;
    Create(CLSID_PngEncoder, encoder);
    Com<IPictureDisp> picture;
    MakePicture(Pattern(9), picture);
    const Bytes old = {'o', 'l', 'd', 0, 1, 2};
    std::wstring target = File(L"keep.png");
    ASSERT_HRESULT_SUCCEEDED(WriteFileReplacing(target, old.data(), old.size()));

    // Held open without sharing, the target cannot be replaced (also under Wine).
    HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_HRESULT_FAILED(Save(encoder.p, L"SavePng", picture.p, target));
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(FilesIn(dir_), std::vector<std::wstring>{L"keep.png"});

    ASSERT_HRESULT_SUCCEEDED(Save(encoder.p, L"SavePng", picture.p, target));
    EXPECT_EQ(DecodePng(ReadBytes(target)).bgrx, Pattern(9).bgrx);
    EXPECT_EQ(FilesIn(dir_), std::vector<std::wstring>{L"keep.png"});
}

// Seam for the writer: fail one kind of call, and record the temporary file's name.
struct FailingFileApi {
    static inline bool failWrite, failMove, refuseNewFiles;
    static inline std::wstring newFile;
    static HANDLE WINAPI Create(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model) {
        if (disposition == CREATE_NEW) {
            newFile = name;
            if (refuseNewFiles) {
                SetLastError(ERROR_ACCESS_DENIED);
                return INVALID_HANDLE_VALUE;
            }
        }
        return CreateFileW(name, access, share, security, disposition, flags, model);
    }
    static BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
        if (failWrite) { // half the data reaches the disk first
            WriteFile(file, data, size / 2, written, overlapped);
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        return WriteFile(file, data, size, written, overlapped);
    }
    static BOOL WINAPI Move(LPCWSTR from, LPCWSTR to, DWORD flags) {
        if (failMove) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return MoveFileExW(from, to, flags);
    }
    FailingFileApi() {
        failWrite = failMove = refuseNewFiles = false;
        g_atomicFileApi = {Create, Write, Move};
    }
    ~FailingFileApi() { g_atomicFileApi = {CreateFileW, WriteFile, MoveFileExW}; }
};

TEST_F(EncoderTest, WriterReplacesOnlyWithACompleteFile) {
    FailingFileApi api;
    std::wstring target = File(L"data.bin");
    const Bytes old(1000, 'o'), fresh(5000, 'n');
    ASSERT_HRESULT_SUCCEEDED(WriteFileReplacing(target, old.data(), old.size()));
    for (bool* fault : {&api.failWrite, &api.failMove}) {
        *fault = true;
        EXPECT_HRESULT_FAILED(WriteFileReplacing(target, fresh.data(), fresh.size()));
        *fault = false;
        EXPECT_EQ(ReadBytes(target), old);
        EXPECT_EQ(FilesIn(dir_), std::vector<std::wstring>{L"data.bin"});
    }
    EXPECT_HRESULT_FAILED(WriteFileReplacing(File(L"missing\\data.bin"), fresh.data(), fresh.size()));
    // A read-only target stays as it is (Wine would let the move replace it).
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_HRESULT_FAILED(WriteFileReplacing(target, fresh.data(), fresh.size()));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(FilesIn(dir_), std::vector<std::wstring>{L"data.bin"});

    // A folder that takes no new file: the target itself is written, and removed if that fails.
    api.refuseNewFiles = true;
    ASSERT_HRESULT_SUCCEEDED(WriteFileReplacing(target, fresh.data(), fresh.size()));
    EXPECT_EQ(ReadBytes(target), fresh);
    api.failWrite = true;
    EXPECT_HRESULT_FAILED(WriteFileReplacing(File(L"partial.bin"), fresh.data(), fresh.size()));
    EXPECT_EQ(FilesIn(dir_), std::vector<std::wstring>{L"data.bin"});
}

TEST_F(EncoderTest, BitmapFileReadsBackAlsoAtTheLongestPath) {
    FailingFileApi api;
    // 255 characters with a short file name: the longer temporary name beside it passes MAX_PATH.
    std::wstring folder = dir_;
    while (folder.size() < 249) {
        folder += L"\\" + std::wstring(std::min<size_t>(40, 249 - folder.size() - 1), L'd');
        ASSERT_TRUE(CreateDirectoryW(ToLongPath(folder).c_str(), nullptr));
    }
    std::wstring target = folder + L"\\b.bmp";
    ASSERT_EQ(target.size(), 255u);

    Pixels pixels = Pattern(1000, 7, 3); // rows of 21 bytes padded to 24
    Com<IPictureDisp> picture;
    MakePicture(pixels, picture);
    ASSERT_HRESULT_SUCCEEDED(SaveBitmapFile(picture.p, target));
    EXPECT_EQ(api.newFile.rfind(L"\\\\?\\", 0), 0u);
    EXPECT_GT(api.newFile.size() - 4, size_t(MAX_PATH));

    Bytes file = ReadBytes(target);
    ASSERT_EQ(file.size(), 14u + 40u + 24u * 3u);
    BITMAPFILEHEADER head;
    BITMAPINFOHEADER info;
    std::memcpy(&head, file.data(), sizeof head);
    std::memcpy(&info, file.data() + sizeof head, sizeof info);
    EXPECT_EQ(head.bfType, 0x4D42);
    EXPECT_EQ(head.bfSize, file.size());
    EXPECT_EQ(head.bfOffBits, 54u);
    EXPECT_EQ(info.biWidth, 7);
    EXPECT_EQ(info.biHeight, 3); // bottom-up
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biCompression, DWORD(BI_RGB));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            const unsigned char* at = file.data() + 54 + (2 - y) * 24 + x * 3;
            EXPECT_EQ(std::uint32_t(at[0] | at[1] << 8 | at[2] << 16), pixels.bgrx[size_t(y) * 7 + size_t(x)]);
        }

    EXPECT_HRESULT_FAILED(SaveBitmapFile(picture.p, File(L"missing\\x.bmp")));
    PICTDESC desc{sizeof desc, PICTYPE_ICON, {}};
    desc.icon.hicon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    Com<IPicture> icon;
    ASSERT_HRESULT_SUCCEEDED(OleCreatePictureIndirect(&desc, IID_IPicture, FALSE, icon.Put()));
    EXPECT_HRESULT_FAILED(SaveBitmapFile(icon.p, File(L"icon.bmp")));
}

// ---- Registration, through regsvr32 as a user runs it ----

bool RunRegsvr32(const std::wstring& options) {
    std::wstring command = L"regsvr32.exe /s " + options + L" \"" + EncoderDll() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code == 0;
}

std::wstring ServerKey(const CLSID& clsid) {
    wchar_t text[40];
    StringFromGUID2(clsid, text, 40);
    return L"Software\\Classes\\CLSID\\" + std::wstring(text) + L"\\InprocServer32";
}

// The value, or "(none)" when the key or value is missing.
std::wstring RegistryText(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

// Puts the registration back as it was, whatever the test did.
struct RegistrationRestorer {
    std::wstring options;
    bool wasRegistered;
    ~RegistrationRestorer() { RunRegsvr32(wasRegistered ? options : L"/u " + options); }
};

TEST_F(EncoderTest, PerUserRegistrationComesAndGoesUnderCurrentUser) {
    std::wstring machineBefore = RegistryText(HKEY_LOCAL_MACHINE, ServerKey(CLSID_JpegEncoder), nullptr);
    RegistrationRestorer restore{L"/n /i:user",
                                 RegistryText(HKEY_CURRENT_USER, ServerKey(CLSID_JpegEncoder), nullptr) != L"(none)"};
    ASSERT_TRUE(RunRegsvr32(L"/n /i:user"));
    for (const CLSID* clsid : {&CLSID_JpegEncoder, &CLSID_PngEncoder}) {
        EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, ServerKey(*clsid), nullptr), EncoderDll());
        EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, ServerKey(*clsid), L"ThreadingModel"), L"Apartment");
    }
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, ServerKey(CLSID_JpegEncoder), nullptr), machineBefore);
    ASSERT_TRUE(RunRegsvr32(L"/u /n /i:user"));
    for (const CLSID* clsid : {&CLSID_JpegEncoder, &CLSID_PngEncoder})
        EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, ServerKey(*clsid), nullptr), L"(none)");
}

TEST_F(EncoderTest, ClientSavesThroughTheRegisteredComponentAndFailsWithoutIt) {
    RegistrationRestorer restore{L"",
                                 RegistryText(HKEY_LOCAL_MACHINE, ServerKey(CLSID_JpegEncoder), nullptr) != L"(none)"};
    ASSERT_TRUE(RunRegsvr32(L""));
    for (const CLSID* clsid : {&CLSID_JpegEncoder, &CLSID_PngEncoder}) {
        EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, ServerKey(*clsid), nullptr), EncoderDll());
        EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, ServerKey(*clsid), L"ThreadingModel"), L"Apartment");
    }
    Pixels pixels = Drawing();
    Com<IPictureDisp> picture;
    MakePicture(pixels, picture);
    ASSERT_HRESULT_SUCCEEDED(SavePngThroughEncoder(picture.p, File(L"c.png")));
    EXPECT_TRUE(DecodePng(ReadBytes(File(L"c.png"))).bgrx == pixels.bgrx);
    ASSERT_HRESULT_SUCCEEDED(SaveJpegThroughEncoder(picture.p, File(L"c40.jpg"), 40));
    ASSERT_HRESULT_SUCCEEDED(SaveJpegThroughEncoder(picture.p, File(L"c95.jpg"), 95));
    EXPECT_GT(ReadBytes(File(L"c95.jpg")).size(), ReadBytes(File(L"c40.jpg")).size()) << "the quality reaches it";
    EXPECT_LT(Compare(pixels, DecodeJpeg(ReadBytes(File(L"c95.jpg")))).mean, 5);
    EXPECT_HRESULT_FAILED(SaveJpegThroughEncoder(picture.p, File(L"missing\\c.jpg"), 90));
    EXPECT_HRESULT_FAILED(SavePngThroughEncoder(nullptr, File(L"null.png")));

    ASSERT_TRUE(RunRegsvr32(L"/u"));
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, ServerKey(CLSID_PngEncoder), nullptr), L"(none)");
    EXPECT_HRESULT_FAILED(SaveJpegThroughEncoder(picture.p, File(L"gone.jpg"), 90));
    EXPECT_HRESULT_FAILED(SavePngThroughEncoder(picture.p, File(L"gone.png")));
    EXPECT_EQ(FilesIn(dir_).size(), 3u);
}

} // namespace
