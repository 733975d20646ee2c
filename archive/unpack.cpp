#include "archive/unpack.h"
