# Installs the build into a temporary prefix with "cmake --install" and checks that every file the desktop
# needs is where it looks for it. Run with -DBUILD_DIR, -DSOURCE_DIR and -DPREFIX.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

set(id org.quillmar.Quillmar)
set(expected
    bin/quillmar
    share/applications/${id}.desktop
    share/mime/packages/${id}.xml
    share/metainfo/${id}.metainfo.xml
    share/icons/hicolor/scalable/apps/${id}.svg
    share/quillmar/manual.html)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
file(GLOB languages RELATIVE "${SOURCE_DIR}/resources/languages" "${SOURCE_DIR}/resources/languages/*.lng")
foreach(language ${languages})
    list(APPEND expected share/quillmar/languages/${language})
endforeach()
set(missing)
foreach(file ${expected})
    if(NOT EXISTS "${PREFIX}/${file}")
        list(APPEND missing ${file})
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "not installed: ${missing}")
endif()

# The menu entry starts the installed program by its full path, with the file.
file(READ "${PREFIX}/share/applications/${id}.desktop" entry)
if(NOT entry MATCHES "\nExec=${PREFIX}/bin/quillmar %f\n")
    message(FATAL_ERROR "the installed desktop entry does not start ${PREFIX}/bin/quillmar:\n${entry}")
endif()
find_program(validate desktop-file-validate)
if(validate)
    execute_process(COMMAND "${validate}" "${PREFIX}/share/applications/${id}.desktop"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "the installed desktop entry is not valid:\n${output}")
    endif()
endif()
# The MIME cache was refreshed and knows both extensions.
find_program(update_mime update-mime-database)
if(update_mime)
    file(READ "${PREFIX}/share/mime/globs2" globs)
    foreach(extension tdo tdx)
        if(NOT globs MATCHES "application/x-quillmar-${extension}:\\*\\.${extension}")
            message(FATAL_ERROR "the installed MIME cache does not know *.${extension}")
        endif()
    endforeach()
endif()
# The installed program runs.
execute_process(COMMAND "${PREFIX}/bin/quillmar" --version RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output MATCHES "Quillmar")
    message(FATAL_ERROR "the installed program does not run (${status}): ${output}")
endif()
# The installed program finds its network module: a sync to a port where nothing listens fails for want
# of a server, not of the module.
file(GLOB_RECURSE sync_module "${PREFIX}/lib*/quillmar-sync.so")
if(NOT sync_module)
    message(FATAL_ERROR "not installed: the sync module quillmar-sync.so")
endif()
# Commands take an existing data folder; only the window makes one.
file(MAKE_DIRECTORY "${PREFIX}/data")
execute_process(COMMAND "${PREFIX}/bin/quillmar" --data-dir "${PREFIX}/data" --sync http://127.0.0.1:9/
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT output MATCHES "Cannot reach the server")
    message(FATAL_ERROR "the installed program does not load its sync module (${status}): ${output}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
