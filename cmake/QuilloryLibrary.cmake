# quillory_library(<name> DIR <dir> [DEPS <targets...>] [EXCLUDE <files...>])
# One static library per folder; sources are the folder's own *.cpp/*.h (not recursive).
function(quillory_library name)
    cmake_parse_arguments(QL "" "DIR" "DEPS;EXCLUDE" ${ARGN})
    if(NOT QL_DIR)
        set(QL_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${QL_DIR}/*.cpp ${QL_DIR}/*.h)
    foreach(ex IN LISTS QL_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "/${ex}$")
    endforeach()
    if(NOT sources)
        message(FATAL_ERROR "quillory_library(${name}): no sources in ${QL_DIR}")
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC quillory_options ${QL_DEPS})
endfunction()

# quillory_tests(<folder> [WIDGETS] DEPS <targets...>): tests/unit/<folder>/*.cpp into one
# GoogleTest program. Its main is the folder's TestMain.cpp if it has one, else the shared one
# that creates a QApplication (WIDGETS) or GoogleTest's own.
function(quillory_tests folder)
    cmake_parse_arguments(QT "WIDGETS" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/${folder}/*.cpp
         ${PROJECT_SOURCE_DIR}/tests/unit/${folder}/*.h)
    if(NOT sources)
        message(FATAL_ERROR "quillory_tests(${folder}): no tests in tests/unit/${folder}")
    endif()
    if(EXISTS ${PROJECT_SOURCE_DIR}/tests/unit/${folder}/TestMain.cpp)
        set(main_lib "")
    elseif(QT_WIDGETS)
        list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
        set(main_lib "")
    else()
        set(main_lib GTest::gtest_main)
    endif()
    add_executable(${folder}_tests ${sources})
    target_link_libraries(${folder}_tests PRIVATE quillory_options test_support ${QT_DEPS}
                          GTest::gtest GTest::gmock ${main_lib})
    target_compile_definitions(${folder}_tests PRIVATE QUILLORY_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                               QUILLORY_TEMPLATE_DIR="${CMAKE_BINARY_DIR}")
    add_dependencies(${folder}_tests templates)
    gtest_discover_tests(${folder}_tests
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()
