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
