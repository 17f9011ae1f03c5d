// The program's side of the image encoder component: late-bound calls to its two classes.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

// Creates a JpegEncoder, puts "Quality" and calls "SaveJpeg" with the picture and the path.
// Every failure (class not registered, member missing, file not written) is a failing result.
// Call on a thread in a single-threaded apartment.
HRESULT SaveJpegThroughEncoder(IDispatch* picture, const std::wstring& path, BYTE quality);

// Creates a PngEncoder and calls "SavePng" with the picture and the path.
HRESULT SavePngThroughEncoder(IDispatch* picture, const std::wstring& path);
