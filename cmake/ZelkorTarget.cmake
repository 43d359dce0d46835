# Common settings of every Zelkor target: CP949 narrow literals, warnings,
# and a helper that builds a layer library from the sources of its folder.

# Narrow string literals are CP949 bytes, as on a Korean Windows build;
# column widths on paper are byte counts of that text.
set(ZELKOR_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=CP949)

include(${CMAKE_CURRENT_LIST_DIR}/ZelkorVersion.cmake)

function(zelkor_target_defaults target)
  set_property(GLOBAL APPEND PROPERTY ZELKOR_CHARSET_TARGETS ${target})
  target_compile_options(${target} PRIVATE ${ZELKOR_CHARSET_FLAGS} -Wall -Wextra)
  if(ZELKOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 reports impossible overlaps inside std::string's inlined copies
  # at -O2 and above (-Wrestrict false positives in char_traits.h); the
  # warning is off for that compiler only.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    zelkor_embed_version(${target})
  endif()
endfunction()

# zelkor_layer_library(NAME DIR [DEPS ...]): a static library of every .cpp
# directly in DIR and in DIR/posix (platform implementations).
function(zelkor_layer_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SUBDIRS" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(sub IN LISTS ARG_SUBDIRS)
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  if(NOT sources)
    # A layer whose sources have not been written yet.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  zelkor_target_defaults(${name})
endfunction()

# Every target built with the house flags is recorded, so the charset
# split check below can go over its sources.
set_property(GLOBAL PROPERTY ZELKOR_CHARSET_TARGETS "")

# zelkor_qt_target_defaults(TARGET): the house flags for a target that
# includes Qt headers. GCC cannot compile those with a CP949 narrow
# character set (a literal in <chrono>), so the target's narrow literals
# are UTF-8 (the last -fexec-charset wins) and it may hold no non-ASCII
# narrow literal: Korean text comes from u"..." literals or from the CP949
# core through platform/text_encoding.h.
function(zelkor_qt_target_defaults target)
  zelkor_target_defaults(${target})
  target_compile_options(${target} PRIVATE -fexec-charset=UTF-8)
  set_target_properties(${target} PROPERTIES ZELKOR_QT_UNITS ON)
endfunction()

# zelkor_charset_split_check(): after every target is defined, a build step
# that fails loudly when a Qt target's source holds a non-ASCII narrow
# literal or when a CP949 target's source includes a Qt header (directly
# or through a header of the tree).
function(zelkor_charset_split_check)
  get_property(targets GLOBAL PROPERTY ZELKOR_CHARSET_TARGETS)
  set(qt_sources "")
  set(cp949_sources "")
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    get_target_property(is_qt ${target} ZELKOR_QT_UNITS)
    foreach(source IN LISTS sources)
      if(source MATCHES "^\\$<" OR NOT source MATCHES "\\.(cpp|cc|c|h)$")
        continue()
      endif()
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE OUTPUT_VARIABLE path)
      cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${path} NORMALIZE in_tree)
      cmake_path(IS_PREFIX CMAKE_BINARY_DIR ${path} NORMALIZE generated)
      if(NOT in_tree OR generated OR NOT EXISTS ${path})
        continue() # generated (moc, version stamp)
      endif()
      # A single source of a mixed target may be a Qt unit of its own.
      get_source_file_property(options ${path} TARGET_DIRECTORY ${target} COMPILE_OPTIONS)
      if(is_qt OR "${options}" MATCHES "-fexec-charset=UTF-8")
        list(APPEND qt_sources ${path})
      else()
        list(APPEND cp949_sources ${path})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES qt_sources)
  list(REMOVE_DUPLICATES cp949_sources)
  set(stamp ${CMAKE_BINARY_DIR}/charset_split_checked.stamp)
  set(list_file ${CMAKE_BINARY_DIR}/charset_split_sources.txt)
  list(TRANSFORM qt_sources PREPEND "qt " OUTPUT_VARIABLE qt_lines)
  list(TRANSFORM cp949_sources PREPEND "cp949 " OUTPUT_VARIABLE cp949_lines)
  string(REPLACE ";" "\n" lines "${qt_lines};${cp949_lines}")
  file(GENERATE OUTPUT ${list_file} CONTENT "${lines}\n")
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND zelkor-charset-check --root ${PROJECT_SOURCE_DIR} --list ${list_file}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS zelkor-charset-check ${list_file} ${qt_sources} ${cp949_sources}
    COMMENT "Checking the split between Qt and CP949 translation units"
    VERBATIM)
  add_custom_target(zelkor_charset_split_checked ALL DEPENDS ${stamp})
endfunction()
