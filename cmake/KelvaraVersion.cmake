# One version everywhere: the project's version (the top CMakeLists.txt)
# goes into a generated Version.h that every program includes through the
# kelvara_version target; the package and the manual page take it from
# PROJECT_VERSION directly.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/generated/Version.h @ONLY)
add_library(kelvara_version INTERFACE)
target_include_directories(kelvara_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
