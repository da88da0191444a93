# Checks on the built executables, read back with real tools (objdump and the
# like), registered with CTest in the Windows build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_test(NAME pe_headers
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/binary/check_pe.py $<TARGET_FILE:VelodarInstaller>)
