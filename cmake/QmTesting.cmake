# qm_add_test(<subsystem> LIBS <targets...>) builds test_<subsystem> from tests/<subsystem>/*.cpp,
# links GoogleTest's main and registers every case with CTest. The folder's data/ directory is
# passed to the code as QM_TEST_DATA_DIR.
function(qm_add_test subsystem)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${subsystem}/*.cpp)
    if(NOT sources)
        return()
    endif()
    set(target test_${subsystem})
    add_executable(${target} ${sources} ${PROJECT_SOURCE_DIR}/tests/lsan_suppressions.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock qm_warnings)
    target_compile_definitions(${target} PRIVATE
        QM_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${subsystem}/data"
        QM_CLI_PATH="$<TARGET_FILE:quillmarsh-cli>")
    # Window tests run on Qt's offscreen platform.
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
