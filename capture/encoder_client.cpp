// Late binding as the component expects: members looked up by name at every call.
#include "capture/encoder_client.h"

#include "win32/encoder_ids.h"
#include "win32/handles.h"

#include <oleauto.h>

namespace {

HRESULT CreateEncoder(const CLSID& clsid, const IID& iid, win32::ComPtr<IDispatch>& encoder) {
    // The interface is dual, so what comes back is used through IDispatch's vtable.
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, encoder.putVoid());
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
    EXCEPINFO exception{};
    UINT argError = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, &argError);
    VariantClear(&result);
    if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
    // The strings an object hands back with its exception are ours to free.
    win32::Bstr source(exception.bstrSource), description(exception.bstrDescription), help(exception.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION && FAILED(exception.scode))
        hr = exception.scode;
    return hr;
}

HRESULT CallSave(IDispatch* encoder, const wchar_t* method, IDispatch* picture, const std::wstring& path) {
    if (!picture)
        return E_POINTER;
    win32::Bstr text(SysAllocStringLen(path.data(), UINT(path.size())));
    if (!text)
        return E_OUTOFMEMORY;
    // Automation passes arguments last to first: rgvarg[1] is the picture, rgvarg[0] the path.
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = picture; // borrowed: not cleared here
    args[0].vt = VT_BSTR | VT_BYREF;
    BSTR bstr = text.get();
    args[0].pbstrVal = &bstr;
    DISPPARAMS params{args, nullptr, 2, 0};
    HRESULT hr = InvokeMember(encoder, method, DISPATCH_METHOD, params);
    if (bstr != text.get()) { // a by-reference string the callee replaced (freeing ours) is now ours
        text.release();
        text.reset(bstr);
    }
    return hr;
}

} // namespace

HRESULT SaveJpegThroughEncoder(IDispatch* picture, const std::wstring& path, BYTE quality) {
    win32::ComPtr<IDispatch> encoder;
    HRESULT hr = CreateEncoder(CLSID_JpegEncoder, IID_JpegEncoder, encoder);
    if (FAILED(hr))
        return hr;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UI1;
    value.bVal = quality;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &putId, 1, 1};
    hr = InvokeMember(encoder.get(), L"Quality", DISPATCH_PROPERTYPUT, put);
    if (FAILED(hr))
        return hr;
    return CallSave(encoder.get(), L"SaveJpeg", picture, path);
}

HRESULT SavePngThroughEncoder(IDispatch* picture, const std::wstring& path) {
    win32::ComPtr<IDispatch> encoder;
    HRESULT hr = CreateEncoder(CLSID_PngEncoder, IID_PngEncoder, encoder);
    if (FAILED(hr))
        return hr;
    return CallSave(encoder.get(), L"SavePng", picture, path);
}
