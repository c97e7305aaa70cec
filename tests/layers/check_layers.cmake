# Fails when a file of a core library reaches above its layer: a widget or GUI
# header of Qt (by module path or by class header name), a generated form
# header ("ui_") or a header of the app folder. The handler files belong to
# the GUI library and are left out of that; they and the window's files read
# controls and call their subsystem's functions, so a statement written in one
# of them fails too.
#
# cmake -DSOURCE_DIR=src -DHEADER_DIRS="dir1|dir2" -P check_layers.cmake

set(core_folders platform db worklist gatewaylog accounts romanize devicequery echo gateway)

string(REPLACE "|" ";" header_dirs "${HEADER_DIRS}")
set(forbidden_headers)
foreach(dir IN LISTS header_dirs)
  file(GLOB names RELATIVE "${dir}" "${dir}/*")
  list(APPEND forbidden_headers ${names})
endforeach()

set(violations)

# A text in a handler or a window file that opens like a statement, in any letter case.
function(check_statements file)
  file(READ "${file}" text)
  string(TOLOWER "${text}" text)
  string(REGEX MATCHALL "\"(select|insert|delete|update|drop|create|alter|exec|sp_helptext)[ (\\][^\"\n]*" found
         "${text}")
  file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
  foreach(statement IN LISTS found)
    list(APPEND violations "${shown}: statement ${statement}")
  endforeach()
  set(violations "${violations}" PARENT_SCOPE)
endfunction()

file(GLOB app_files "${SOURCE_DIR}/app/*.cpp")
foreach(file IN LISTS app_files)
  check_statements("${file}")
endforeach()
foreach(folder IN LISTS core_folders)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    if(file MATCHES "_handlers\\.cpp$")
      check_statements("${file}")
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
  message(FATAL_ERROR "core files include what only the GUI library may, or handlers write statements:\n  ${shown}")
endif()
message(STATUS "layers kept (${known} widget and GUI headers checked)")
