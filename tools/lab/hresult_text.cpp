#include "tools/lab/hresult_text.h"

#include <dinput.h>

#include <cstdio>

namespace lab {

namespace {

struct Name {
    HRESULT result;
    const char* name;
};

const Name kNames[] = {
    {S_OK, "S_OK"},
    {S_FALSE, "S_FALSE"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_POINTER, "E_POINTER"},
    {E_FAIL, "E_FAIL"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
    {DIERR_OLDDIRECTINPUTVERSION, "DIERR_OLDDIRECTINPUTVERSION"},
    // The driver hands some Win32 errors back as bare numbers.
    {static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED), "ERROR_DEVICE_NOT_CONNECTED"},
    {static_cast<HRESULT>(ERROR_FILE_NOT_FOUND), "ERROR_FILE_NOT_FOUND"},
    {static_cast<HRESULT>(ERROR_SHARING_VIOLATION), "ERROR_SHARING_VIOLATION"},
};

}  // namespace

std::string HresultText(HRESULT result) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(result));
    for (const Name& name : kNames) {
        if (name.result == result) {
            return result == S_OK ? "S_OK" : std::string(name.name) + " (" + number + ")";
        }
    }
    return number;
}

}  // namespace lab
