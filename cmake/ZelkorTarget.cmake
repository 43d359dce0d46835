# Common settings of every Zelkor target: CP949 narrow literals, warnings,
# and a helper that builds a layer library from the sources of its folder.

# Narrow string literals are CP949 bytes, as on a Korean Windows build;
# column widths on paper are byte counts of that text.
set(ZELKOR_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=CP949)

include(${CMAKE_CURRENT_LIST_DIR}/ZelkorVersion.cmake)

function(zelkor_target_defaults target)
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
