#include "host/UxMol.h"

IMPLEMENT_DYNCREATE(CUxMol, CObject)
