# Qt's headers, precompiled. Most of the time a widget file or a window test
# takes to compile goes into reading Qt's headers again; GCC reads them once
# per precompiled header instead.
#
# A precompiled header serves only the files whose macros include those it was
# made with, with the same values (GCC refuses it otherwise: -Winvalid-pch,
# an error under KIV_WERROR). Hence two of them:
#  - kivlines' (Qt Core, Gui, Widgets), shared by kivgrid and by every library
#    and program that links kivlines, kivgrid or kivapp outside tests/app:
#    their macros are kivlines' and more;
#  - one of the window tests (tests/app), with QtTest too: QtTest's headers
#    name the test's folder (QT_TESTCASE_BUILDDIR), so it serves that folder
#    alone.
# -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them.

if(NOT TARGET kivlines)
  return()
endif()

set(KIV_PCH_WIDGETS
  <QtCore/QObject>
  <QtCore/QString>
  <QtCore/QTimer>
  <QtGui/QClipboard>
  <QtGui/QFont>
  <QtGui/QKeyEvent>
  <QtGui/QPainter>
  <QtGui/QTextLayout>
  <QtWidgets/QAbstractScrollArea>
  <QtWidgets/QApplication>
  <QtWidgets/QPlainTextEdit>
  <QtWidgets/QScrollBar>
  <QtWidgets/QWidget>)
target_precompile_headers(kivlines PRIVATE ${KIV_PCH_WIDGETS})

# Every library and program of the build, folder by folder.
function(kiv_all_targets var dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    kiv_all_targets(more ${subdir})
    list(APPEND targets ${more})
  endforeach()
  set(${var} ${targets} PARENT_SCOPE)
endfunction()

# The window's libraries and whatever links them: the window tests on one side,
# the rest on the other.
kiv_all_targets(KIV_ALL_TARGETS ${PROJECT_SOURCE_DIR})
set(KIV_PCH_APP_TESTS)
set(KIV_PCH_OTHERS)
foreach(target IN LISTS KIV_ALL_TARGETS)
  get_target_property(type ${target} TYPE)
  get_target_property(links ${target} LINK_LIBRARIES)
  if(target STREQUAL "kivlines" OR NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY)$")
    continue()
  endif()
  # A Windows program of the window's kind gets Qt's entry point, whose macro
  # (QT_NEEDS_QMAIN with MinGW) no header was precompiled with: kivlogs is
  # its main.cpp alone, compiled without.
  get_target_property(windowed ${target} WIN32_EXECUTABLE)
  if(WIN32 AND windowed)
    continue()
  endif()
  set(widgets NO)
  if(target STREQUAL "kivgrid")
    set(widgets YES)
  elseif(links)
    foreach(library IN ITEMS kivlines kivgrid kivapp)
      if(library IN_LIST links)
        set(widgets YES)
      endif()
    endforeach()
  endif()
  if(NOT widgets)
    continue()
  endif()
  get_target_property(dir ${target} SOURCE_DIR)
  if(dir STREQUAL "${PROJECT_SOURCE_DIR}/tests/app")
    list(APPEND KIV_PCH_APP_TESTS ${target})
  else()
    list(APPEND KIV_PCH_OTHERS ${target})
  endif()
endforeach()
foreach(target IN LISTS KIV_PCH_OTHERS)
  target_precompile_headers(${target} REUSE_FROM kivlines)
endforeach()

# The window tests' header is made by one of them that defines no macro of its
# own (KeywordSearchTest's KIVLOGS_CLI would keep the others from it).
set(owner)
foreach(target IN LISTS KIV_PCH_APP_TESTS)
  get_target_property(defines ${target} COMPILE_DEFINITIONS)
  if(NOT defines)
    set(owner ${target})
    break()
  endif()
endforeach()
if(owner)
  target_precompile_headers(${owner} PRIVATE
    ${KIV_PCH_WIDGETS}
    <QtPrintSupport/QPrinter>
    <QtTest/QSignalSpy>
    <QtTest/QTest>)
  foreach(target IN LISTS KIV_PCH_APP_TESTS)
    if(NOT target STREQUAL owner)
      target_precompile_headers(${target} REUSE_FROM ${owner})
    endif()
  endforeach()
endif()
