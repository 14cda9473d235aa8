// libcups, loaded when the spooler is first used rather than when the program starts: the CUPS
// client brings some thirty libraries (TLS, Kerberos, D-Bus, Avahi) whose loading costs every
// process milliseconds, and most runs (a conversion, a rendering) never print.
//
// Included after the CUPS headers by the files of this folder only: each CUPS function they
// call is named here and goes through a pointer resolved once per call site.
#pragma once

#include <cups/cups.h>
#include <cups/raster.h>

namespace kestrane {

// Loads libcups on first call; false (and stays false) when it cannot be loaded.
bool cupsLoaded();
// The address of the CUPS function `name`; the library must be loaded. A library without it is
// not a CUPS client this program can use: std::runtime_error saying which function is missing,
// which the job that called ends with.
void* cupsFunction(const char* name);

}  // namespace kestrane

#define KESTRANE_CUPS(name)                                                                     \
    ([] {                                                                                       \
        static const auto function = reinterpret_cast<decltype(&name)>(::kestrane::cupsFunction(#name)); \
        return function;                                                                        \
    }())

#define cupsAddDest KESTRANE_CUPS(cupsAddDest)
#define cupsAddOption KESTRANE_CUPS(cupsAddOption)
#define cupsEncryption KESTRANE_CUPS(cupsEncryption)
#define httpClose KESTRANE_CUPS(httpClose)
#define httpConnect2 KESTRANE_CUPS(httpConnect2)
#define httpError KESTRANE_CUPS(httpError)
#define httpSetTimeout KESTRANE_CUPS(httpSetTimeout)
#define ippPort KESTRANE_CUPS(ippPort)
#define cupsCancelDestJob KESTRANE_CUPS(cupsCancelDestJob)
#define cupsCopyDestInfo KESTRANE_CUPS(cupsCopyDestInfo)
#define cupsDoRequest KESTRANE_CUPS(cupsDoRequest)
#define ippAddInteger KESTRANE_CUPS(ippAddInteger)
#define ippAddString KESTRANE_CUPS(ippAddString)
#define ippAddStrings KESTRANE_CUPS(ippAddStrings)
#define ippDelete KESTRANE_CUPS(ippDelete)
#define ippGetString KESTRANE_CUPS(ippGetString)
#define ippNewRequest KESTRANE_CUPS(ippNewRequest)
#define cupsCreateDestJob KESTRANE_CUPS(cupsCreateDestJob)
#define cupsFindDestDefault KESTRANE_CUPS(cupsFindDestDefault)
#define cupsFindDestSupported KESTRANE_CUPS(cupsFindDestSupported)
#define cupsFinishDestDocument KESTRANE_CUPS(cupsFinishDestDocument)
#define cupsFreeDestInfo KESTRANE_CUPS(cupsFreeDestInfo)
#define cupsFreeDests KESTRANE_CUPS(cupsFreeDests)
#define cupsFreeOptions KESTRANE_CUPS(cupsFreeOptions)
#define cupsGetDests2 KESTRANE_CUPS(cupsGetDests2)
#define cupsGetOption KESTRANE_CUPS(cupsGetOption)
#define cupsLastError KESTRANE_CUPS(cupsLastError)
#define cupsLastErrorString KESTRANE_CUPS(cupsLastErrorString)
#define cupsRasterClose KESTRANE_CUPS(cupsRasterClose)
#define cupsRasterInitPWGHeader KESTRANE_CUPS(cupsRasterInitPWGHeader)
#define cupsRasterOpenIO KESTRANE_CUPS(cupsRasterOpenIO)
#define cupsRasterReadHeader2 KESTRANE_CUPS(cupsRasterReadHeader2)
#define cupsRasterReadPixels KESTRANE_CUPS(cupsRasterReadPixels)
#define cupsRasterWriteHeader2 KESTRANE_CUPS(cupsRasterWriteHeader2)
#define cupsRasterWritePixels KESTRANE_CUPS(cupsRasterWritePixels)
#define cupsServer KESTRANE_CUPS(cupsServer)
#define cupsUser KESTRANE_CUPS(cupsUser)
#define cupsStartDestDocument KESTRANE_CUPS(cupsStartDestDocument)
#define cupsWriteRequestData KESTRANE_CUPS(cupsWriteRequestData)
#define ippContainsInteger KESTRANE_CUPS(ippContainsInteger)
#define ippFindAttribute KESTRANE_CUPS(ippFindAttribute)
#define ippGetCollection KESTRANE_CUPS(ippGetCollection)
#define ippGetCount KESTRANE_CUPS(ippGetCount)
#define ippGetBoolean KESTRANE_CUPS(ippGetBoolean)
#define ippGetInteger KESTRANE_CUPS(ippGetInteger)
#define ippGetRange KESTRANE_CUPS(ippGetRange)
#define ippGetResolution KESTRANE_CUPS(ippGetResolution)
#define pwgMediaForSize KESTRANE_CUPS(pwgMediaForSize)
