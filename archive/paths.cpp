#include "archive/paths.h"
