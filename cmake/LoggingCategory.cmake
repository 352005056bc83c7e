# SPDX-License-Identifier: GPL-3.0-or-later
# A Qt logging category per folder, written once here instead of a header and a source by hand:
#   cuewell_logging_category(<target> <header path> <symbol> <category> <what it tells of>)
# declares <symbol> in <header path>.h (included as "<header path>.h") and defines it, quiet
# below warnings unless QT_LOGGING_RULES asks for more.
set(CUEWELL_LOGGING_TEMPLATES ${CMAKE_CURRENT_LIST_DIR})

function(cuewell_logging_category target header symbol category subject)
    set(generated ${PROJECT_BINARY_DIR}/generated)
    set(CUEWELL_LOG_HEADER ${header}.h)
    set(CUEWELL_LOG_SYMBOL ${symbol})
    set(CUEWELL_LOG_CATEGORY ${category})
    set(CUEWELL_LOG_SUBJECT ${subject})
    configure_file(${CUEWELL_LOGGING_TEMPLATES}/LoggingCategory.h.in ${generated}/${header}.h @ONLY)
    configure_file(${CUEWELL_LOGGING_TEMPLATES}/LoggingCategory.cpp.in ${generated}/${header}.cpp
                   @ONLY)
    target_sources(${target} PRIVATE ${generated}/${header}.h ${generated}/${header}.cpp)
    target_include_directories(${target} PUBLIC ${generated})
endfunction()
