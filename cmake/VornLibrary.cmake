# vorn_add_library(<name> [HIDDEN] DIRS <source dirs...> LIBS <link libraries...>)
#
# Builds a shared library from every .cpp and .h under the given folders (so that
# new classes need no edit here), exports its symbols through a generated
# <name>_export.h, and installs its headers flat into include/vornhistory.
function(vorn_add_library name)
  cmake_parse_arguments(ARG "HIDDEN" "" "DIRS;LIBS;PUBLIC_DIRS" ${ARGN})
  set(sources)
  set(headers)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    file(GLOB dir_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
    list(APPEND sources ${dir_sources})
    list(APPEND headers ${dir_headers})
  endforeach()
  add_library(${name} SHARED ${sources} ${headers})
  add_library(VornHistory::${name} ALIAS ${name})
  set_target_properties(${name} PROPERTIES
    OUTPUT_NAME vorn${name}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    # Installed anywhere, the five libraries find each other in their own folder.
    INSTALL_RPATH "$ORIGIN")
  if(ARG_HIDDEN)
    # Only what the export macro marks is visible outside the library.
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  endif()
  string(TOUPPER ${name} upper)
  generate_export_header(${name} BASE_NAME VORN${upper}
    EXPORT_FILE_NAME ${CMAKE_CURRENT_BINARY_DIR}/export/vorn${name}_export.h)
  list(APPEND headers ${CMAKE_CURRENT_BINARY_DIR}/export/vorn${name}_export.h)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}/export>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/vornhistory>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  foreach(dir IN LISTS ARG_DIRS ARG_PUBLIC_DIRS)
    target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/${dir}>)
  endforeach()
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  install(TARGETS ${name} EXPORT VornHistoryTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vornhistory)
endfunction()
