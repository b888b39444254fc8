// Raised when an argument is outside what a call accepts (an array index, for one).
#pragma once

#include "framework/CException.h"

class CInvalidArgException : public CException
{
    DECLARE_DYNAMIC(CInvalidArgException)
};

[[noreturn]] void AfxThrowInvalidArgException();
