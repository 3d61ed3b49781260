# Installs the build in BUILD_DIR into a fresh prefix under WORK_DIR, then
# configures, builds and runs the project in CONSUMER_DIR against it.
foreach(variable BUILD_DIR WORK_DIR CONSUMER_DIR GENERATOR C_COMPILER CXX_COMPILER)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${step} failed (${status}):\n${output}")
  endif()
  set(last_output "${output}" PARENT_SCOPE)
endfunction()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")

run("install" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
foreach(installed include/zor/package/package.hpp share/zor-package/schema/application.capnp)
  if(NOT EXISTS "${prefix}/${installed}")
    message(FATAL_ERROR "${installed} was not installed")
  endif()
endforeach()

run("configure consumer" "${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
  "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
  "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
run("build consumer" "${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
run("run consumer" "${WORK_DIR}/build/consumer")
if(NOT last_output STREQUAL "consumer: ok\n")
  message(FATAL_ERROR "unexpected consumer output:\n${last_output}")
endif()
