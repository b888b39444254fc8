#include "framework/CException.h"

IMPLEMENT_DYNAMIC(CException, CObject)
