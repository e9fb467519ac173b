# Installs the build into a scratch prefix and checks that the desktop finds
# the program there: both executables on the path, the menu entry (offered for
# video files) and the icon in the icon theme.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected bin/ambrelo bin/ambrelo-cli share/applications/ambrelo.desktop)
foreach(size 32 48 64 128)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/ambrelo.png)
endforeach()
foreach(f ${expected})
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
foreach(exe bin/ambrelo bin/ambrelo-cli)
  file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${PREFIX}/${exe}" RESOLVED_DEPENDENCIES_VAR deps
       UNRESOLVED_DEPENDENCIES_VAR missing)
  if(missing)
    message(FATAL_ERROR "${exe} needs libraries that cannot be found: ${missing}")
  endif()
endforeach()

file(READ "${PREFIX}/share/applications/ambrelo.desktop" entry)
foreach(line "Type=Application\n" "Exec=ambrelo %f\n" "Icon=ambrelo\n" "MimeType=video/mp4;")
  string(FIND "\n${entry}" "\n${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the menu entry lacks '${line}'")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/ambrelo.desktop" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate refused the menu entry")
  endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
