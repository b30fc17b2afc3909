// SetupAPI device-interface enumeration over the machine's HID controllers.
//
// A device information set is a snapshot taken when it is made: the
// controllers' interfaces in plug order, each with its path. Controllers
// plugged or unplugged later do not change it. Every simulated controller
// exposes the HID interface class and nothing else.
//
// Semantics kept:
//  - SetupDiGetClassDevsA with DIGCF_DEVICEINTERFACE lists the interfaces of
//    the class GUID (every interface with DIGCF_ALLCLASSES); DIGCF_PRESENT
//    keeps only present controllers, without it unplugged ones are listed
//    too. Without DIGCF_DEVICEINTERFACE the set holds no interfaces (device
//    setup classes are not modelled). A NULL class GUID without
//    DIGCF_ALLCLASSES fails with ERROR_INVALID_PARAMETER.
//  - Sets are known by address in a list of live ones: a set never made or
//    already destroyed fails with ERROR_INVALID_HANDLE and is never read.
//  - SetupDiEnumDeviceInterfaces: a record whose cbSize is not this width's
//    size fails with ERROR_INVALID_USER_BUFFER; a member index past the end,
//    or an interface class the set does not hold, with ERROR_NO_MORE_ITEMS.
//    The record's Reserved names the member; no SP_DEVINFO_DATA is ever
//    handed out, so one passed in fails with ERROR_INVALID_PARAMETER.
//  - SetupDiGetDeviceInterfaceDetailA: the size needed is the path's offset
//    in the detail record plus the path and its terminator. Asked with no
//    record and size 0 it fails with ERROR_INSUFFICIENT_BUFFER and reports
//    that size; a record with the wrong cbSize (or a size that cannot hold
//    the record itself) fails with ERROR_INVALID_USER_BUFFER; a record too
//    small for the path fails with ERROR_INSUFFICIENT_BUFFER and writes
//    nothing into it. An interface record not from this set fails with
//    ERROR_INVALID_PARAMETER.
//  - Injected faults (FailCall) on each function fail that call with the
//    armed error, before anything else is looked at.
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "faults.h"
#include "hid_controllers.h"
#include "simwin/control_devices.h"
#include "simwin/directinput_joystick_config.h"
#include "simwin/hid.h"
#include "simwin/kernel.h"
#include "simwin/setupapi.h"

namespace simwin::detail {
namespace {

struct Member {
    ControllerId controller;
    std::string path;
};

struct DeviceInfoSet {
    GUID interfaceClass;
    std::vector<std::unique_ptr<Member>> members;
};

std::mutex g_mutex;  // guards g_sets; sets themselves never change once made
// Never destroyed: sets may be destroyed from threads that outlive static
// destruction.
auto* g_sets = new std::unordered_set<DeviceInfoSet*>;

GUID HidInterfaceClass() {
    GUID guid;
    HidD_GetHidGuid(&guid);
    return guid;
}

// The set behind `handle` if it is live. Sets are immutable and only
// destroyed through SetupDiDestroyDeviceInfoList, so using one after the
// check is safe for a caller that does not destroy it meanwhile.
DeviceInfoSet* LiveSet(HDEVINFO handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto* set = static_cast<DeviceInfoSet*>(handle);
    return g_sets->count(set) != 0 ? set : nullptr;
}

const Member* MemberOf(const DeviceInfoSet& set, ULONG_PTR reference) {
    for (const auto& member : set.members) {
        if (reinterpret_cast<ULONG_PTR>(member.get()) == reference) {
            return member.get();
        }
    }
    return nullptr;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace
}  // namespace simwin::detail

size_t simwin::LiveDeviceInfoSets() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return detail::g_sets->size();
}

using simwin::detail::Fail;

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent,
                                     DWORD Flags) {
    (void)Enumerator;
    (void)hwndParent;
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("SetupDiGetClassDevsA", &error)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    const bool allClasses = (Flags & DIGCF_ALLCLASSES) != 0;
    if (ClassGuid == nullptr && !allClasses) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto set = std::make_unique<simwin::detail::DeviceInfoSet>();
    set->interfaceClass = simwin::detail::HidInterfaceClass();
    const bool hidInterfaces = (Flags & DIGCF_DEVICEINTERFACE) != 0 &&
                               (allClasses || IsEqualGUID(*ClassGuid, set->interfaceClass));
    if (hidInterfaces) {
        for (auto& entry : simwin::detail::ControllerInterfaces((Flags & DIGCF_PRESENT) != 0)) {
            set->members.push_back(std::make_unique<simwin::detail::Member>(
                simwin::detail::Member{entry.id, std::move(entry.path)}));
        }
    }
    std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
    simwin::detail::g_sets->insert(set.get());
    return set.release();
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                        PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("SetupDiEnumDeviceInterfaces", &error)) {
        return Fail(error);
    }
    const simwin::detail::DeviceInfoSet* set = simwin::detail::LiveSet(DeviceInfoSet);
    if (set == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (DeviceInfoData != nullptr || InterfaceClassGuid == nullptr ||
        DeviceInterfaceData == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    if (!IsEqualGUID(*InterfaceClassGuid, set->interfaceClass) ||
        MemberIndex >= set->members.size()) {
        return Fail(ERROR_NO_MORE_ITEMS);
    }
    DeviceInterfaceData->InterfaceClassGuid = set->interfaceClass;
    DeviceInterfaceData->Flags = SPINT_ACTIVE;
    DeviceInterfaceData->Reserved = reinterpret_cast<ULONG_PTR>(set->members[MemberIndex].get());
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(
    HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
    PSP_DEVICE_INTERFACE_DETAIL_DATA_A DeviceInterfaceDetailData,
    DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize, PSP_DEVINFO_DATA DeviceInfoData) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("SetupDiGetDeviceInterfaceDetailA", &error)) {
        return Fail(error);
    }
    const simwin::detail::DeviceInfoSet* set = simwin::detail::LiveSet(DeviceInfoSet);
    if (set == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (DeviceInterfaceData == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    const simwin::detail::Member* member =
        simwin::detail::MemberOf(*set, DeviceInterfaceData->Reserved);
    if (member == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInfoData != nullptr && DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    const DWORD required = static_cast<DWORD>(
        offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + member->path.size() + 1);
    if (DeviceInterfaceDetailData == nullptr) {
        if (DeviceInterfaceDetailDataSize != 0) {
            return Fail(ERROR_INVALID_USER_BUFFER);
        }
    } else if (DeviceInterfaceDetailDataSize < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) ||
               DeviceInterfaceDetailData->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    if (RequiredSize != nullptr) {
        *RequiredSize = required;
    }
    if (DeviceInterfaceDetailData == nullptr || DeviceInterfaceDetailDataSize < required) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(DeviceInterfaceDetailData->DevicePath, member->path.c_str(),
                member->path.size() + 1);
    if (DeviceInfoData != nullptr) {
        DeviceInfoData->ClassGuid = GUID_DEVCLASS_HIDCLASS;
        DeviceInfoData->DevInst = static_cast<DWORD>(member->controller);
        DeviceInfoData->Reserved = 0;
    }
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
    auto* set = static_cast<simwin::detail::DeviceInfoSet*>(DeviceInfoSet);
    {
        std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
        if (simwin::detail::g_sets->erase(set) == 0) {
            return Fail(ERROR_INVALID_HANDLE);
        }
    }
    delete set;
    return TRUE;
}

}  // extern "C"
