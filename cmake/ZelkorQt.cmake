# Qt 6 for the user interface (ui/, app/qt/). Qt translation units cannot
# use the CP949 execution character set (Qt headers pull in <chrono>,
# whose "\u00b5s" literal GCC cannot convert), so they build with UTF-8
# narrow literals and may hold no non-ASCII narrow literal: Korean text
# there is u"..." or comes from the CP949 core through the conversion
# helpers. The build checks the rule on every Qt target (tools/charset_check),
# tests/ui on the ui/ sources.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets)

# zelkor_qt_target(TARGET): house defaults, UTF-8 narrow literals (and the
# build's charset split check, zelkor_qt_target_defaults), AUTOMOC.
function(zelkor_qt_target target)
  zelkor_qt_target_defaults(${target})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()
