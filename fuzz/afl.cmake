# Included right after project() in the build of fuzzing campaigns
# (CMAKE_PROJECT_INCLUDE, see campaign.sh), so that every C++ file of the
# project, and only those, reports its basic blocks to the campaign driver.
# Passing the flag in CMAKE_CXX_FLAGS instead would break the compiler checks,
# whose test programs lack the driver.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fsanitize-coverage=trace-pc>)
set(ZOR_FUZZ_AFL ON)
# Optimising with the address sanitizer on, g++ 12 warns that a text held in
# the error type's variant may be used uninitialized where it cannot be; the
# preset builds do not combine the two and stay free of it.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-maybe-uninitialized>)
