// IDispatch without a type library: a fixed member table, argument checks, then encode and write.
#include "encoder/encoder_object.h"

#include "core/codecs.h"
#include "encoder/com_object.h"
#include "win32/atomic_file.h"
#include "win32/bitmap_pixels.h"
#include "win32/encoder_ids.h"
#include "win32/handles.h"
#include "win32/picture_bitmap.h"

#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <string>

namespace {

enum : DISPID { kQuality = 1, kSaveJpeg = 2, kSavePng = 3 };

struct Member {
    const wchar_t* name;
    DISPID id;
    EncoderKind kind;
};

constexpr Member kMembers[] = {
    {L"Quality", kQuality, EncoderKind::Jpeg},
    {L"SaveJpeg", kSaveJpeg, EncoderKind::Jpeg},
    {L"SavePng", kSavePng, EncoderKind::Png},
};

bool IsNumber(VARTYPE type) {
    switch (type & ~VT_BYREF) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
    case VT_BOOL:
        return true;
    default:
        return false;
    }
}

// Script callers hand arguments over as a reference to a variant; look through one level.
const VARIANT& Unwrap(const VARIANT& arg) {
    if (arg.vt == (VT_VARIANT | VT_BYREF) && arg.pvarVal)
        return *arg.pvarVal;
    return arg;
}

HRESULT GetPicture(const VARIANT& arg, IUnknown*& picture) {
    const VARIANT& v = Unwrap(arg);
    switch (v.vt) {
    case VT_DISPATCH:
        picture = v.pdispVal;
        break;
    case VT_UNKNOWN:
        picture = v.punkVal;
        break;
    case VT_DISPATCH | VT_BYREF:
        picture = v.ppdispVal ? *v.ppdispVal : nullptr;
        break;
    case VT_UNKNOWN | VT_BYREF:
        picture = v.ppunkVal ? *v.ppunkVal : nullptr;
        break;
    default:
        return DISP_E_TYPEMISMATCH;
    }
    return picture ? S_OK : E_POINTER;
}

HRESULT GetPath(const VARIANT& arg, std::wstring& path) {
    const VARIANT& v = Unwrap(arg);
    BSTR text = nullptr;
    if (v.vt == VT_BSTR)
        text = v.bstrVal;
    else if (v.vt == (VT_BSTR | VT_BYREF))
        text = v.pbstrVal ? *v.pbstrVal : nullptr;
    else
        return DISP_E_TYPEMISMATCH;
    UINT length = SysStringLen(text);
    if (length == 0)
        return text ? E_INVALIDARG : E_POINTER;
    path.assign(text, length);
    // A path with a NUL inside would name another file than the caller meant.
    return path.find(L'\0') == std::wstring::npos ? S_OK : E_INVALIDARG;
}

HRESULT ReadPicture(IUnknown* object, core::Pixels& pixels) {
    HBITMAP bitmap = nullptr;
    HRESULT hr = BitmapOfPicture(object, bitmap);
    return FAILED(hr) ? hr : win32::ReadBitmapPixels(bitmap, pixels);
}

class Encoder final : public ComObject<IDispatch> {
public:
    explicit Encoder(EncoderKind kind) : kind_(kind) {}

    // IDispatch: no type library; callers bind by name.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (iid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids || count == 0)
            return E_INVALIDARG;
        // Our methods take no named arguments, so every name after the first is unknown.
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (!names[0])
            return DISP_E_UNKNOWNNAME;
        for (const Member& member : kMembers) {
            // Automation names are case-insensitive.
            if (member.kind == kind_ && CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL)
                ids[0] = member.id;
        }
        return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        try {
            if (iid != IID_NULL)
                return DISP_E_UNKNOWNINTERFACE;
            if (!params || (params->cArgs > 0 && !params->rgvarg))
                return E_INVALIDARG;
            if (result)
                VariantInit(result);
            if (id == kQuality && kind_ == EncoderKind::Jpeg)
                return InvokeQuality(flags, *params, result, argError);
            if ((id == kSaveJpeg && kind_ == EncoderKind::Jpeg) || (id == kSavePng && kind_ == EncoderKind::Png))
                return InvokeSave(flags, *params, exception, argError);
            return DISP_E_MEMBERNOTFOUND;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

private:
    HRESULT InvokeQuality(WORD flags, const DISPPARAMS& params, VARIANT* result, UINT* argError) {
        if (flags & DISPATCH_PROPERTYPUT) {
            if (params.cArgs != 1)
                return DISP_E_BADPARAMCOUNT;
            if (params.cNamedArgs != 1 || !params.rgdispidNamedArgs ||
                params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return DISP_E_PARAMNOTOPTIONAL;
            const VARIANT& value = Unwrap(params.rgvarg[0]);
            LONG quality = 0;
            if (value.vt == VT_UI1) {
                quality = value.bVal;
            } else {
                VARIANT number;
                VariantInit(&number);
                if (!IsNumber(value.vt) || FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&value), 0, VT_I4))) {
                    if (argError)
                        *argError = 0;
                    return DISP_E_TYPEMISMATCH;
                }
                quality = number.lVal;
            }
            quality_ = quality < 1 ? 1 : quality > 100 ? 100 : quality;
            return S_OK;
        }
        if (flags & DISPATCH_PROPERTYGET) {
            if (params.cArgs != 0)
                return DISP_E_BADPARAMCOUNT;
            if (result) {
                result->vt = VT_UI1;
                result->bVal = BYTE(quality_);
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT InvokeSave(WORD flags, const DISPPARAMS& params, EXCEPINFO* exception, UINT* argError) {
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        if (params.cNamedArgs != 0)
            return DISP_E_NONAMEDARGS;
        if (params.cArgs != 2)
            return DISP_E_BADPARAMCOUNT;
        // Arguments arrive last first: rgvarg[1] is the picture, rgvarg[0] the path.
        IUnknown* picture = nullptr;
        std::wstring path;
        HRESULT hr = GetPicture(params.rgvarg[1], picture);
        if (FAILED(hr)) {
            if (argError)
                *argError = 1;
            return hr;
        }
        if (FAILED(hr = GetPath(params.rgvarg[0], path))) {
            if (argError)
                *argError = 0;
            return hr;
        }
        hr = Save(picture, path);
        if (FAILED(hr) && exception) {
            // The automation way to report a method's own failure; the caller reads scode.
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(L"PikutoEncoder");
            exception->bstrDescription =
                SysAllocString(kind_ == EncoderKind::Jpeg ? L"The JPEG file could not be written."
                                                          : L"The PNG file could not be written.");
            exception->scode = hr;
            return DISP_E_EXCEPTION;
        }
        return hr;
    }

    HRESULT Save(IUnknown* picture, const std::wstring& path) const {
        core::Pixels pixels;
        HRESULT hr = ReadPicture(picture, pixels);
        if (FAILED(hr))
            return hr;
        std::vector<unsigned char> file;
        core::EncodeStatus status;
        if (kind_ == EncoderKind::Jpeg) {
            core::JpegOptions options;
            options.quality = quality_;
            status = core::EncodeJpeg(pixels, options, file);
        } else {
            status = core::EncodePng(pixels, core::PngOptions{}, file);
        }
        if (status != core::EncodeStatus::Ok)
            return status == core::EncodeStatus::BadSize       ? E_INVALIDARG
                   : status == core::EncodeStatus::OutOfMemory ? E_OUTOFMEMORY
                                                               : E_FAIL;
        return WriteFileReplacing(path, file.data(), file.size());
    }

    bool Answers(REFIID iid) const override {
        return iid == IID_IDispatch || iid == (kind_ == EncoderKind::Jpeg ? IID_JpegEncoder : IID_PngEncoder);
    }

    EncoderKind kind_;
    LONG quality_ = 100;
};

} // namespace

HRESULT CreateEncoder(EncoderKind kind, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    win32::ComPtr<Encoder> encoder(new (std::nothrow) Encoder(kind));
    return encoder ? encoder->QueryInterface(iid, object) : E_OUTOFMEMORY;
}
