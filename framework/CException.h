// Base of the framework's exceptions. Thrown by value, caught by reference.
#pragma once

#include "framework/CObject.h"

class CException : public CObject
{
    DECLARE_DYNAMIC(CException)
};
