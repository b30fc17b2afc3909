// The HID class driver's calls: the HID interface class, a device's
// preparsed report descriptor and its value capabilities.
#pragma once

#include "guid.h"

typedef BYTE BOOLEAN;
typedef LONG NTSTATUS;
typedef USHORT USAGE;
typedef USAGE* PUSAGE;
typedef USHORT* PUSHORT;
typedef struct _HIDP_PREPARSED_DATA* PHIDP_PREPARSED_DATA;

typedef enum _HIDP_REPORT_TYPE { HidP_Input, HidP_Output, HidP_Feature } HIDP_REPORT_TYPE;

#define HIDP_STATUS_SUCCESS ((NTSTATUS)0x00110000)
#define HIDP_STATUS_INVALID_PREPARSED_DATA ((NTSTATUS)0xC0110001)
#define HIDP_STATUS_USAGE_NOT_FOUND ((NTSTATUS)0xC0110004)
#define HIDP_STATUS_BUFFER_TOO_SMALL ((NTSTATUS)0xC0110007)

typedef struct _HIDP_VALUE_CAPS {
    USAGE UsagePage;
    UCHAR ReportID;
    BOOLEAN IsAlias;
    USHORT BitField;
    USHORT LinkCollection;
    USAGE LinkUsage;
    USAGE LinkUsagePage;
    BOOLEAN IsRange;
    BOOLEAN IsStringRange;
    BOOLEAN IsDesignatorRange;
    BOOLEAN IsAbsolute;
    BOOLEAN HasNull;
    UCHAR Reserved;
    USHORT BitSize;
    USHORT ReportCount;
    USHORT Reserved2[5];
    ULONG UnitsExp;
    ULONG Units;
    LONG LogicalMin;
    LONG LogicalMax;
    LONG PhysicalMin;
    LONG PhysicalMax;
    union {
        struct {
            USAGE UsageMin;
            USAGE UsageMax;
            USHORT StringMin;
            USHORT StringMax;
            USHORT DesignatorMin;
            USHORT DesignatorMax;
            USHORT DataIndexMin;
            USHORT DataIndexMax;
        } Range;
        struct {
            USAGE Usage;
            USAGE Reserved1;
            USHORT StringIndex;
            USHORT Reserved2;
            USHORT DesignatorIndex;
            USHORT Reserved3;
            USHORT DataIndex;
            USHORT Reserved4;
        } NotRange;
    };
} HIDP_VALUE_CAPS, *PHIDP_VALUE_CAPS;

static_assert(sizeof(HIDP_VALUE_CAPS) == 72, "the platform's record is 72 bytes");

extern "C" {

void WINAPI HidD_GetHidGuid(LPGUID HidGuid);
BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE HidDeviceObject, PHIDP_PREPARSED_DATA* PreparsedData);
BOOLEAN WINAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA PreparsedData);
NTSTATUS WINAPI HidP_GetSpecificValueCaps(HIDP_REPORT_TYPE ReportType, USAGE UsagePage,
                                          USHORT LinkCollection, USAGE Usage,
                                          PHIDP_VALUE_CAPS ValueCaps, PUSHORT ValueCapsLength,
                                          PHIDP_PREPARSED_DATA PreparsedData);

}  // extern "C"
