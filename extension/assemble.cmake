# SPDX-License-Identifier: GPL-3.0-or-later
# Joins the extension's sources, in order, into one file: -DOUTPUT=<file> -DSOURCES=<a:b:...>,
# with the service's interface description put in: -DINTERFACE=<xml file>.
set(joined "// Generated from Cuewell's extension sources; edit those, not this file.\n")
string(REPLACE ":" ";" sources "${SOURCES}")
foreach(source IN LISTS sources)
    file(READ ${source} text)
    string(APPEND joined "${text}")
endforeach()
# The service's interface goes in where its sources ask for it: -DINTERFACE=<xml file>.
if(INTERFACE)
    file(READ ${INTERFACE} interface_xml)
    string(REPLACE "@CUEWELL_SHELL_INTERFACE@" "${interface_xml}" joined "${joined}")
endif()
file(WRITE ${OUTPUT} "${joined}")
