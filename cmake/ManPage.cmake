# SPDX-License-Identifier: MIT
# Man pages made by help2man from a program's own --help and --version.
find_program(HELP2MAN_EXECUTABLE help2man)
find_program(GZIP_EXECUTABLE gzip)
if(NOT HELP2MAN_EXECUTABLE OR NOT GZIP_EXECUTABLE)
    message(WARNING "help2man or gzip not found: the man pages are not built or installed")
endif()

# kelvane_man_page(TARGET NAME INCLUDE): section 1 page TARGET.1.gz, titled "TARGET - NAME",
# with the extra sections of the help2man include file INCLUDE.
function(kelvane_man_page target name include)
    if(NOT HELP2MAN_EXECUTABLE OR NOT GZIP_EXECUTABLE)
        return()
    endif()
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${target}.1)
    # The page describes an installed copy, so help2man asks a copy of the program that has no
    # portable marker beside it.
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/man-page/${target})
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man-page
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${copy}
        COMMAND ${HELP2MAN_EXECUTABLE} --no-info --section=1 --name=${name}
                --include=${CMAKE_CURRENT_SOURCE_DIR}/${include} --output=${page} ${copy}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${copy}
        COMMAND ${GZIP_EXECUTABLE} -9 -n -f ${page}
        DEPENDS ${target} ${CMAKE_CURRENT_SOURCE_DIR}/${include}
        COMMENT "Writing the man page ${target}(1)"
        VERBATIM)
    add_custom_target(${target}_man_page ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
