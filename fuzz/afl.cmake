# Included right after project() in the build of fuzzing campaigns
# (CMAKE_PROJECT_INCLUDE, see campaign.sh), so that every C++ file of the
# project, and only those, reports its basic blocks to the campaign driver.
# Passing the flag in CMAKE_CXX_FLAGS instead would break the compiler checks,
# whose test programs lack the driver.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fsanitize-coverage=trace-pc>)
set(ZOR_FUZZ_AFL ON)
