#include "framework/CInvalidArgException.h"

IMPLEMENT_DYNAMIC(CInvalidArgException, CException)

void AfxThrowInvalidArgException()
{
    throw CInvalidArgException();
}
