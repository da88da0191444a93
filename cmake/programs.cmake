# The two programs. Their own logic lives in a library of each, so that the
# tests can call the entry functions; the Windows build adds the real entry
# point and the resources.
file(GLOB INSTALLER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/installer/*.cpp)
list(FILTER INSTALLER_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")

add_library(installer_core STATIC ${INSTALLER_SOURCES})
target_include_directories(installer_core PUBLIC ${CMAKE_SOURCE_DIR}/installer ${CMAKE_SOURCE_DIR}/installer/res)
target_link_libraries(installer_core PUBLIC setupkit)

set(VELODAR_PROGRAM_LIBRARIES installer_core)

if(NOT VELODAR_SIM)
  add_executable(VelodarInstaller WIN32 ${CMAKE_SOURCE_DIR}/installer/winmain.cpp)
  target_link_libraries(VelodarInstaller PRIVATE installer_core)
  set_target_properties(VelodarInstaller PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installer)
endif()
