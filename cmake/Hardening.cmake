# The shipped programs bind every symbol at start, so that their relocations stay read-only, as
# Debian links its own. (_FORTIFY_SOURCE is left out: GCC 12 then warns about sizes it cannot
# see through in std::vector's inlined code.)
if(NOT QV_SANITIZE)
  add_link_options(LINKER:-z,now)
endif()
