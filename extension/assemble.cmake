# SPDX-License-Identifier: GPL-3.0-or-later
# Joins the extension's sources, in order, into one file: -DOUTPUT=<file> -DSOURCES=<a:b:...>
set(joined "// Generated from Cuewell's extension sources; edit those, not this file.\n")
string(REPLACE ":" ";" sources "${SOURCES}")
foreach(source IN LISTS sources)
    file(READ ${source} text)
    string(APPEND joined "${text}")
endforeach()
file(WRITE ${OUTPUT} "${joined}")
