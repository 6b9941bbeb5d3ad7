# Native build of the portable logic and its tests, with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(pellwick_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(pellwick_portable PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(pellwick_portable PRIVATE ${WARNING_FLAGS})
target_compile_options(pellwick_portable PUBLIC ${SANITIZE_FLAGS} -g)
target_link_options(pellwick_portable PUBLIC ${SANITIZE_FLAGS})

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_compile_options(native_tests PRIVATE ${WARNING_FLAGS})
target_link_libraries(native_tests PRIVATE pellwick_portable GTest::gtest_main)
gtest_discover_tests(native_tests DISCOVERY_MODE PRE_TEST)

# The stand-in verification service (tools/fmd_standin) and its tests.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
add_library(standin_core STATIC
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/pack_barcode.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/pack_model.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/standin_service.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/tls_front.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/update_server.cpp)
target_include_directories(standin_core PUBLIC ${PROJECT_SOURCE_DIR}/tools/fmd_standin)
target_compile_options(standin_core PRIVATE ${WARNING_FLAGS})
target_compile_options(standin_core PUBLIC ${SANITIZE_FLAGS} -g)
target_link_options(standin_core PUBLIC ${SANITIZE_FLAGS})
target_link_libraries(standin_core PUBLIC Threads::Threads PkgConfig::HTTPLIB)

add_executable(fmd_standin ${PROJECT_SOURCE_DIR}/tools/fmd_standin/main.cpp)
target_compile_options(fmd_standin PRIVATE ${WARNING_FLAGS})
target_link_libraries(fmd_standin PRIVATE standin_core)

file(GLOB STANDIN_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/standin/*_test.cpp)
add_executable(standin_tests ${STANDIN_TEST_SOURCES})
target_compile_options(standin_tests PRIVATE ${WARNING_FLAGS})
target_compile_definitions(standin_tests PRIVATE
    STANDIN_EXE="$<TARGET_FILE:fmd_standin>"
    STANDIN_PACKS="${PROJECT_SOURCE_DIR}/tools/fmd_standin/packs.json")
target_link_libraries(standin_tests PRIVATE standin_core pellwick_portable GTest::gtest_main)
add_dependencies(standin_tests fmd_standin)
gtest_discover_tests(standin_tests DISCOVERY_MODE PRE_TEST)

# Fuzzing reply filling and the escapers for a bounded time on every test run.
# libFuzzer writes what it finds into the first folder, a build-tree copy, so
# the corpus in the repository stays small and unchanged.
add_executable(reply_escape_fuzz ${PROJECT_SOURCE_DIR}/tests/fuzz/reply_escape_fuzz.cpp)
target_compile_options(reply_escape_fuzz PRIVATE ${WARNING_FLAGS} -fsanitize=fuzzer)
target_link_options(reply_escape_fuzz PRIVATE -fsanitize=fuzzer)
target_link_libraries(reply_escape_fuzz PRIVATE pellwick_portable)
add_test(NAME fuzz.ReplyAndEscapers
         COMMAND ${CMAKE_COMMAND} -E env ${PROJECT_SOURCE_DIR}/tools/run-fuzzer.sh
                 $<TARGET_FILE:reply_escape_fuzz> ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus
                 ${CMAKE_BINARY_DIR}/fuzz-corpus 20)
