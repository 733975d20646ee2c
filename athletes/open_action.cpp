#include "athletes/open_action.h"
