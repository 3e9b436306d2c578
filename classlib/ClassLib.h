// The project's class library: a thin layer over Win32 with the familiar names.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "classlib/CString.h"
#include "classlib/Types.h"
#include "classlib/Gdi.h"
#include "classlib/MsgMap.h"
#include "classlib/Wnd.h"
#include "classlib/DataExchange.h"
#include "classlib/Dialog.h"
#include "classlib/Controls.h"
#include "classlib/WinApp.h"
#include "classlib/Collections.h"
#include "classlib/Exceptions.h"
#include "classlib/ImageList.h"
#include "classlib/ToolTipCtrl.h"
#include "classlib/ToolBar.h"
