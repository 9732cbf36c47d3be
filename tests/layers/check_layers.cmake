# The folders are layers, and includes point down only:
#   link  <  meter, archive, scan  <  config, journal, model  <  windows, collect
# Every folder with sources at the top of the tree must have a rank here, so a
# new folder cannot slip past the check. A file that includes a folder of a
# higher rank, or a form (ui_*.h) outside the windows, fails the check. The
# stand-in (sim) includes nothing of the program: it keeps its own framing so
# that it does not merely mirror it. cmake -DSOURCE_DIR=... -P check_layers.cmake
cmake_policy(SET CMP0057 NEW)
set(rank_link 0)
set(rank_meter 1)
set(rank_archive 1)
set(rank_scan 1)
set(rank_config 2)
set(rank_journal 2)
set(rank_model 2)
set(rank_windows 3)
set(rank_collect 3)
# Inside windows/, each job's windows in a folder of their own: the shared
# widgets below them all, the main window above them all (it opens them), and
# no job's windows reach into another's.
set(window_rank_widgets 0)
set(window_rank_line 1)
set(window_rank_service 1)
set(window_rank_journal_windows 1)
set(window_rank_main_window 2)

# Not part of the program's layers: tests, benchmarks and fuzzers may include
# anything; the forms and translations hold no code.
set(outside tests bench fuzz forms translations third_party docs cmake tools)

set(violations "")
file(GLOB entries LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(folder ${entries})
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}" OR folder MATCHES "^\\." OR folder MATCHES "^build"
       OR folder IN_LIST outside)
        continue()
    endif()
    file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    if(NOT files)
        continue()
    endif()
    if(folder STREQUAL "sim")
        set(own_rank -1)
    elseif(DEFINED rank_${folder})
        set(own_rank ${rank_${folder}})
    else()
        list(APPEND violations "${folder}/ holds sources but has no layer in check_layers.cmake")
        continue()
    endif()
    foreach(file ${files})
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${includes})
            string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
            set(included "${CMAKE_MATCH_1}")
            file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
            if(included MATCHES "^ui_" AND NOT folder STREQUAL "windows")
                list(APPEND violations "${shown} includes the form ${included}")
            elseif(included MATCHES "^([a-z_]+)/")
                set(target "${CMAKE_MATCH_1}")
                if(DEFINED rank_${target} AND rank_${target} GREATER own_rank)
                    list(APPEND violations "${shown} includes ${included} from a higher layer")
                endif()
            endif()
            if(folder STREQUAL "windows" AND included MATCHES "^windows/([a-z_]+)/")
                set(target "${CMAKE_MATCH_1}")
                if(shown MATCHES "^windows/([a-z_]+)/")
                    set(own "${CMAKE_MATCH_1}")
                    if(NOT DEFINED window_rank_${own})
                        list(APPEND violations "windows/${own}/ has no place in check_layers.cmake")
                    elseif(NOT target STREQUAL own AND NOT window_rank_${target} LESS window_rank_${own})
                        list(APPEND violations "${shown} includes ${included}: another job's windows or a higher one")
                    endif()
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " shown)
    message(FATAL_ERROR "Includes against the layers:\n  ${shown}")
endif()
message(STATUS "Layers kept: link < meter, archive, scan < config, journal, model < windows, collect;"
               " windows: widgets < line, service, journal_windows < main_window")
