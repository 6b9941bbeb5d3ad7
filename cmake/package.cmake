# The installer (installer/pellwick.nsi, built with Debian's makensis): the
# program and curl.exe in one file named with the version, with a version
# resource, and with the signature document the update check asks for when
# this build has its own key (a release is signed by the maker, elsewhere).
# The tests also get a newer program and its installer, the same code one
# build number on, to upgrade to.
find_program(MAKENSIS makensis REQUIRED)
set(PELLWICK_CURL_EXE "" CACHE FILEPATH "The Windows curl.exe that ships beside the program")
if(NOT EXISTS "${PELLWICK_CURL_EXE}")
    message(FATAL_ERROR "PELLWICK_CURL_EXE must name curl.exe for Windows (tools/bootstrap.sh builds one)")
endif()
add_custom_command(OUTPUT ${BIN_DIR}/curl.exe
                   COMMAND ${CMAKE_COMMAND} -E copy ${PELLWICK_CURL_EXE} ${BIN_DIR}/curl.exe
                   DEPENDS ${PELLWICK_CURL_EXE})
add_custom_target(curl_exe ALL DEPENDS ${BIN_DIR}/curl.exe)

function(pellwick_installer program version folder)
    pellwick_fixed_version(${version} dotted)
    set(setup ${folder}/PellwickSetup-${version}.exe)
    set(outputs ${setup})
    set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                 COMMAND ${MAKENSIS} -V2 -DVERSION=${version} -DFIXED_VERSION=${dotted}
                         -DPROGRAM=$<TARGET_FILE:${program}> -DCURL=${BIN_DIR}/curl.exe
                         -DICON=${PROJECT_SOURCE_DIR}/res/pellwick.ico -DOUT_FILE=${setup}
                         ${PROJECT_SOURCE_DIR}/installer/pellwick.nsi)
    if(NOT PELLWICK_UPDATE_PUBLIC_KEY)
        list(APPEND outputs ${setup}.sig ${setup}.offer)
        list(APPEND commands COMMAND python3 ${UPDATE_SIGNING} sign --key ${UPDATE_KEY_DIR}/update-signing-key.pem
                                     --name update.exe --version ${version} --out ${setup}.sig ${setup}
                             COMMAND python3 ${UPDATE_SIGNING} offer --key ${UPDATE_KEY_DIR}/update-signing-key.pem
                                     --version ${version} --out ${setup}.offer ${setup})
    endif()
    add_custom_command(OUTPUT ${outputs} ${commands}
                       DEPENDS ${program} ${BIN_DIR}/curl.exe ${PROJECT_SOURCE_DIR}/installer/pellwick.nsi
                               ${PROJECT_SOURCE_DIR}/installer/languages.nsh
                               ${PROJECT_SOURCE_DIR}/res/pellwick.ico update_key ${UPDATE_SIGNING}
                       COMMENT "Building the installer PellwickSetup-${version}.exe")
    add_custom_target(${program}_installer ALL DEPENDS ${outputs})
endfunction()
pellwick_installer(Pellwick ${PELLWICK_VERSION} ${BIN_DIR}/package)

if(NOT PELLWICK_UPDATE_PUBLIC_KEY)
    pellwick_next_version(${PELLWICK_VERSION} PELLWICK_NEXT_VERSION)
    pellwick_core_library(pellwick_core_next)
    target_compile_definitions(pellwick_core_next PUBLIC PELLWICK_VERSION_TOKEN=${PELLWICK_NEXT_VERSION})
    pellwick_manifest(${PELLWICK_NEXT_VERSION} ${CMAKE_BINARY_DIR}/manifest-next)
    pellwick_program(Pellwick_next pellwick_core_next ${PELLWICK_NEXT_VERSION})
    target_include_directories(Pellwick_next BEFORE PRIVATE ${CMAKE_BINARY_DIR}/manifest-next)
    set_target_properties(Pellwick_next PROPERTIES OUTPUT_NAME Pellwick RUNTIME_OUTPUT_DIRECTORY ${BIN_DIR}/next)
    pellwick_installer(Pellwick_next ${PELLWICK_NEXT_VERSION} ${BIN_DIR}/package-next)
    # The newer installer signed as a driver, and by another key, this
    # version's installer signed as the same driver, an offer of a later
    # version, and offers of the newer installer issued long ago and undated,
    # for the update tests.
    set(UPDATE_FIXTURES ${BIN_DIR}/update-fixtures)
    set(NEXT_SETUP ${BIN_DIR}/package-next/PellwickSetup-${PELLWICK_NEXT_VERSION}.exe)
    set(THIS_SETUP ${BIN_DIR}/package/PellwickSetup-${PELLWICK_VERSION}.exe)
    set(KEY ${UPDATE_KEY_DIR}/update-signing-key.pem)
    set(SIGN python3 ${UPDATE_SIGNING} sign --version ${PELLWICK_NEXT_VERSION})
    set(OFFER python3 ${UPDATE_SIGNING} offer --key ${KEY})
    add_custom_command(OUTPUT ${UPDATE_FIXTURES}/as-driver.sig ${UPDATE_FIXTURES}/other-key.sig
                              ${UPDATE_FIXTURES}/older-as-driver.sig ${UPDATE_FIXTURES}/later.offer
                              ${UPDATE_FIXTURES}/long-ago.offer ${UPDATE_FIXTURES}/undated.offer
        COMMAND ${CMAKE_COMMAND} -E make_directory ${UPDATE_FIXTURES}
        COMMAND ${SIGN} --key ${KEY} --name CP210xVCPInstaller_x86.exe --out ${UPDATE_FIXTURES}/as-driver.sig
                ${NEXT_SETUP}
        COMMAND python3 ${UPDATE_SIGNING} key ${UPDATE_FIXTURES}/other-key
        COMMAND ${SIGN} --key ${UPDATE_FIXTURES}/other-key/update-signing-key.pem --name update.exe
                --out ${UPDATE_FIXTURES}/other-key.sig ${NEXT_SETUP}
        COMMAND python3 ${UPDATE_SIGNING} sign --key ${KEY} --name CP210xVCPInstaller_x86.exe
                --version ${PELLWICK_VERSION} --out ${UPDATE_FIXTURES}/older-as-driver.sig ${THIS_SETUP}
        COMMAND ${OFFER} --version 9.999999 --out ${UPDATE_FIXTURES}/later.offer ${NEXT_SETUP}
        COMMAND ${OFFER} --version ${PELLWICK_NEXT_VERSION} --issued 2020-01-01T00:00:00Z
                --out ${UPDATE_FIXTURES}/long-ago.offer ${NEXT_SETUP}
        COMMAND ${OFFER} --version ${PELLWICK_NEXT_VERSION} --undated --out ${UPDATE_FIXTURES}/undated.offer
                ${NEXT_SETUP}
        DEPENDS Pellwick_next_installer Pellwick_installer ${NEXT_SETUP} ${THIS_SETUP} ${UPDATE_SIGNING}
        COMMENT "Signing the newer installer for the update tests")
    add_custom_target(update_fixtures ALL DEPENDS ${UPDATE_FIXTURES}/as-driver.sig)
    add_dependencies(update_tests update_fixtures Pellwick_installer)

    # The installer itself: installed, upgraded and uninstalled in a fresh prefix
    # of each test's own.
    foreach(case a_silent_install_places_everything_and_starts_the_program
                 b_an_upgrade_ends_the_program_and_the_new_one_sends_the_waiting_scan
                 c_a_silent_uninstall_keeps_the_users_data_unless_asked)
        set(name Installer.${case})
        add_test(NAME ${name} COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/install/installer_test.py Installer.test_${case})
        # A fresh prefix's boot is heavy: not beside the scan proofs.
        set_tests_properties(${name} PROPERTIES TIMEOUT 300 RESOURCE_LOCK heavy_wine
                             ENVIRONMENT "PELLWICK_BIN=${BIN_DIR};PELLWICK_STANDIN_EXE=${STANDIN_EXE}")
    endforeach()
endif()

