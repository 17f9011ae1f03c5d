// The JpegEncoder and PngEncoder objects: late-bound automation objects over the codecs.
#pragma once

#include <windows.h>
#include <oaidl.h>

// One count for every live object and server lock, behind DllCanUnloadNow.
void ModuleAddRef();
void ModuleRelease();

enum class EncoderKind { Jpeg, Png };

// Creates an encoder and asks it for iid (IUnknown, IDispatch or the class's own interface).
HRESULT CreateEncoder(EncoderKind kind, REFIID iid, void** object);
