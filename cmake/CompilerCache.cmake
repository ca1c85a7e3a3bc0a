# The compiler cache, keyed so that a checkout in another folder hits what this one stored: ccache
# takes paths below the source folder as relative ones (base_dir), and the compiler writes them
# relative to the source folder into debug information and __FILE__ (-ffile-prefix-map), so the
# objects it hands out do not depend on the folder either. Precompiled headers are cached too
# when ccache may take their time stamps and predefined macros as they are (sloppiness).
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(QV_CCACHE_LAUNCHER env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
                         CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
                         ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${QV_CCACHE_LAUNCHER})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${QV_CCACHE_LAUNCHER})
endif()
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
