// Resource ids shared by the program's windows.
#pragma once

#define IDR_MANIFEST 1
