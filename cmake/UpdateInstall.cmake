# Install rules of the programs, libraries, headers and manual pages a user gets; every folder
# adds its own with one line each. The Debian package (cmake/UpdatePackage.cmake) holds exactly
# what these rules install. With the prefix /usr, libraries go to /usr/lib/<multiarch triplet>/.
include(GNUInstallDirs)

# update_install_program(TARGET): the program into <prefix>/bin.
function(update_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# update_install_library(TARGET): a shared library into <prefix>/lib/<triplet>/.
function(update_install_library target)
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
                              ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()

# update_install_header(FILE): a public header into <prefix>/include/.
function(update_install_header file)
    install(FILES ${file} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()

# update_install_man(PAGE): a roff manual page such as update-reg.1 of the current source
# folder, with @PROJECT_VERSION@ filled in, compressed at build time and installed into
# <prefix>/share/man/man<section>/.
function(update_install_man page)
    get_filename_component(name ${page} NAME)
    string(REGEX MATCH "[0-9]$" section ${name})
    if(NOT section)
        message(FATAL_ERROR "update_install_man: ${page} does not end in its section number")
    endif()
    set(filled ${CMAKE_CURRENT_BINARY_DIR}/man/${name})
    set(packed ${filled}.gz)
    configure_file(${page} ${filled} @ONLY)
    add_custom_command(OUTPUT ${packed}
        COMMAND gzip -9 -n -k -f ${filled}
        DEPENDS ${filled}
        COMMENT "Compressing manual page ${name}"
        VERBATIM)
    add_custom_target(man-${name} ALL DEPENDS ${packed})
    install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
