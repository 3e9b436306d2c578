// A logical palette, used on palette devices only.
#pragma once

#include "classlib/Gdi.h"

class CPalette : public CGdiObject {
public:
    BOOL CreatePalette(const LOGPALETTE* lp) { return Attach(::CreatePalette(lp)); }
    operator HPALETTE() const { return (HPALETTE)m_hObject; }
};
