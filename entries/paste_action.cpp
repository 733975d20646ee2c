#include "entries/paste_action.h"
