// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ProcessMemory.h"

#include <malloc.h>

namespace ProcessMemory {

void shareHeapsBetweenThreads()
{
    mallopt(M_ARENA_MAX, 2);
}

void returnFreedMemory()
{
    malloc_trim(0);
}

} // namespace ProcessMemory
