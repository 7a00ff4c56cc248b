// Storage for the interface and class ids of the widl headers, which MinGW's
// uuid library does not have.
#include <initguid.h>

#include "standin/uia.h"
