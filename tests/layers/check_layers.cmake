# Fails when a file of a core library reaches above its layer: a widget or GUI
# header of Qt (by module path or by class header name), a generated form
# header ("ui_") or a header of the app folder. The handler files belong to
# the GUI library and are left out.
#
# cmake -DSOURCE_DIR=src -DHEADER_DIRS="dir1|dir2" -P check_layers.cmake

set(core_folders platform db worklist gatewaylog accounts romanize gateway)

string(REPLACE "|" ";" header_dirs "${HEADER_DIRS}")
set(forbidden_headers)
foreach(dir IN LISTS header_dirs)
  file(GLOB names RELATIVE "${dir}" "${dir}/*")
  list(APPEND forbidden_headers ${names})
endforeach()

set(violations)
foreach(folder IN LISTS core_folders)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    if(file MATCHES "_handlers\\.cpp$")
      continue()
    endif()
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
      set(bad FALSE)
      if(header MATCHES "^(QtWidgets|QtGui|QtOpenGL|QtOpenGLWidgets)/" OR header MATCHES "(^|/)ui_"
         OR header MATCHES "^app/")
        set(bad TRUE)
      elseif(NOT header MATCHES "/")
        list(FIND forbidden_headers "${header}" at)
        if(at GREATER -1)
          set(bad TRUE)
        endif()
      endif()
      if(bad)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
        list(APPEND violations "${shown}: ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

list(LENGTH forbidden_headers known)
if(known EQUAL 0)
  message(FATAL_ERROR "no widget or GUI headers found under: ${HEADER_DIRS}")
endif()
if(violations)
  list(JOIN violations "\n  " shown)
  message(FATAL_ERROR "core files include what only the GUI library may:\n  ${shown}")
endif()
message(STATUS "layers kept (${known} widget and GUI headers checked)")
