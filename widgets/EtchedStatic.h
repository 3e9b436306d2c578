// A static control drawn as an etched separator line with its caption.
#pragma once

#include "classlib/ClassLib.h"

class CEtchedStatic : public CStatic {
protected:
    DECLARE_MESSAGE_MAP()
    void OnPaint();
};
