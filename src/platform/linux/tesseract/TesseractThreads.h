// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace TesseractThreads {

/// Tesseract's OpenMP threads make recognition many times slower on a desktop (on two cores,
/// gtk3-widget-factory took 3.2 s instead of 0.55 s): they outnumber the cores beside our own
/// two passes and spin against each other. The limit only takes effect when present at
/// process start, so a program that recognises text calls this first thing in `main`: it
/// starts the program once more with the limit set, and returns when it is already set (or the
/// restart failed, so the program goes on, only slower).
void restartWithOneOpenMpThread(char** argv);

} // namespace TesseractThreads
