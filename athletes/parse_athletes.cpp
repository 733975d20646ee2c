#include "athletes/parse_athletes.h"
