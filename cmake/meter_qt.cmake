# Qt 5 or Qt 6 from the same sources. -DQT_VERSION_MAJOR=5 or 6 picks one;
# without it, Qt 5 when both are installed. Targets are then linked as
# Qt${QT_VERSION_MAJOR}::Module. Shared by the program's build and the fuzz
# harnesses' (fuzz/CMakeLists.txt).
#
#   meter_find_qt(<component>...)   finds Qt with those components, required
set(meter_qt5_minimum 5.12)
set(meter_qt6_minimum 6.4)

macro(meter_find_qt)
    # Not find_package(QT NAMES Qt5 Qt6): with both installed side by side it
    # may take either.
    if(NOT QT_VERSION_MAJOR)
        find_package(Qt5 ${meter_qt5_minimum} QUIET COMPONENTS Core)
        if(Qt5_FOUND)
            set(QT_VERSION_MAJOR 5)
        else()
            set(QT_VERSION_MAJOR 6)
        endif()
    endif()
    set(QT_VERSION_MAJOR ${QT_VERSION_MAJOR} CACHE STRING "Qt major version to build with (5 or 6)" FORCE)
    if(NOT QT_VERSION_MAJOR MATCHES "^[56]$")
        message(FATAL_ERROR "QT_VERSION_MAJOR is ${QT_VERSION_MAJOR}: 5 or 6")
    endif()
    find_package(Qt${QT_VERSION_MAJOR} ${meter_qt${QT_VERSION_MAJOR}_minimum} REQUIRED COMPONENTS ${ARGN})
    message(STATUS "Building with Qt ${Qt${QT_VERSION_MAJOR}Core_VERSION}")
endmacro()

# A static Qt (the Windows build) links only the plugins named: the
# journal's SQLite driver for the program and the tests, and for the tests,
# which run headless, the offscreen platform.
#   meter_import_static_plugins(<target> [OFFSCREEN])
function(meter_import_static_plugins target)
    get_target_property(type Qt${QT_VERSION_MAJOR}::Core TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
        return()
    endif()
    set(plugins)
    if(TARGET Qt${QT_VERSION_MAJOR}::QSQLiteDriverPlugin)
        list(APPEND plugins Qt${QT_VERSION_MAJOR}::QSQLiteDriverPlugin)
    endif()
    if("OFFSCREEN" IN_LIST ARGN)
        list(APPEND plugins Qt${QT_VERSION_MAJOR}::QOffscreenIntegrationPlugin)
    endif()
    if(QT_VERSION_MAJOR EQUAL 5)
        qt5_import_plugins(${target} INCLUDE ${plugins})
    else()
        qt6_import_plugins(${target} INCLUDE ${plugins})
    endif()
endfunction()

# Compiles the .ts files with the lrelease of the Qt in use; the .qm paths in
# <out_var>. Leaves <out_var> empty without Qt's Linguist tools.
function(meter_add_translations out_var)
    find_package(Qt${QT_VERSION_MAJOR}LinguistTools ${meter_qt${QT_VERSION_MAJOR}_minimum} QUIET)
    set(qm_files)
    if(Qt${QT_VERSION_MAJOR}LinguistTools_FOUND)
        if(QT_VERSION_MAJOR EQUAL 5)
            qt5_add_translation(qm_files ${ARGN})
        else()
            qt6_add_translation(qm_files ${ARGN})
        endif()
    endif()
    set(${out_var} ${qm_files} PARENT_SCOPE)
endfunction()
