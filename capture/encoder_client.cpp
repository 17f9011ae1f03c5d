// Late binding as the component expects: members looked up by name at every call.
#include "capture/encoder_client.h"

#include "capture/com_ref.h"

#include <oleauto.h>

namespace {

struct BstrHolder {
    BSTR s;
    ~BstrHolder() { SysFreeString(s); }
};

// The strings an object may hand back with DISP_E_EXCEPTION.
struct ExcepInfoHolder {
    EXCEPINFO info{};
    ~ExcepInfoHolder() {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};

HRESULT CreateEncoder(const CLSID& clsid, const IID& iid, ComRef<IDispatch>& encoder) {
    // The interface is dual, so what comes back is used through IDispatch's vtable.
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&encoder.p));
}

HRESULT FindMember(IDispatch* object, const wchar_t* name, DISPID& id) {
    auto* names = const_cast<LPOLESTR>(name);
    return object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT InvokeMember(IDispatch* object, const wchar_t* name, WORD flags, DISPPARAMS& params) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindMember(object, name, id);
    if (FAILED(hr))
        return hr;
    VARIANT result;
    VariantInit(&result);
    ExcepInfoHolder exception;
    UINT argError = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception.info, &argError);
    VariantClear(&result);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.info.pfnDeferredFillIn)
            exception.info.pfnDeferredFillIn(&exception.info);
        if (FAILED(exception.info.scode))
            hr = exception.info.scode;
    }
    return hr;
}

HRESULT CallSave(IDispatch* encoder, const wchar_t* method, IDispatch* picture, const std::wstring& path) {
    if (!picture)
        return E_POINTER;
    BstrHolder text{SysAllocStringLen(path.data(), UINT(path.size()))};
    if (!text.s)
        return E_OUTOFMEMORY;
    // Automation passes arguments last to first: rgvarg[1] is the picture, rgvarg[0] the path.
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = picture; // borrowed: not cleared here
    args[0].vt = VT_BSTR | VT_BYREF;
    args[0].pbstrVal = &text.s;
    DISPPARAMS params{args, nullptr, 2, 0};
    return InvokeMember(encoder, method, DISPATCH_METHOD, params);
}

} // namespace

HRESULT SaveJpegThroughEncoder(IDispatch* picture, const std::wstring& path, BYTE quality) {
    ComRef<IDispatch> encoder;
    HRESULT hr = CreateEncoder(CLSID_JpegEncoder, IID_JpegEncoder, encoder);
    if (FAILED(hr))
        return hr;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UI1;
    value.bVal = quality;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &putId, 1, 1};
    hr = InvokeMember(encoder.p, L"Quality", DISPATCH_PROPERTYPUT, put);
    if (FAILED(hr))
        return hr;
    return CallSave(encoder.p, L"SaveJpeg", picture, path);
}

HRESULT SavePngThroughEncoder(IDispatch* picture, const std::wstring& path) {
    ComRef<IDispatch> encoder;
    HRESULT hr = CreateEncoder(CLSID_PngEncoder, IID_PngEncoder, encoder);
    if (FAILED(hr))
        return hr;
    return CallSave(encoder.p, L"SavePng", picture, path);
}
