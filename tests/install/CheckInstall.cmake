# Installs BUILD_DIR under PREFIX and checks what a user gets there: the conversion library
# with its header, and the programs a user runs, each answering --help with status 0, and for
# each its manual page of section 1, compressed, naming the program, with the version filled
# in.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${error}")
endif()

foreach(program update-reg update-cipher update-sample-site update-db)
    if(NOT EXISTS ${PREFIX}/bin/${program})
        message(FATAL_ERROR "${program} is not installed in ${PREFIX}/bin")
    endif()
endforeach()

# The conversion library under the tree's library folder (lib/ or lib/<triplet>/), its header
# for hosts under include/.
file(GLOB_RECURSE library ${PREFIX}/lib/libvarnex.so)
if(NOT library OR NOT EXISTS ${PREFIX}/include/varnex.h)
    message(FATAL_ERROR "libvarnex.so or its header varnex.h is not installed in ${PREFIX}")
endif()

file(GLOB programs RELATIVE ${PREFIX}/bin ${PREFIX}/bin/*)
foreach(program IN LISTS programs)
    execute_process(COMMAND ${PREFIX}/bin/${program} --help
        RESULT_VARIABLE status OUTPUT_VARIABLE help ERROR_VARIABLE error)
    if(NOT status EQUAL 0 OR NOT help MATCHES "Usage: ${program} " OR NOT error STREQUAL "")
        message(FATAL_ERROR "${program} --help: status ${status}, output:\n${help}${error}")
    endif()

    set(page ${PREFIX}/share/man/man1/${program}.1.gz)
    if(NOT EXISTS ${page})
        message(FATAL_ERROR "${program} has no manual page ${page}")
    endif()
    execute_process(COMMAND gzip -dc ${page}
        RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE error)
    string(TOUPPER ${program} title)
    if(NOT status EQUAL 0 OR NOT text MATCHES "^\\.TH ${title} 1 " OR text MATCHES "@[A-Z_]+@")
        message(FATAL_ERROR "manual page ${page} is not that of ${program}: ${error}")
    endif()
endforeach()
