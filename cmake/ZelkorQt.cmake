# Qt 6 for the user interface (ui/, app/qt/). Qt translation units cannot
# use the CP949 execution character set (Qt headers pull in <chrono>,
# whose "\u00b5s" literal GCC cannot convert), so they build with UTF-8
# narrow literals and may hold no non-ASCII narrow literal: Korean text
# there is u"..." or comes from the CP949 core through the conversion
# helpers. tests/ui checks the rule on the ui/ sources.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets)

# zelkor_qt_target(TARGET): house defaults, UTF-8 narrow literals, AUTOMOC.
function(zelkor_qt_target target)
  zelkor_target_defaults(${target})
  target_compile_options(${target} PRIVATE -fexec-charset=UTF-8)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()
