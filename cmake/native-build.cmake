# Native build of the portable logic and its tests, with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

find_package(PkgConfig REQUIRED)
pkg_check_modules(SQLITE REQUIRED IMPORTED_TARGET sqlite3)
add_library(pellwick_portable STATIC ${PORTABLE_SOURCES})
target_link_libraries(pellwick_portable PUBLIC PkgConfig::SQLITE)
target_include_directories(pellwick_portable PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(pellwick_portable PRIVATE ${WARNING_FLAGS})
target_compile_options(pellwick_portable PUBLIC ${SANITIZE_FLAGS} -g)
target_link_options(pellwick_portable PUBLIC ${SANITIZE_FLAGS})

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_compile_options(native_tests PRIVATE ${WARNING_FLAGS})
target_link_libraries(native_tests PRIVATE pellwick_portable GTest::gtest_main)
target_compile_definitions(native_tests PRIVATE PELLWICK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(native_tests DISCOVERY_MODE PRE_TEST)

# The stand-in verification service (tools/fmd_standin) and its tests.
find_package(Threads REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(OpenSSL REQUIRED)
add_library(standin_core STATIC
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/pack_barcode.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/pack_model.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/standin_service.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/tls_front.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/tls_terminator.cpp
    ${PROJECT_SOURCE_DIR}/tools/fmd_standin/update_server.cpp)
target_include_directories(standin_core PUBLIC ${PROJECT_SOURCE_DIR}/tools/fmd_standin)
target_compile_options(standin_core PRIVATE ${WARNING_FLAGS})
target_compile_options(standin_core PUBLIC ${SANITIZE_FLAGS} -g)
target_link_options(standin_core PUBLIC ${SANITIZE_FLAGS})
target_link_libraries(standin_core PUBLIC Threads::Threads PkgConfig::HTTPLIB OpenSSL::SSL)

# The tests' certificate authority and the stand-in's certificate, made once
# per build tree; the stand-in finds them beside itself.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/test-ca.pem ${CMAKE_BINARY_DIR}/standin-cert.pem
                          ${CMAKE_BINARY_DIR}/standin-key.pem
                   COMMAND ${PROJECT_SOURCE_DIR}/tools/make-test-ca.sh ${CMAKE_BINARY_DIR}
                   DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-test-ca.sh)
add_custom_target(test_certificates ALL DEPENDS ${CMAKE_BINARY_DIR}/test-ca.pem)

add_executable(fmd_standin ${PROJECT_SOURCE_DIR}/tools/fmd_standin/main.cpp)
target_compile_options(fmd_standin PRIVATE ${WARNING_FLAGS})
target_link_libraries(fmd_standin PRIVATE standin_core)
add_dependencies(fmd_standin test_certificates)

file(GLOB STANDIN_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/standin/*_test.cpp)
add_executable(standin_tests ${STANDIN_TEST_SOURCES})
target_compile_options(standin_tests PRIVATE ${WARNING_FLAGS})
target_compile_definitions(standin_tests PRIVATE
    STANDIN_EXE="$<TARGET_FILE:fmd_standin>"
    STANDIN_PACKS="${PROJECT_SOURCE_DIR}/tools/fmd_standin/packs.json")
target_link_libraries(standin_tests PRIVATE standin_core pellwick_portable GTest::gtest_main)
add_dependencies(standin_tests fmd_standin)
gtest_discover_tests(standin_tests DISCOVERY_MODE PRE_TEST)

# A fuzz target run for a bounded time on every test run. libFuzzer writes
# what it finds into the first folder, a build-tree copy, so the corpus in the
# repository stays small and unchanged; the long runs are tools/fuzz-long.sh.
function(pellwick_fuzz_target target test corpus seconds)
    add_executable(${target} ${PROJECT_SOURCE_DIR}/tests/fuzz/${target}.cpp)
    target_compile_options(${target} PRIVATE ${WARNING_FLAGS} -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${target} PRIVATE pellwick_portable)
    add_test(NAME ${test}
             COMMAND ${CMAKE_COMMAND} -E env ${PROJECT_SOURCE_DIR}/tools/run-fuzzer.sh
                     $<TARGET_FILE:${target}> ${PROJECT_SOURCE_DIR}/tests/fuzz/${corpus}
                     ${CMAKE_BINARY_DIR}/${corpus}-copy ${seconds})
endfunction()
pellwick_fuzz_target(reply_escape_fuzz fuzz.ReplyAndEscapers corpus 20)  # reply filling and the escapers
pellwick_fuzz_target(pack_code_fuzz fuzz.PackCode pack_code_corpus 5)

# Reading one scan's pack code against its budget (tools/bench.sh), compiled
# as the program is (optimised, no sanitizers).
add_executable(pack_code_bench ${PROJECT_SOURCE_DIR}/tools/bench/pack_code_bench.cpp
    ${PROJECT_SOURCE_DIR}/src/packcode/pack_code.cpp ${PROJECT_SOURCE_DIR}/src/packcode/pack_code_checks.cpp
    ${PROJECT_SOURCE_DIR}/src/core/test_barcodes.cpp)
target_include_directories(pack_code_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(pack_code_bench PRIVATE ${WARNING_FLAGS} -O2)

# How the reader takes generated valid codes and single lost separators
# (tools/bench.sh): figures, no budget.
add_executable(pack_code_drops ${PROJECT_SOURCE_DIR}/tools/bench/pack_code_drops.cpp
    ${PROJECT_SOURCE_DIR}/src/packcode/pack_code.cpp ${PROJECT_SOURCE_DIR}/src/packcode/pack_code_checks.cpp)
target_include_directories(pack_code_drops PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(pack_code_drops PRIVATE ${WARNING_FLAGS} -O2)
