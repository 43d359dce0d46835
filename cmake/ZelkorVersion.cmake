# The version stamp of every executable: a string in its own ELF section,
# ".zelkor_version", holding "ZELKOR_VERSION <project version>". The
# program reads it back from its file for the start-up log, as the Windows
# build reads its version resource.

set(ZELKOR_VERSION_SOURCE ${CMAKE_BINARY_DIR}/generated/zelkor_version_stamp.c)
file(WRITE ${ZELKOR_VERSION_SOURCE}.in
  "/* Generated: the version stamp section of a Zelkor executable. */\n"
  "__attribute__((section(\".zelkor_version\"), used))\n"
  "static const char s_szZelkorVersion[] = \"ZELKOR_VERSION @PROJECT_VERSION@\";\n")
configure_file(${ZELKOR_VERSION_SOURCE}.in ${ZELKOR_VERSION_SOURCE} @ONLY)

# Adds the stamp to an executable target.
function(zelkor_embed_version target)
  target_sources(${target} PRIVATE ${ZELKOR_VERSION_SOURCE})
endfunction()
