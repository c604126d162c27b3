#include "ssrc/ssrcdll.h"
