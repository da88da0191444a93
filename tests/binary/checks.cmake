# Checks on the built executables, read back with real tools (objdump,
# wrestool) or small readers of our own where none serves, registered with
# CTest in the Windows build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CHECKS ${CMAKE_SOURCE_DIR}/tests/binary)

add_test(NAME pe_headers
         COMMAND ${Python3_EXECUTABLE} ${CHECKS}/check_pe.py $<TARGET_FILE:VelodarInstaller>
                 $<TARGET_FILE:uninstall_Velodar>)
add_test(NAME payload_resources
         COMMAND ${Python3_EXECUTABLE} ${CHECKS}/check_payload.py $<TARGET_FILE:VelodarInstaller>
                 APPL:129:${APPLICATION_FILE} APPL:130:$<TARGET_FILE:uninstall_Velodar>
                 TEXT:132:${TERMS_FILE} MPEG:136:${MOVIE_FILE})
add_test(NAME dialog_templates
         COMMAND ${Python3_EXECUTABLE} ${CHECKS}/check_dialogs.py $<TARGET_FILE:VelodarInstaller>)

# The build inputs themselves: the movie walked as RIFF, the terms text, the
# picture, the icon and the manifest, and their generator reproducing them.
add_test(NAME movie_data COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check_avi.py ${MOVIE_FILE})
add_test(NAME build_inputs COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/inputs/check_inputs.py)

# The contract with Windows: resource inventory, shared icon and manifest,
# version blocks, PE header and the imports allowed by imports.allow.
add_test(NAME binary_contract
         COMMAND ${Python3_EXECUTABLE} ${CHECKS}/check_contract.py $<TARGET_FILE:VelodarInstaller>
                 $<TARGET_FILE:uninstall_Velodar>)
