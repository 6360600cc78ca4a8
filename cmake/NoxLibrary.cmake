# nox_library(NAME DIR <dir> DEPS <targets...>)
# A static library of every .cpp/.h directly in <dir>; sources come from a
# glob so that new files need no edit here. Includes are rooted at src/.
function(nox_library name)
  cmake_parse_arguments(L "" "DIR" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${L_DIR}/*.cpp ${L_DIR}/*.h ${L_DIR}/*.qrc)
  file(GLOB cpps CONFIGURE_DEPENDS ${L_DIR}/*.cpp)
  if(NOT cpps)
    return()   # nothing built here yet
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_DEPS})
  # A library that links QtCore alone gets none: the shared headers need QtGui.
  nox_use_pch_for(${name} ${L_DEPS})
endfunction()

# nox_test_folder(LIBS <targets...>)
# One test program per tst_*.cpp in the calling folder; other .cpp/.h files
# there are helpers shared by all of that folder's tests.
function(nox_test_folder)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  foreach(lib ${F_LIBS})
    if(lib MATCHES "^nox_" AND NOT TARGET ${lib})
      return()   # the library under test does not exist yet
    endif()
  endforeach()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER helpers EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    nox_add_test(${n} SOURCES ${t} ${helpers} LIBS ${F_LIBS})
    target_include_directories(${n} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  endforeach()
endfunction()
