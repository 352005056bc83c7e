// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/tesseract/TesseractThreads.h"

#include <cstdlib>
#include <unistd.h>

namespace TesseractThreads {

void restartWithOneOpenMpThread(char** argv)
{
    if (std::getenv("OMP_THREAD_LIMIT"))
        return;
    setenv("OMP_THREAD_LIMIT", "1", 1);
    execv("/proc/self/exe", argv);
}

} // namespace TesseractThreads
