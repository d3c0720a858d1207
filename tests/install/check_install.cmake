# Installs the build tree BUILD_DIR into the staging folder STAGE (prefix /usr) and checks what a
# user's system gets: both programs, the desktop program's data where it looks for it, a valid
# desktop entry, the file type of project files and the icon; then runs the installed
# command-line program. GUI is ON when the desktop program is built.
file(REMOVE_RECURSE "${STAGE}")
set(ENV{DESTDIR} "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(root "${STAGE}/usr")
set(expected bin/quillmarsh-cli)
if(GUI)
    list(APPEND expected bin/quillmarsh lib/quillmarsh/quillmarsh-cli-qt.so share/quillmarsh/Help/index.html
         share/applications/quillmarsh.desktop
         share/mime/packages/quillmarsh.xml share/icons/hicolor/scalable/apps/quillmarsh.svg)
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${root}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

if(GUI)
    file(READ "${root}/share/applications/quillmarsh.desktop" entry)
    foreach(line "Exec=quillmarsh %f" "Icon=quillmarsh" "MimeType=application/x-quillmarsh-project;")
        string(FIND "${entry}" "${line}" at)
        if(at LESS 0)
            message(FATAL_ERROR "the desktop entry lacks ${line}")
        endif()
    endforeach()
    find_program(validate desktop-file-validate)
    if(validate)
        execute_process(COMMAND "${validate}" "${root}/share/applications/quillmarsh.desktop"
                        RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "desktop-file-validate: ${said}")
        endif()
    endif()
    file(READ "${root}/share/mime/packages/quillmarsh.xml" mime)
    string(FIND "${mime}" "<glob pattern=\"*.qmp\"/>" at)
    if(at LESS 0)
        message(FATAL_ERROR "the file type does not name *.qmp")
    endif()
endif()

execute_process(COMMAND "${root}/bin/quillmarsh-cli" --version RESULT_VARIABLE status OUTPUT_VARIABLE said)
if(NOT status EQUAL 0 OR NOT said MATCHES "^quillmarsh-cli [0-9]")
    message(FATAL_ERROR "the installed quillmarsh-cli --version said: ${said}")
endif()
# The installed command-line program finds its font and picture module.
if(GUI)
    file(WRITE "${STAGE}/one.c" "int one(int a)\n{\n    if (a) return 1;\n    return 0;\n}\n")
    execute_process(COMMAND "${root}/bin/quillmarsh-cli" flow "${STAGE}/one.c" --function one -o "${STAGE}/one.svg"
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE said)
    if(NOT status EQUAL 0 OR NOT EXISTS "${STAGE}/one.svg")
        message(FATAL_ERROR "the installed quillmarsh-cli could not draw a picture: ${said}")
    endif()
endif()
file(REMOVE_RECURSE "${STAGE}")
