# Windows build: the program, its test executables and tools, all linked
# statically so that they import only system DLLs.
enable_language(RC)
include(${CMAKE_CURRENT_LIST_DIR}/version.cmake)
set(STATIC_LINK -static -static-libgcc -static-libstdc++)
# dbghelp, version and winmm are not among them: the loader would look for
# them in the program's folder first, so the program loads them itself from
# the system folder (framework/system_library.h).
set(SYSTEM_LIBS comctl32 comdlg32 shell32 gdiplus ws2_32 user32 gdi32 ole32 bcrypt)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(SERIAL_WINE_PREFIX ${CMAKE_BINARY_DIR}/serial-prefix)
set(BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${BIN_DIR})
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# SQLite, compiled once from a pinned source by tools/bootstrap.sh.
set(PELLWICK_SQLITE_DIR "" CACHE PATH "The folder with sqlite3.h and the Windows libsqlite3.a")
if(NOT EXISTS "${PELLWICK_SQLITE_DIR}/libsqlite3.a")
    message(FATAL_ERROR "PELLWICK_SQLITE_DIR must hold sqlite3.h and libsqlite3.a (tools/bootstrap.sh builds them)")
endif()
add_library(sqlite3_static STATIC IMPORTED)
set_target_properties(sqlite3_static PROPERTIES IMPORTED_LOCATION ${PELLWICK_SQLITE_DIR}/libsqlite3.a
                      INTERFACE_INCLUDE_DIRECTORIES ${PELLWICK_SQLITE_DIR})

set(CORE_SOURCES
    ${PORTABLE_SOURCES}
    src/framework/control.cpp
    src/framework/dialog.cpp
    src/framework/ui_language.cpp
    src/framework/error_text.cpp
    src/framework/system_library.cpp
    src/framework/win_app.cpp
    src/framework/win_thread.cpp
    src/app/crash_filter.cpp
    src/core/failure_report.cpp
    src/app/fmd_app.cpp
    src/app/export_history_command.cpp
    src/app/command_output.cpp
    src/app/report_command.cpp
    src/core/log.cpp
    src/core/program_context.cpp
    src/core/main_window_facade.cpp
    src/core/settings_store.cpp
    src/app/single_instance.cpp
    src/core/trace_log.cpp
    src/scanner/barcode_reader_thread.cpp
    src/framework/file_ops.cpp
    src/framework/computer_name.cpp
    src/framework/sqlite_name.cpp
    src/framework/code_page_text.cpp
    src/framework/replacing_file.cpp
    src/scanner/handle_barcode.cpp
    src/scanner/port_device.cpp
    src/scanner/port_discovery.cpp
    src/scanner/spool_file.cpp
    src/ui/controls/caption_font.cpp
    src/ui/controls/color_button.cpp
    src/ui/controls/frame_panel.cpp
    src/ui/controls/message_box.cpp
    src/ui/controls/save_dialog.cpp
    src/ui/controls/popup_window.cpp
    src/ui/controls/product_scan_dialog.cpp
    src/ui/controls/rich_text.cpp
    src/ui/controls/text_label.cpp
    src/ui/controls/tooltip.cpp
    src/ui/main/main_dialog.cpp
    src/ui/main/main_window_actions.cpp
    src/ui/main/held_scans.cpp
    src/ui/main/modes.cpp
    src/ui/main/results_list.cpp
    src/ui/main/test_bench.cpp
    src/ui/main/tray_icon.cpp
    src/ui/main/updates.cpp
    src/ui/settings/about_dialog.cpp
    src/ui/settings/counter_safety_dialog.cpp
    src/ui/settings/language_dialog.cpp
    src/ui/settings/reset_scanner_dialog.cpp
    src/ui/settings/scanner_test_dialog.cpp
    src/ui/main/scanner_test_host.cpp
    src/ui/main/history_host.cpp
    src/ui/main/delivery_host.cpp
    src/ui/delivery/delivery_layout.cpp
    src/ui/delivery/delivery_window.cpp
    src/ui/delivery/activity_dialog.cpp
    src/ui/history/history_export_thread.cpp
    src/ui/history/windows_csv_files.cpp
    src/ui/history/history_window.cpp
    src/ui/history/history_window_actions.cpp
    src/ui/history/history_window_list.cpp
    src/ui/history/alert_case_dialog.cpp
    src/ui/controls/picture_thumbnail.cpp
    src/ui/settings/settings_dialog.cpp
    src/ui/settings/sheet_dialog.cpp
    src/ui/update/installer_fetch.cpp
    src/ui/update/update_memory.cpp
    src/ui/update/signature_check.cpp
    src/verify/curl_exchange.cpp
    src/verify/expiry_clock.cpp
    src/verify/fmd_thread.cpp
    src/verify/fmd_waiting.cpp
    src/verify/fmd_held.cpp
    src/verify/fmd_account.cpp
    src/verify/service_exchange.cpp
    src/verify/scan_history.cpp
    src/core/scan_result_post.cpp
)

# Everything but the entry points, so that test executables link the
# program's own code.
# The public key that installers must be signed with: a release's, or else a
# key pair made for this build (its private half stays in the build folder,
# for the tests and the demo to sign with).
set(PELLWICK_UPDATE_PUBLIC_KEY "" CACHE FILEPATH "The maker's public update key (PEM); empty: a key of this build")
set(UPDATE_KEY_DIR ${CMAKE_BINARY_DIR}/update-key)
set(UPDATE_SIGNING ${PROJECT_SOURCE_DIR}/tools/update_signing.py)
if(PELLWICK_UPDATE_PUBLIC_KEY)
    add_custom_command(OUTPUT ${UPDATE_KEY_DIR}/update_public_key.h
                       COMMAND python3 ${UPDATE_SIGNING} public ${PELLWICK_UPDATE_PUBLIC_KEY}
                               ${UPDATE_KEY_DIR}/update_public_key.h
                       DEPENDS ${UPDATE_SIGNING} ${PELLWICK_UPDATE_PUBLIC_KEY})
else()
    add_custom_command(OUTPUT ${UPDATE_KEY_DIR}/update_public_key.h
                       COMMAND python3 ${UPDATE_SIGNING} key ${UPDATE_KEY_DIR} DEPENDS ${UPDATE_SIGNING})
endif()
add_custom_target(update_key DEPENDS ${UPDATE_KEY_DIR}/update_public_key.h)

function(pellwick_core_library name)
    add_library(${name} STATIC ${CORE_SOURCES})
    add_dependencies(${name} update_key)
    target_include_directories(${name} PRIVATE ${UPDATE_KEY_DIR})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${WARNING_FLAGS})
    target_link_libraries(${name} PUBLIC sqlite3_static ${SYSTEM_LIBS})
    target_link_options(${name} PUBLIC ${STATIC_LINK})
endfunction()
pellwick_core_library(pellwick_core)

# The program's resources, linked into the program and into the tests that
# run its windows. The settings sheets' pictures are drawn by the build, the
# set-up QR codes from res/scanner-codes.
set(PROGRAM_RESOURCES res/pellwick.rc)
set(BITMAP_DIR ${CMAKE_BINARY_DIR}/bitmaps)
set(GENERATED_BITMAPS cipherlab-setup.bmp cipherlab-web.bmp symbol-scanner.bmp symbol-setup-code.bmp
                      symbol-web-code.bmp)
list(TRANSFORM GENERATED_BITMAPS PREPEND ${BITMAP_DIR}/)
file(GLOB SCANNER_CODE_TEXTS ${PROJECT_SOURCE_DIR}/res/scanner-codes/*.txt)
add_custom_command(OUTPUT ${GENERATED_BITMAPS}
                   COMMAND ${PROJECT_SOURCE_DIR}/tools/make-bitmaps.sh ${BITMAP_DIR}
                   DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-bitmaps.sh ${SCANNER_CODE_TEXTS}
                   COMMENT "Drawing the scanner pictures and set-up codes")
# The scanner test's codes, drawn with zint from the contents the program
# compares scans with.
set(SCANNER_TEST_PICTURES ${BITMAP_DIR}/scanner-test-gs1.bmp ${BITMAP_DIR}/scanner-test-ppn.bmp
                          ${BITMAP_DIR}/scanner-test.png)
add_custom_command(OUTPUT ${SCANNER_TEST_PICTURES}
                   COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/make-scanner-test-codes.py ${BITMAP_DIR}
                   DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-scanner-test-codes.py
                           ${PROJECT_SOURCE_DIR}/src/packcode/scanner_test_codes.h
                   COMMENT "Drawing the scanner test's codes")
list(APPEND GENERATED_BITMAPS ${SCANNER_TEST_PICTURES})
add_test(NAME ScannerTestCodes.DecodeToTheirContents
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/make-scanner-test-codes.py --decode ${BITMAP_DIR})
add_custom_target(pellwick_bitmaps DEPENDS ${GENERATED_BITMAPS})
file(GLOB LANGUAGE_TEXTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/lang/*.def ${PROJECT_SOURCE_DIR}/res/lang/*.rc)
set_source_files_properties(${PROGRAM_RESOURCES} PROPERTIES OBJECT_DEPENDS "${GENERATED_BITMAPS};${LANGUAGE_TEXTS}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --include-dir=${BITMAP_DIR}")
add_test(NAME SetupCodes.DecodeToTheirTextFiles COMMAND ${PROJECT_SOURCE_DIR}/tests/setup_codes_test.sh ${BITMAP_DIR})

# The program's manifest, with its version, for the program and for the tests
# that run its windows (so that they meet the same common controls and DPI).
function(pellwick_manifest version folder)
    pellwick_fixed_version(${version} PELLWICK_VERSION_DOTTED)
    configure_file(${PROJECT_SOURCE_DIR}/res/pellwick.manifest.in ${folder}/pellwick.manifest @ONLY)
endfunction()
pellwick_manifest(${PELLWICK_VERSION} ${CMAKE_BINARY_DIR}/manifest)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --include-dir=${CMAKE_BINARY_DIR}/manifest")

# The program of a version: its core, its resources and its version resource.
function(pellwick_program target core version)
    pellwick_fixed_version(${version} dotted)
    string(REPLACE "." "," numbers "${dotted}")
    add_executable(${target} WIN32 src/app/main.cpp src/framework/win_main.cpp ${PROGRAM_RESOURCES} res/version.rc)
    target_compile_definitions(${target} PRIVATE PELLWICK_VERSION_FIXED=${numbers})
    target_compile_options(${target} PRIVATE ${WARNING_FLAGS})
    target_link_libraries(${target} PRIVATE ${core})
endfunction()
pellwick_program(Pellwick pellwick_core ${PELLWICK_VERSION})
add_test(NAME Imports.NoSystemDllFromTheProgramFolder
         COMMAND ${PROJECT_SOURCE_DIR}/tests/imports_test.sh $<TARGET_FILE:Pellwick>)

# Windows tests: one executable per concern, each TEST a ctest case run under
# Wine (tools/wine-run.sh provides the prefix and, when needed, a display).
set(STANDIN_EXE ${PROJECT_SOURCE_DIR}/build/native/fmd_standin CACHE FILEPATH
    "The stand-in service, from the native build")
# The tests' shared support, built once.
add_library(win_test_support STATIC tests/win/support/test_support.cpp tests/win/support/scan_fixture.cpp
                                    tests/win/support/serial_fixture.cpp tests/win/support/main_dialog_fixture.cpp)
target_compile_options(win_test_support PRIVATE ${WARNING_FLAGS})
target_include_directories(win_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests/win)
target_link_libraries(win_test_support PUBLIC pellwick_core GTest::gtest_main ws2_32)

function(pellwick_windows_test name)
    cmake_parse_arguments(ARG "STANDIN" "OUTPUT_DIR;SCANNERS" "SOURCES;RESOURCES;LOCK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES} ${ARG_RESOURCES})
    if(ARG_OUTPUT_DIR)
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR})
    endif()
    target_compile_options(${name} PRIVATE ${WARNING_FLAGS})
    target_link_libraries(${name} PRIVATE win_test_support)
    # A case that dies without a result says why and runs once more.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-test.sh)
    gtest_add_tests(TARGET ${name} SOURCES ${ARG_SOURCES} TEST_LIST discovered)
    set(environment "WINEPREFIX=${WINE_PREFIX};PELLWICK_BIN=${BIN_DIR}")
    if(ARG_SCANNERS)
        # Serial tests own a prefix of their own: they change its COM ports.
        set(environment "WINEPREFIX=${SERIAL_WINE_PREFIX};PELLWICK_BIN=${BIN_DIR};PELLWICK_SCANNERS=${ARG_SCANNERS}")
    endif()
    if(ARG_STANDIN)
        list(APPEND environment "PELLWICK_STANDIN=1" "PELLWICK_STANDIN_EXE=${STANDIN_EXE}"
             "PELLWICK_STANDIN_PACKS=${PROJECT_SOURCE_DIR}/tools/fmd_standin/packs.json")
    endif()
    set_tests_properties(${discovered} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 180)
    if(ARG_LOCK)
        set_tests_properties(${discovered} PROPERTIES RESOURCE_LOCK "${ARG_LOCK}")  # every lock, not only the first
    endif()
endfunction()

# A stand-in for the program that crashes on request, for the crash tests.
add_executable(crash_probe tests/win/crash_probe.cpp)
target_compile_options(crash_probe PRIVATE ${WARNING_FLAGS})
target_link_libraries(crash_probe PRIVATE pellwick_core)

pellwick_windows_test(trace_log_tests SOURCES tests/win/trace_log_test.cpp)
pellwick_windows_test(failure_report_tests SOURCES tests/win/failure_report_test.cpp)
pellwick_windows_test(framework_tests SOURCES tests/win/framework_test.cpp)
pellwick_windows_test(startup_tests SOURCES tests/win/startup_test.cpp LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(settings_store_tests SOURCES tests/win/settings_store_test.cpp LOCK pellwick_settings)
pellwick_windows_test(scan_result_post_tests SOURCES tests/win/scan_result_post_test.cpp)
pellwick_windows_test(crash_tests SOURCES tests/win/crash_test.cpp)
pellwick_windows_test(file_ops_tests SOURCES tests/win/file_ops_test.cpp)
pellwick_windows_test(spool_tests SOURCES tests/win/spool_test.cpp RESOURCES ${PROGRAM_RESOURCES})
pellwick_windows_test(reader_tests SOURCES tests/win/reader_test.cpp SCANNERS "5" LOCK serial_prefix)
pellwick_windows_test(scanner_test_tests SOURCES tests/win/scanner_test_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                      SCANNERS "5" LOCK serial_prefix)
pellwick_windows_test(port_discovery_tests SOURCES tests/win/port_discovery_test.cpp SCANNERS "5 7 9"
                      LOCK serial_prefix)
pellwick_windows_test(worker_tests STANDIN SOURCES tests/win/worker_test.cpp)
pellwick_windows_test(uncertain_outcome_tests STANDIN SOURCES tests/win/uncertain_outcome_test.cpp)
pellwick_windows_test(account_refusal_tests STANDIN SOURCES tests/win/account_refusal_test.cpp)
pellwick_windows_test(transport_tests STANDIN SOURCES tests/win/transport_test.cpp)
target_link_libraries(transport_tests PRIVATE crypt32)
# Built where no curl.exe lies beside it, for the "cannot be started" case.
pellwick_windows_test(curl_missing_tests STANDIN SOURCES tests/win/curl_missing_test.cpp OUTPUT_DIR ${BIN_DIR}/nocurl)
# Built beside a curl.exe that ignores its limits, for the backstop.
add_executable(stubborn_curl tests/win/stubborn_curl.cpp)
set_target_properties(stubborn_curl PROPERTIES OUTPUT_NAME curl RUNTIME_OUTPUT_DIRECTORY ${BIN_DIR}/stubborn)
target_link_options(stubborn_curl PRIVATE ${STATIC_LINK})
pellwick_windows_test(curl_backstop_tests SOURCES tests/win/curl_backstop_test.cpp OUTPUT_DIR ${BIN_DIR}/stubborn)
add_dependencies(curl_backstop_tests stubborn_curl)
pellwick_windows_test(main_dialog_tests STANDIN SOURCES tests/win/main_dialog_test.cpp
                      RESOURCES ${PROGRAM_RESOURCES} LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(results_list_tests SOURCES tests/win/results_list_test.cpp
                      RESOURCES ${PROGRAM_RESOURCES} LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(settings_tests STANDIN SOURCES tests/win/settings_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                      LOCK "pellwick_desktop;pellwick_settings")
# COM1 is a pty here, for the bench's reader case.
pellwick_windows_test(test_bench_tests STANDIN SOURCES tests/win/test_bench_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                      SCANNERS "1" LOCK "serial_prefix;pellwick_settings")
pellwick_windows_test(counter_safety_tests STANDIN SOURCES tests/win/counter_safety_test.cpp
                      RESOURCES ${PROGRAM_RESOURCES} LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(delivery_tests STANDIN SOURCES tests/win/delivery_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                      SCANNERS "5" LOCK "serial_prefix;pellwick_desktop;pellwick_settings")
pellwick_windows_test(controls_tests SOURCES tests/win/controls_test.cpp RESOURCES tests/win/test_dialogs.rc
                      LOCK pellwick_desktop)  # it moves the mouse
pellwick_windows_test(language_tests SOURCES tests/win/language_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                      LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(french_counter_tests STANDIN SOURCES tests/win/french_counter_test.cpp
                      RESOURCES ${PROGRAM_RESOURCES} LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(layout_tests SOURCES tests/win/layout_test.cpp RESOURCES ${PROGRAM_RESOURCES})
pellwick_windows_test(popup_tests SOURCES tests/win/popup_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                      LOCK pellwick_desktop)  # its boxes carry the instance title
# The update tests, with the real installers and signatures made with this
# build's key (cmake/package.cmake). A build for a release key has no private
# key to sign them with, and no update tests.
if(NOT PELLWICK_UPDATE_PUBLIC_KEY)
    pellwick_windows_test(update_tests STANDIN SOURCES tests/win/update_test.cpp RESOURCES ${PROGRAM_RESOURCES}
                          LOCK "pellwick_desktop;pellwick_settings")
endif()

# The scan proofs, short: the real program killed at random moments while
# scans flow in, and four scanners at once (tools/proof.sh: full counts).
add_test(NAME ScanProofs.KillsLoseNoTakenScan
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/proof/kill_driver.py --kills 10 --prefix ${SERIAL_WINE_PREFIX})
add_test(NAME ScanProofs.FourScannersAtOnce
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/proof/load_driver.py --per-port 25 --prefix ${SERIAL_WINE_PREFIX})
# With scans kept through outages: kills while they wait, and each kind of outage.
add_test(NAME ScanProofs.KillsLoseNoScanKeptThroughOutages
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/proof/kill_driver.py --kills 5 --keep-scans --prefix ${SERIAL_WINE_PREFIX})
add_test(NAME ScanProofs.OutagesDecommissionEachPackOnce
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/proof/outage_driver.py --scans 5 --outage-seconds 4 --pace 0.3,1.0
                 --kinds refuse,drop_after,hang --prefix ${SERIAL_WINE_PREFIX})
# A password changed behind the program's back in the middle of a stream of scans.
add_test(NAME ScanProofs.ARefusedPasswordNeverLocksTheAccount
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/proof/refusal_driver.py --scans 10 --pace 0.3,0.8
                 --notice-seconds 2 --prefix ${SERIAL_WINE_PREFIX})
# They time what a busy counter does: no other heavy Wine test runs beside them.
set_tests_properties(ScanProofs.KillsLoseNoTakenScan ScanProofs.FourScannersAtOnce
                     ScanProofs.KillsLoseNoScanKeptThroughOutages ScanProofs.OutagesDecommissionEachPackOnce
                     ScanProofs.ARefusedPasswordNeverLocksTheAccount PROPERTIES
                     RESOURCE_LOCK "serial_prefix;heavy_wine" TIMEOUT 300
                     ENVIRONMENT "PELLWICK_BIN=${BIN_DIR};PELLWICK_STANDIN_EXE=${STANDIN_EXE}")
# The runner of the Windows cases retries one that died without a result.
add_test(NAME CaseRunner.RetriesOnlyACaseThatEndedWithoutAResult
         COMMAND ${PROJECT_SOURCE_DIR}/tests/case_retry_test.sh ${BIN_DIR})
set_tests_properties(CaseRunner.RetriesOnlyACaseThatEndedWithoutAResult PROPERTIES
                     ENVIRONMENT "WINEPREFIX=${WINE_PREFIX}" TIMEOUT 120)
pellwick_windows_test(history_window_tests STANDIN SOURCES tests/win/history_window_test.cpp
                      RESOURCES ${PROGRAM_RESOURCES} LOCK "pellwick_desktop;pellwick_settings")
pellwick_windows_test(export_history_tests SOURCES tests/win/export_history_test.cpp LOCK "pellwick_desktop;pellwick_settings")
add_dependencies(export_history_tests Pellwick)
add_dependencies(startup_tests Pellwick)
add_dependencies(crash_tests crash_probe)

add_executable(worker_bench tools/bench/worker_bench.cpp)
target_compile_options(worker_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(worker_bench PRIVATE win_test_support)

add_executable(reader_bench tools/bench/reader_bench.cpp)
target_compile_options(reader_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(reader_bench PRIVATE win_test_support)

add_executable(results_list_bench tools/bench/results_list_bench.cpp ${PROGRAM_RESOURCES})
target_compile_options(results_list_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(results_list_bench PRIVATE win_test_support)

add_executable(scan_to_row_bench tools/bench/scan_to_row_bench.cpp)
target_compile_options(scan_to_row_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(scan_to_row_bench PRIVATE pellwick_core comctl32)

add_executable(curl_start_bench WIN32 tools/bench/curl_start_bench.cpp)
target_compile_options(curl_start_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(curl_start_bench PRIVATE pellwick_core)

add_executable(trace_log_bench tools/bench/trace_log_bench.cpp)
target_compile_options(trace_log_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(trace_log_bench PRIVATE pellwick_core)

add_executable(history_bench tools/bench/history_bench.cpp ${PROGRAM_RESOURCES})
target_compile_options(history_bench PRIVATE ${WARNING_FLAGS})
target_link_libraries(history_bench PRIVATE pellwick_core)

# The demo's hand on the program's buttons (tools/run.sh).
add_executable(post_command tools/demo/post_command.cpp)
target_compile_options(post_command PRIVATE ${WARNING_FLAGS})
target_link_options(post_command PRIVATE ${STATIC_LINK})

# The scan proofs' eyes on the program's results list (tools/proof).
add_executable(list_rows tools/demo/list_rows.cpp)
target_compile_options(list_rows PRIVATE ${WARNING_FLAGS})
target_include_directories(list_rows PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(list_rows PRIVATE comctl32)
target_link_options(list_rows PRIVATE ${STATIC_LINK})

# Puts the tests' certificate authority into a Wine prefix's root store
# (tools/trust-test-ca.sh).
add_executable(trust_ca tools/trust_ca/trust_ca.cpp)
target_compile_options(trust_ca PRIVATE ${WARNING_FLAGS})
target_link_libraries(trust_ca PRIVATE crypt32)
target_link_options(trust_ca PRIVATE ${STATIC_LINK})

# Keeps each Wine prefix's desktop up while the tests run (tools/test.sh).
add_executable(desktop_keeper WIN32 tools/demo/desktop_keeper.cpp)
target_compile_options(desktop_keeper PRIVATE ${WARNING_FLAGS})
target_link_options(desktop_keeper PRIVATE ${STATIC_LINK})

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
