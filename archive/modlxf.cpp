#include "archive/modlxf.h"
