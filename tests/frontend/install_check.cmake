# cmake -DBUILD=<build folder> -DPREFIX=<install folder> -P install_check.cmake
# Installs the build and checks that the window, the worker and the launcher lie side by side,
# the launcher starting the installed window with the dropped files.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(name Dotsweep DotsweepSub Dotsweep.desktop)
  if(NOT EXISTS "${PREFIX}/${name}")
    message(FATAL_ERROR "${name} is not installed in ${PREFIX}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/Dotsweep.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=\"${PREFIX}/Dotsweep\" %F")
  message(FATAL_ERROR "unexpected launcher line: ${exec}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
