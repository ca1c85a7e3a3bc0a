# AddressSanitizer and UndefinedBehaviorSanitizer for the sanitizer tree; with QV_FUZZ every object
# also carries libFuzzer's coverage guidance, so that one clang tree runs the unit tests and links
# the fuzz targets. The benchmarks measure the normal build only.
if(QV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QV_FUZZ needs clang (cmake -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14)")
  endif()
  set(QV_SANITIZE ON)
endif()
if(QV_SANITIZE)
  if(QV_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  else()
    add_compile_options(-fsanitize=address,undefined)
  endif()
  add_compile_options(-fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  set(QV_BUILD_BENCHMARKS OFF)
endif()
