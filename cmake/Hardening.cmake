# The shipped programs are hardened as Debian builds its own: checked buffer functions where the
# optimiser can see the sizes, and every symbol bound at start, so that the relocations stay
# read-only. The sanitizer tree checks more than this by itself.
if(NOT QV_SANITIZE)
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(LINKER:-z,now)
endif()
