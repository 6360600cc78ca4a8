# Precompiled headers. Nearly every file of the program includes a good part of
# Qt, and parsing those headers was most of the time of a fresh build. Three
# headers are compiled once each and reused by every target of their kind:
#   core     Qt Core and Qt Gui (the headless libraries, noxtool)
#   widgets  core + Qt Widgets (the window libraries, the program)
#   test     widgets + Qt Test (every test)
# A precompiled header is only used by a compile with the same Qt module
# definitions (QT_WIDGETS_LIB and the like), so a target must be given the kind
# that matches what it links; GCC warns (-Winvalid-pch) when one does not fit.
# -DNOX_PCH=OFF builds without them.
option(NOX_PCH "Precompile the Qt headers shared by the libraries and tests" ON)
if(NOX_BUILD_FUZZ)
  set(NOX_PCH OFF)
endif()

# ccache caches compiles that use a precompiled header only when told that the
# header's time stamps and __DATE__/__TIME__ may be ignored (the header's
# contents are hashed all the same).
if(NOX_PCH AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  set(CMAKE_CXX_COMPILER_LAUNCHER
    env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

set(nox_pch_core_headers
  <algorithm> <functional> <memory> <optional> <vector>
  <QByteArray> <QColor> <QCoreApplication> <QDate> <QDateTime> <QDir> <QFile> <QFileInfo>
  <QFont> <QFontMetrics> <QGuiApplication> <QHash> <QImage> <QKeyEvent> <QList> <QMouseEvent>
  <QObject> <QPainter> <QPixmap> <QPointer> <QRect> <QSet> <QString> <QStringDecoder>
  <QStringEncoder> <QStringList> <QTemporaryDir> <QTimer> <QUrl>)
set(nox_pch_widgets_headers ${nox_pch_core_headers}
  <QAction> <QApplication> <QCheckBox> <QComboBox> <QDateEdit> <QDialog> <QGridLayout>
  <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit> <QListWidget> <QMenu> <QMessageBox>
  <QPlainTextEdit> <QPushButton> <QScrollBar> <QSpinBox> <QStyle> <QVBoxLayout> <QWidget>)
# The last one turns QTEST_MAIN into a registration with the folder's test program.
set(nox_pch_test_headers ${nox_pch_widgets_headers} <QSignalSpy> <QtTest>
  ${PROJECT_SOURCE_DIR}/tests/common/testbundle.h)

# Qt Test defines QT_TESTCASE_BUILDDIR and QT_TESTCASE_SOURCEDIR as the folders
# of each target, and its header asks for them, so a test's compile would
# refuse a header precompiled in another folder. The tests do without them:
# QFINDTESTDATA still finds files relative to the test's source file.
set(nox_pch_test_options -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)

if(NOX_PCH)
  set(nox_pch_source ${CMAKE_BINARY_DIR}/nox_pch.cpp)
  file(WRITE ${nox_pch_source} "// The precompiled headers are built with this empty file.\n")
  set(kinds core widgets)
  if(NOX_BUILD_TESTS)
    list(APPEND kinds test)
  endif()
  foreach(kind ${kinds})
    add_library(nox_pch_${kind} OBJECT ${nox_pch_source})
    set_target_properties(nox_pch_${kind} PROPERTIES AUTOMOC OFF POSITION_INDEPENDENT_CODE ON)
    target_precompile_headers(nox_pch_${kind} PRIVATE ${nox_pch_${kind}_headers})
  endforeach()
  target_link_libraries(nox_pch_core PRIVATE Qt6::Core Qt6::Gui)
  target_link_libraries(nox_pch_widgets PRIVATE Qt6::Core Qt6::Gui Qt6::Widgets)
  if(NOX_BUILD_TESTS)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    target_link_libraries(nox_pch_test PRIVATE Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Test)
    target_compile_options(nox_pch_test PRIVATE ${nox_pch_test_options})
  endif()
endif()

# nox_links_qt(VAR QT_TARGET LIBS...): true in VAR when LIBS link QT_TARGET
# (Qt6::Widgets, Qt6::Gui), directly or through their libraries.
function(nox_links_qt var qt)
  set(seen)
  set(todo ${ARGN})
  set(result FALSE)
  while(todo)
    list(POP_FRONT todo lib)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
    if(lib IN_LIST seen OR NOT TARGET ${lib})
      continue()
    endif()
    list(APPEND seen ${lib})
    if(lib STREQUAL qt)
      set(result TRUE)
      break()
    endif()
    get_target_property(type ${lib} TYPE)
    get_target_property(aliased ${lib} ALIASED_TARGET)
    if(aliased)
      list(APPEND todo ${aliased})
    endif()
    get_target_property(deps ${lib} INTERFACE_LINK_LIBRARIES)
    if(deps)
      list(APPEND todo ${deps})
    endif()
    if(NOT type STREQUAL "INTERFACE_LIBRARY" AND NOT lib MATCHES "::")
      get_target_property(deps ${lib} LINK_LIBRARIES)
      if(deps)
        list(APPEND todo ${deps})
      endif()
    endif()
  endwhile()
  set(${var} ${result} PARENT_SCOPE)
endfunction()

# nox_use_pch_for(TARGET LIBS...): the precompiled headers that fit a target
# linking LIBS, if any does.
function(nox_use_pch_for target)
  nox_links_qt(widgets Qt6::Widgets ${ARGN})
  nox_links_qt(gui Qt6::Gui ${ARGN})
  if(widgets)
    nox_use_pch(${target} widgets)
  elseif(gui)
    nox_use_pch(${target} core)
  endif()
endfunction()

# nox_use_pch(TARGET KIND): compile TARGET with the precompiled headers of KIND.
function(nox_use_pch target kind)
  if(NOX_PCH)
    target_precompile_headers(${target} REUSE_FROM nox_pch_${kind})
    if(kind STREQUAL "test")
      target_compile_options(${target} PRIVATE ${nox_pch_test_options})
    endif()
  endif()
endfunction()
