// Each record header compiles on its own, warning-free under -pedantic.
#include "frame/HostRecords.h"
#include "host/records/Layout.h"
