#include "entries/rewrite_entries.h"
