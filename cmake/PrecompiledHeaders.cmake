# Precompiled headers for the targets whose sources spend most of their compile time in Qt's and
# GoogleTest's headers: Qt's for the Qt libraries, GoogleTest's for the tests, each set compiled
# once by its host target and reused by the others. GCC 12 loses the system-header status of the
# standard library's inlined code under a precompiled header, and then warns (-Warray-bounds in
# char_traits.h) in some test sources that build clean without one; so the tests take theirs with
# clang only. qv_add_test records the test targets.
option(QV_PRECOMPILE_HEADERS "Precompile Qt's and GoogleTest's headers" ON)

set(QV_QT_HEADERS <QApplication> <QWidget> <QPainter> <QImage> <QPointer> <QKeyEvent> <QMouseEvent>
                  <QFontMetrics> <QScreen> <QTimer> <string> <vector> <memory> <functional>)
# Without Qt: its keyword macros (slots, signals, emit) must not reach sources that do not ask for Qt.
set(QV_TEST_HEADERS <gtest/gtest.h> <string> <vector> <memory> <functional>)
set(QV_QT_TARGETS qv_skin_ui qv_skin_controls qv_windows qv_windows_controls qv_crashbox qv_app qv_skin_demo)

# A header set compiled by host and reused by every other target named that this tree builds.
function(qv_precompile_headers host headers)
  if(NOT TARGET ${host})
    return()
  endif()
  target_precompile_headers(${host} PRIVATE ${headers})
  # Qt has the targets that link it compile position-independent code, and clang refuses a header
  # compiled for another kind of code: all of them take -fPIC.
  target_compile_options(${host} PRIVATE -fPIC)
  foreach(target IN LISTS ARGN)
    if(TARGET ${target})
      target_precompile_headers(${target} REUSE_FROM ${host})
      target_compile_options(${target} PRIVATE -fPIC)
      # GCC skips a header it cannot use without a word; this says so.
      target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Winvalid-pch>)
    endif()
  endforeach()
endfunction()

# Called once every target exists.
function(qv_use_precompiled_headers)
  if(NOT QV_PRECOMPILE_HEADERS)
    return()
  endif()
  qv_precompile_headers(qv_framework_gui "${QV_QT_HEADERS}" ${QV_QT_TARGETS})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    get_property(tests GLOBAL PROPERTY QV_TEST_TARGETS)
    qv_precompile_headers(qv_test_support "${QV_TEST_HEADERS}" ${tests})
  endif()
endfunction()

# Without a time stamp in it, a precompiled header can come from the compiler cache.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options("SHELL:-Xclang -fno-pch-timestamp")
endif()
