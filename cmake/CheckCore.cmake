# The core library must stay curses-free: a core file (any file under src/*/
# whose name does not end in screen or win) may include neither curses.h nor
# a header of the screen layer (*screen.h, *win.h). Run at configure time
# (included) and before every build of the core (cmake -P, with
# FERNTRACK_SOURCE_DIR set).
if(NOT FERNTRACK_SOURCE_DIR)
  set(FERNTRACK_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
endif()

function(ferntrack_check_core_files)
  file(GLOB files ${FERNTRACK_SOURCE_DIR}/src/*/*.cpp ${FERNTRACK_SOURCE_DIR}/src/*/*.h)
  foreach(path IN LISTS files)
    get_filename_component(name ${path} NAME_WE)
    if(name MATCHES "(screen|win)$")
      continue()
    endif()
    file(STRINGS ${path} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "[<\"]((n?curses|ncursesw/[a-z]+)\\.h|[^\">]*(screen|win)\\.h)[>\"]")
        file(RELATIVE_PATH shown ${FERNTRACK_SOURCE_DIR} ${path})
        message(FATAL_ERROR
          "${shown}: a core file includes ${CMAKE_MATCH_1}. Core files stay "
          "curses-free; screen code goes in a file named *screen.cpp or *win.cpp.")
      endif()
    endforeach()
  endforeach()
endfunction()

ferntrack_check_core_files()
