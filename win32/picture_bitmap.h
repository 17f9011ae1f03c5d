// The bitmap inside an OLE picture object, for the writers of the program and of the component.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "win32/handles.h"

// Fails for anything that is not a picture holding a bitmap. The picture keeps owning the bitmap.
inline HRESULT BitmapOfPicture(IUnknown* object, HBITMAP& bitmap) {
    if (!object)
        return E_POINTER;
    win32::ComPtr<IPicture> picture;
    if (FAILED(object->QueryInterface(IID_IPicture, picture.putVoid())))
        return DISP_E_TYPEMISMATCH;
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    HRESULT hr;
    if (FAILED(hr = picture->get_Type(&type)) || FAILED(hr = picture->get_Handle(&handle)))
        return hr;
    if (type != PICTYPE_BITMAP)
        return DISP_E_TYPEMISMATCH;
    bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    return S_OK;
}
