# The libraries of the collection commands (check, hash, identify, dat,
# dupes): libgcrypt for the digests, with libgpg-error beneath it; natively
# expat reads XML DATs (on Windows the system's XmlLite does, loaded at run
# time), and the digests of the normalised form run on a second thread.
# Windows links the static libraries of the MinGW-w64 packages, so that the
# executables stay single files.
function(orvanel_link_collection_libs target)
    if(WIN32)
        # The reader of XML DATs is the core's own on Windows (the core
        # calls it), like its file and memory interfaces: it is not
        # window code.
        target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/collection/dat_xml_win.cpp)
        find_library(ORVANEL_GCRYPT_LIB NAMES libgcrypt.a REQUIRED)
        find_library(ORVANEL_GPG_ERROR_LIB NAMES libgpg-error.a REQUIRED)
        target_link_libraries(${target} PUBLIC ${ORVANEL_GCRYPT_LIB} ${ORVANEL_GPG_ERROR_LIB} ws2_32
            ole32)
    else()
        find_library(ORVANEL_GCRYPT_LIB gcrypt REQUIRED)
        find_library(ORVANEL_GPG_ERROR_LIB gpg-error REQUIRED)
        find_package(EXPAT REQUIRED)
        find_package(Threads REQUIRED)
        target_link_libraries(${target} PUBLIC ${ORVANEL_GCRYPT_LIB} ${ORVANEL_GPG_ERROR_LIB}
            EXPAT::EXPAT Threads::Threads)
    endif()
endfunction()
