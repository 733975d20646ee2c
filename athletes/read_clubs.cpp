#include "athletes/read_clubs.h"
