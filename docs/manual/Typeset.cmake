# cmake -DGROFF=... -DSOURCE=FILE.ms -DOUTPUT=FILE.pdf -DMACROS="-mfr" -DVERSION=1.50 -P Typeset.cmake
# Typesets one manual: UTF-8 source (preconv, -k), ms macros, A4. The PDF takes its name only
# once complete, and any warning of groff fails the build, so a typo in a request or an
# unknown character never slips into a shipped manual unnoticed.
get_filename_component(folder ${SOURCE} DIRECTORY)
set(partial ${OUTPUT}.partial)
execute_process(
    COMMAND ${GROFF} -k -ww -ms ${MACROS} -mpdf -Tpdf -dpaper=a4 -P-pa4 -dversion=${VERSION}
            -I ${folder} ${SOURCE}
    OUTPUT_FILE ${partial}
    ERROR_VARIABLE warnings
    RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    file(REMOVE ${partial})
    message(FATAL_ERROR "groff could not typeset ${SOURCE} (status ${status}):\n${warnings}")
endif()
file(RENAME ${partial} ${OUTPUT})
