# Installs the library as a CMake package: headers, the static library, the
# message schemas and a config file, so that other projects can write
#   find_package(ZorPackage CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE zor::package)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZOR_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/ZorPackage")

# The public headers use C++23 library types, so consumers need C++23 too.
target_compile_features(zor_package PUBLIC cxx_std_23)
set_target_properties(zor_package PROPERTIES EXPORT_NAME package)

install(TARGETS zor_package
  EXPORT ZorPackageTargets
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/zor" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
install(FILES
  "${PROJECT_SOURCE_DIR}/schema/application.capnp"
  "${PROJECT_SOURCE_DIR}/schema/profile.capnp"
  "${PROJECT_SOURCE_DIR}/schema/profile_common.capnp"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/zor-package/schema")

install(EXPORT ZorPackageTargets NAMESPACE zor:: DESTINATION "${ZOR_INSTALL_CMAKEDIR}")
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/ZorPackageConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/ZorPackageConfig.cmake"
  INSTALL_DESTINATION "${ZOR_INSTALL_CMAKEDIR}")
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/ZorPackageConfigVersion.cmake"
  COMPATIBILITY SameMinorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/ZorPackageConfig.cmake"
  "${PROJECT_BINARY_DIR}/ZorPackageConfigVersion.cmake"
  DESTINATION "${ZOR_INSTALL_CMAKEDIR}")

if(ZOR_BUILD_TESTS)
  # Installs into a fresh prefix and builds a small consumer project against
  # it, with the same compiler and sanitizer flags as this build.
  if(ZOR_SANITIZE)
    set(ZOR_CONSUMER_FLAGS "-fsanitize=address,undefined -fno-sanitize-recover=all")
  else()
    set(ZOR_CONSUMER_FLAGS "")
  endif()
  add_test(NAME install_and_consume
    COMMAND "${CMAKE_COMMAND}"
      "-DBUILD_DIR=${PROJECT_BINARY_DIR}"
      "-DWORK_DIR=${PROJECT_BINARY_DIR}/install-check"
      "-DCONSUMER_DIR=${CMAKE_CURRENT_LIST_DIR}/install-check/consumer"
      "-DGENERATOR=${CMAKE_GENERATOR}"
      "-DC_COMPILER=${CMAKE_C_COMPILER}"
      "-DCXX_COMPILER=${CMAKE_CXX_COMPILER}"
      "-DFLAGS=${ZOR_CONSUMER_FLAGS}"
      -P "${CMAKE_CURRENT_LIST_DIR}/install-check/run.cmake")
endif()
