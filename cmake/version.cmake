# The program's version, read from res/version.h (its one home), and the form
# that version resources, the manifest and the installer need beside the
# text: four 16-bit numbers. The build number's six digits are split after
# the second (1.190416 -> 1.19.416.0), which keeps the order that the
# program's character comparison of versions gives.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/version.h version_line REGEX "^#define PELLWICK_VERSION \"")
string(REGEX REPLACE "^#define PELLWICK_VERSION \"([^\"]*)\".*" "\\1" PELLWICK_VERSION "${version_line}")

function(pellwick_fixed_version version out)
    if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "version \"${version}\" is not <major>.<build>")
    endif()
    math(EXPR high "${CMAKE_MATCH_2} / 10000")
    math(EXPR low "${CMAKE_MATCH_2} % 10000")
    set(${out} "${CMAKE_MATCH_1}.${high}.${low}.0" PARENT_SCOPE)
endfunction()

# The version one build number on, for the tests' newer program and installer.
function(pellwick_next_version version out)
    string(REGEX MATCH "^([0-9]+)\\.([0-9]+)$" matched "${version}")
    math(EXPR build "${CMAKE_MATCH_2} + 1")
    set(${out} "${CMAKE_MATCH_1}.${build}" PARENT_SCOPE)
endfunction()
