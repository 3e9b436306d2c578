// The one adapter the utility manages: how it was found and what it can do.
#pragma once

#include <windows.h>
#include "classlib/CString.h"
#include "classlib/Collections.h"
#include <setupapi.h>

struct HardwareIdRow {
    const char* hardwareId;
    DWORD modelIndex;
};

struct ModelRow {
    const char* name;      // also the device name on Windows 98 SE and Me
    const char* file9x;
    const char* file2000;
    const char* fileXp;
};

extern const HardwareIdRow g_PciHardwareIds[];
extern const int g_nPciHardwareIdCount;
extern const HardwareIdRow g_UsbHardwareIds[];
extern const int g_nUsbHardwareIdCount;
extern const ModelRow g_ModelTable[9];

// Written by FindAndOpenAdapter (and cleared by ForgetAdapter); the driver
// facts by DetectDualBand and QueryDriverVersion.
extern int g_nModelIndex;          // 0-8
extern BOOL g_bIsUsbTable;         // the matching row is in the USB table
extern int g_nHwTableRow;
extern BOOL g_bIsUsb;              // the chosen device's hardware id begins with "USB"
extern BOOL g_bLegacyModel;        // model 0 or 1
extern BOOL g_bHtDevice;           // 802.11n: model 6-8 on OS code 7 or later
extern int g_nHtGeneration;        // model 6: 1, 7: 2, 8: 3
extern CString g_strNetCfgInstanceId;
extern CString g_strAdapterRegPath; // driver key under HKEY_LOCAL_MACHINE
extern BOOL g_bDualBand;
extern WORD g_wDriverVersion;

BOOL IsLegacyModel(int model);
BOOL IsHtModel(int model);
int GetHtGeneration(int model);
// First matching row of a table over exactly 21 upper-cased characters; -1 when none.
int FindHardwareIdRow(const HardwareIdRow* table, int count, const char* hardwareId);
// The adapter went away: no adapter key and no bus until one is found again.
void ForgetAdapter();
void DetectDualBand();
void QueryDriverVersion();

// Asks the user to choose among several candidates (members of set); returns
// the chosen member index.
typedef DWORD (*AdapterChooser)(HDEVINFO set, const CDWordArray& candidates, void* context);
// Finds the one adapter among the present network devices whose device path
// opens and makes it the adapter (model, flags, device path, adapter key).
// With more than one candidate choose decides (the first without it).
// *pChanged tells that its key differs from the adapter found before.
BOOL FindAdapter(AdapterChooser choose, void* context, BOOL* pChanged);
